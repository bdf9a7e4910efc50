#include "screens/OnboardingWizard.h"

#include <algorithm>
#include <cctype>

#include "screens/InputError.h"

namespace zelvorin {

namespace {

std::string trimmed(const std::string& text) {
    const auto first =
        std::find_if_not(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
    const auto last =
        std::find_if_not(text.rbegin(), text.rend(), [](unsigned char c) { return std::isspace(c); }).base();
    return first < last ? std::string(first, last) : std::string();
}

// Upper case without the spaces and dots people type between groups of characters.
std::string compact(const std::string& typed) {
    std::string out;
    for (const unsigned char c : typed)
        if (!std::isspace(c) && c != '.') out += static_cast<char>(std::toupper(c));
    return out;
}

bool allDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (text.size() < from + count) return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](unsigned char c) { return std::isdigit(c); });
}

[[noreturn]] void refuse(const std::string& text) {
    throw InputError(InputError::Kind::invalidValue, text);
}

const std::string kNothing;

}  // namespace

std::string normalisedKvkNumber(const std::string& typed) {
    const std::string number = compact(typed);
    if (number.size() != 8 || !allDigits(number, 0, 8))
        refuse("Een KvK-nummer heeft 8 cijfers, bijvoorbeeld 12345678.");
    return number;
}

std::string normalisedVatNumber(const std::string& typed) {
    const std::string number = compact(typed);
    if (number.size() != 14 || number.compare(0, 2, "NL") != 0 || !allDigits(number, 2, 9) ||
        number[11] != 'B' || !allDigits(number, 12, 2))
        refuse("Een btw-nummer ziet eruit als NL123456789B01.");
    return number;
}

std::string normalisedPostcode(const std::string& typed) {
    const std::string code = compact(typed);
    const bool shaped = code.size() == 6 && code[0] != '0' && allDigits(code, 0, 4) &&
                        std::isalpha(static_cast<unsigned char>(code[4])) &&
                        std::isalpha(static_cast<unsigned char>(code[5]));
    // SA, SD and SS are never handed out as letters of a postcode.
    const std::string letters = shaped ? code.substr(4) : "";
    if (!shaped || letters == "SA" || letters == "SD" || letters == "SS")
        refuse("Een postcode heeft vier cijfers en twee letters, bijvoorbeeld 1234 AB.");
    return code.substr(0, 4) + " " + letters;
}

std::string OnboardingWizard::title(Step step) {
    switch (step) {
        case Step::company:
            return "Jij en je bedrijf";
        case Step::details:
            return "Bedrijfsgegevens";
        case Step::terms:
            return "Voorwaarden";
    }
    return {};
}

std::vector<OnboardingWizard::Field> OnboardingWizard::fieldsOf(Step step) {
    switch (step) {
        case Step::company:
            return {Field::companyName, Field::firstName, Field::lastName};
        case Step::details:
            return {Field::kvkNumber, Field::vatNumber, Field::street, Field::postcode, Field::city};
        case Step::terms:
            return {Field::acceptedTerms};
    }
    return {};
}

std::string OnboardingWizard::label(Field field) {
    switch (field) {
        case Field::companyName:
            return "Bedrijfsnaam";
        case Field::firstName:
            return "Voornaam";
        case Field::lastName:
            return "Achternaam";
        case Field::kvkNumber:
            return "KvK-nummer";
        case Field::vatNumber:
            return "Btw-nummer (optioneel)";
        case Field::street:
            return "Straat en huisnummer";
        case Field::postcode:
            return "Postcode";
        case Field::city:
            return "Plaats";
        case Field::acceptedTerms:
            return "Ik ga akkoord met de algemene voorwaarden van Zelvorin";
    }
    return {};
}

void OnboardingWizard::set(Field field, std::string typed) {
    typed_[field] = std::move(typed);
    errors_.erase(field);  // the refusal was about the old text
}

void OnboardingWizard::setAcceptedTerms(bool accepted) {
    acceptedTerms_ = accepted;
    errors_.erase(Field::acceptedTerms);
}

const std::string& OnboardingWizard::typed(Field field) const {
    const auto found = typed_.find(field);
    return found == typed_.end() ? kNothing : found->second;
}

std::optional<std::string> OnboardingWizard::error(Field field) const {
    const auto found = errors_.find(field);
    if (found == errors_.end()) return std::nullopt;
    return found->second;
}

bool OnboardingWizard::check(Step step) {
    errors_.clear();
    const auto required = [&](Field field, const char* missing) {
        if (trimmed(typed(field)).empty()) errors_[field] = missing;
    };
    const auto parsed = [&](Field field, std::string (*normalise)(const std::string&)) {
        try {
            normalise(typed(field));
        } catch (const InputError& refusal) {
            errors_[field] = refusal.what();
        }
    };
    switch (step) {
        case Step::company:
            required(Field::companyName, "Vul de naam van je bedrijf in.");
            required(Field::firstName, "Vul je voornaam in.");
            required(Field::lastName, "Vul je achternaam in.");
            break;
        case Step::details: {
            parsed(Field::kvkNumber, normalisedKvkNumber);
            if (!trimmed(typed(Field::vatNumber)).empty()) parsed(Field::vatNumber, normalisedVatNumber);
            const std::string street = trimmed(typed(Field::street));
            if (street.empty())
                errors_[Field::street] = "Vul straat en huisnummer in.";
            else if (std::none_of(street.begin(), street.end(),
                                  [](unsigned char c) { return std::isdigit(c); }))
                errors_[Field::street] = "Vul ook het huisnummer in, bijvoorbeeld Keizersgracht 12.";
            parsed(Field::postcode, normalisedPostcode);
            required(Field::city, "Vul de plaats in.");
            break;
        }
        case Step::terms:
            if (!acceptedTerms_)
                errors_[Field::acceptedTerms] =
                    "Ga akkoord met de algemene voorwaarden om je account aan te maken.";
            break;
    }
    return errors_.empty();
}

bool OnboardingWizard::next() {
    const bool fits = check(step_);
    if (fits && !isLastStep()) step_ = static_cast<Step>(static_cast<int>(step_) + 1);
    changed();
    return fits;
}

void OnboardingWizard::back() {
    if (step_ == Step::company || submitting_) return;
    errors_.clear();
    step_ = static_cast<Step>(static_cast<int>(step_) - 1);
    changed();
}

std::optional<OnboardingRegistration> OnboardingWizard::submit() {
    if (submitting_) return std::nullopt;
    for (const Step step : allSteps) {
        if (!check(step)) {
            step_ = step;
            changed();
            return std::nullopt;
        }
    }
    const std::string vat = trimmed(typed(Field::vatNumber));
    OnboardingRegistration registration;
    registration.companyName = trimmed(typed(Field::companyName));
    registration.firstName = trimmed(typed(Field::firstName));
    registration.lastName = trimmed(typed(Field::lastName));
    registration.kvkNumber = normalisedKvkNumber(typed(Field::kvkNumber));
    registration.vatNumber = vat.empty() ? std::string() : normalisedVatNumber(vat);
    registration.street = trimmed(typed(Field::street));
    registration.postcode = normalisedPostcode(typed(Field::postcode));
    registration.city = trimmed(typed(Field::city));
    registration.acceptedTerms = acceptedTerms_;
    failure_.reset();
    submitting_ = true;
    changed();
    return registration;
}

void OnboardingWizard::finishSubmit(const std::optional<std::string>& failure) {
    submitting_ = false;
    failure_ = failure;
    changed();
}

void OnboardingWizard::changed() {
    if (onChange_) onChange_();
}

}  // namespace zelvorin
