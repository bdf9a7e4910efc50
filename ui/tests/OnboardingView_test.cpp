#include "ui/OnboardingView.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api-client/AccountAPI.h"
#include "testing/ServiceSignIn.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;
using Field = OnboardingWizard::Field;

constexpr const char* kCreateOrg = "/api/native/onboarding/create-org";

int requestsTo(const ServiceProcess& service, const std::string& path) {
    const auto counts = nlohmann::json::parse(service.get("/admin/requests").body)["requests"];
    return counts.value(path, 0);
}

void type(ui::OnboardingView& view, Field field, const QString& text) {
    view.field(field)->clear();
    QTest::keyClicks(view.field(field), text);
}

// A person with an account but no organisation yet opens the onboarding link the sign-in page
// gave her browser, walks the wizard with the keyboard and lands in her new organisation.
TEST(OnboardingViewIntegrationTest, ANewAccountWalksTheWizardAndLandsSignedInToItsOrganisation) {
    ServiceProcess service(ServiceProcess::demo());
    ASSERT_EQ(service
                  .post("/api/auth/sign-in/magic-link",
                        R"({"email":"anna@bakkerijdevries.nl","callbackURL":"zelvorin://auth",)"
                        R"("newUserCallbackURL":"zelvorin://auth"})")
                  .status,
              200);
    Desktop desktop(service, false);
    const testing::HandoffRedirect redirect =
        testing::requestHandoff(service, desktop.environment->deviceId(), "anna@bakkerijdevries.nl");
    ASSERT_TRUE(redirect.location.starts_with("zelvorin://onboarding?token=")) << redirect.location;
    ASSERT_TRUE(desktop.environment->handleOpenURL(redirect.location));
    desktop.window->refresh();
    ASSERT_TRUE(desktop.window->showsOnboarding());
    ui::OnboardingView& view = desktop.window->onboardingView();
    ASSERT_EQ(service.post("/admin/requests/reset", "").status, 200);

    // Every refusal is shown beside its field and the wizard stays where it is.
    QTest::keyClick(view.nextButton(), Qt::Key_Space);
    EXPECT_EQ(view.errorText(Field::companyName), "Vul de naam van je bedrijf in.");
    EXPECT_EQ(view.errorText(Field::lastName), "Vul je achternaam in.");
    type(view, Field::companyName, "Bakkerij de Vries");
    type(view, Field::firstName, "Anna");
    type(view, Field::lastName, "de Vries");
    QTest::keyClick(view.field(Field::lastName), Qt::Key_Return);
    ASSERT_EQ(view.wizard().step(), OnboardingWizard::Step::details);
    EXPECT_TRUE(view.stepText().contains("Stap 2 van 3"));

    type(view, Field::kvkNumber, "1234");
    type(view, Field::vatNumber, "BE0123456789");
    type(view, Field::street, "Grote Markt");
    type(view, Field::postcode, "97121");
    type(view, Field::city, "Groningen");
    QTest::mouseClick(view.nextButton(), Qt::LeftButton);
    EXPECT_EQ(view.errorText(Field::kvkNumber), "Een KvK-nummer heeft 8 cijfers, bijvoorbeeld 12345678.");
    EXPECT_EQ(view.errorText(Field::vatNumber), "Een btw-nummer ziet eruit als NL123456789B01.");
    EXPECT_EQ(view.errorText(Field::street), "Vul ook het huisnummer in, bijvoorbeeld Keizersgracht 12.");
    EXPECT_EQ(view.errorText(Field::postcode),
              "Een postcode heeft vier cijfers en twee letters, bijvoorbeeld 1234 AB.");
    EXPECT_TRUE(view.errorText(Field::city).isEmpty());
    type(view, Field::kvkNumber, "12345678");
    type(view, Field::vatNumber, "NL123456789B01");
    type(view, Field::street, "Grote Markt 1");
    type(view, Field::postcode, "9712 cp");
    QTest::mouseClick(view.nextButton(), Qt::LeftButton);
    ASSERT_EQ(view.wizard().step(), OnboardingWizard::Step::terms);
    QTest::mouseClick(view.nextButton(), Qt::LeftButton);
    EXPECT_EQ(view.errorText(Field::acceptedTerms),
              "Ga akkoord met de algemene voorwaarden om je account aan te maken.");
    EXPECT_EQ(requestsTo(service, kCreateOrg), 0);  // nothing was sent for all of that

    // The service failing once is told in Dutch; the answers stay for the next try.
    ASSERT_EQ(
        service.post("/admin/faults", R"({"path":"/api/native/onboarding/create-org","status":500})").status,
        201);
    view.termsBox()->setChecked(true);
    QTest::mouseClick(view.nextButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !view.failureText().isEmpty(); }));
    EXPECT_EQ(view.failureText(), "Aanmaken is niet gelukt. Probeer het opnieuw.");
    EXPECT_TRUE(desktop.window->showsOnboarding());
    EXPECT_EQ(desktop.environment->sessionState(), SessionState::onboarding);

    QTest::mouseClick(view.nextButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return desktop.window->showsShell(); }));
    EXPECT_EQ(desktop.environment->sessionState(), SessionState::signedIn);
    EXPECT_EQ(requestsTo(service, kCreateOrg), 2);
    const std::vector<OrgMembership> memberships = AccountAPI(desktop.environment->apiClient()).memberships();
    ASSERT_EQ(memberships.size(), 1u);
    EXPECT_EQ(memberships.front().name, "Bakkerij de Vries");
    EXPECT_EQ(memberships.front().role, "owner");
    EXPECT_TRUE(memberships.front().isCurrent);
    // The company's details arrive as the new organisation's settings with the first sync.
    ASSERT_TRUE(
        eventually([&] { return desktop.environment->repositories().organisation.settings().has_value(); }));
    const OrgSettingsRecord settings = *desktop.environment->repositories().organisation.settings();
    EXPECT_EQ(settings.orgName, "Bakkerij de Vries");
    EXPECT_EQ(settings.kvkNumber, "12345678");
    EXPECT_EQ(settings.addressPostal, "9712 CP");
    EXPECT_EQ(settings.addressCity, "Groningen");
}

}  // namespace
}  // namespace zelvorin
