#include "screens/OnboardingWizard.h"

#include <gtest/gtest.h>

#include "screens/InputError.h"

namespace zelvorin {
namespace {

using Field = OnboardingWizard::Field;
using Step = OnboardingWizard::Step;

void fillCompany(OnboardingWizard& wizard) {
    wizard.set(Field::companyName, "  Bakkerij de Vries ");
    wizard.set(Field::firstName, "Anna");
    wizard.set(Field::lastName, "de Vries");
}

void fillDetails(OnboardingWizard& wizard) {
    wizard.set(Field::kvkNumber, "1234 5678");
    wizard.set(Field::vatNumber, "nl 1234.5678.9 b01");
    wizard.set(Field::street, "Dorpsstraat 12");
    wizard.set(Field::postcode, "9712cp");
    wizard.set(Field::city, "Groningen");
}

TEST(OnboardingWizardTest, EachStepStopsOnItsOwnRefusalsAndKeepsWhatWasTyped) {
    OnboardingWizard wizard;
    int changes = 0;
    wizard.setOnChange([&] { ++changes; });

    EXPECT_FALSE(wizard.next());
    EXPECT_EQ(wizard.step(), Step::company);
    EXPECT_EQ(wizard.error(Field::companyName), "Vul de naam van je bedrijf in.");
    EXPECT_EQ(wizard.error(Field::firstName), "Vul je voornaam in.");
    EXPECT_EQ(wizard.error(Field::lastName), "Vul je achternaam in.");
    wizard.set(Field::firstName, "   ");  // blanks are no name
    wizard.set(Field::companyName, "Bakkerij");
    EXPECT_EQ(wizard.error(Field::companyName), std::nullopt);  // typing clears the field's refusal
    EXPECT_FALSE(wizard.next());
    EXPECT_EQ(wizard.error(Field::firstName), "Vul je voornaam in.");
    EXPECT_EQ(wizard.error(Field::companyName), std::nullopt);

    fillCompany(wizard);
    ASSERT_TRUE(wizard.next());
    EXPECT_EQ(wizard.step(), Step::details);
    EXPECT_FALSE(wizard.hasErrors());

    wizard.set(Field::kvkNumber, "1234567");
    wizard.set(Field::vatNumber, "NL123456789");
    wizard.set(Field::street, "Dorpsstraat");
    wizard.set(Field::postcode, "0123 AB");
    EXPECT_FALSE(wizard.next());
    EXPECT_EQ(wizard.step(), Step::details);
    EXPECT_EQ(wizard.error(Field::kvkNumber), "Een KvK-nummer heeft 8 cijfers, bijvoorbeeld 12345678.");
    EXPECT_EQ(wizard.error(Field::vatNumber), "Een btw-nummer ziet eruit als NL123456789B01.");
    EXPECT_EQ(wizard.error(Field::street), "Vul ook het huisnummer in, bijvoorbeeld Keizersgracht 12.");
    EXPECT_EQ(wizard.error(Field::postcode),
              "Een postcode heeft vier cijfers en twee letters, bijvoorbeeld 1234 AB.");
    EXPECT_EQ(wizard.error(Field::city), "Vul de plaats in.");

    wizard.back();
    EXPECT_EQ(wizard.step(), Step::company);
    EXPECT_FALSE(wizard.hasErrors());
    EXPECT_EQ(wizard.typed(Field::lastName), "de Vries");
    EXPECT_EQ(wizard.typed(Field::kvkNumber), "1234567");
    EXPECT_GT(changes, 4);
}

TEST(OnboardingWizardTest, SubmittingSendsNormalisedAnswersOnceAndKeepsThemWhenRefused) {
    OnboardingWizard wizard;
    fillCompany(wizard);
    ASSERT_TRUE(wizard.next());
    fillDetails(wizard);
    ASSERT_TRUE(wizard.next());
    ASSERT_TRUE(wizard.isLastStep());

    EXPECT_EQ(wizard.submit(), std::nullopt);  // terms not accepted
    EXPECT_EQ(wizard.error(Field::acceptedTerms),
              "Ga akkoord met de algemene voorwaarden om je account aan te maken.");
    EXPECT_FALSE(wizard.submitting());

    // A field emptied on an earlier step sends the wizard back there instead of sending.
    wizard.setAcceptedTerms(true);
    wizard.set(Field::city, "");
    EXPECT_EQ(wizard.submit(), std::nullopt);
    EXPECT_EQ(wizard.step(), Step::details);
    EXPECT_EQ(wizard.error(Field::city), "Vul de plaats in.");
    wizard.set(Field::city, "Groningen");
    wizard.set(Field::vatNumber, "");  // optional
    ASSERT_TRUE(wizard.next());

    const std::optional<OnboardingRegistration> sent = wizard.submit();
    ASSERT_TRUE(sent);
    EXPECT_TRUE(wizard.submitting());
    EXPECT_EQ(wizard.submit(), std::nullopt);  // one submission at a time
    EXPECT_EQ(sent->companyName, "Bakkerij de Vries");
    EXPECT_EQ(sent->kvkNumber, "12345678");
    EXPECT_EQ(sent->vatNumber, "");
    EXPECT_EQ(sent->postcode, "9712 CP");
    EXPECT_TRUE(sent->acceptedTerms);
    const auto body = sent->toJson();
    EXPECT_EQ(body["name"], "Bakkerij de Vries");
    EXPECT_TRUE(body["vatNumber"].is_null());

    wizard.finishSubmit("Te veel pogingen. Wacht even en probeer het opnieuw.");
    EXPECT_FALSE(wizard.submitting());
    EXPECT_EQ(wizard.failure(), "Te veel pogingen. Wacht even en probeer het opnieuw.");
    EXPECT_EQ(wizard.step(), Step::terms);
    const std::optional<OnboardingRegistration> again = wizard.submit();
    ASSERT_TRUE(again);
    EXPECT_EQ(wizard.failure(), std::nullopt);
    EXPECT_EQ(again->postcode, sent->postcode);
}

TEST(OnboardingWizardTest, NumbersAndPostcodesAreTakenInTheFormsPeopleTypeThem) {
    EXPECT_EQ(normalisedKvkNumber(" 12.34.56.78 "), "12345678");
    EXPECT_EQ(normalisedVatNumber("NL 123456789 B01"), "NL123456789B01");
    EXPECT_EQ(normalisedPostcode("1011ab"), "1011 AB");
    EXPECT_EQ(normalisedPostcode("1011  AB"), "1011 AB");
    for (const char* kvk : {"", "123456789", "1234567a", "12-345678"})
        EXPECT_THROW(normalisedKvkNumber(kvk), InputError) << kvk;
    for (const char* vat : {"", "BE0123456789", "NL123456789B1", "NL12345678XB01", "NL123456789X01"})
        EXPECT_THROW(normalisedVatNumber(vat), InputError) << vat;
    // No leading zero, two letters, and never SA, SD or SS.
    for (const char* postcode : {"", "0123 AB", "123 AB", "1234 A1", "1234 SS", "1234 sa", "12345 AB"})
        EXPECT_THROW(normalisedPostcode(postcode), InputError) << postcode;
}

}  // namespace
}  // namespace zelvorin
