#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "api-client/OnboardingRegistration.h"

namespace zelvorin {

// The wizard a new account walks through before its organisation exists:
//
//   company ──next──► details ──next──► terms ──submit──► submitting ──ok──► (signed in)
//      ◄──back──────────  ◄──back─────────          ◄──failure (message shown, answers kept)──
//
// `next` and `submit` check the fields they pass over and stop at the first step with a refusal,
// each refused field with its Dutch text; nothing is sent until every field fits.
class OnboardingWizard {
public:
    enum class Step { company, details, terms };
    static constexpr std::array allSteps{Step::company, Step::details, Step::terms};

    enum class Field {
        companyName,
        firstName,
        lastName,
        kvkNumber,
        vatNumber,
        street,
        postcode,
        city,
        acceptedTerms
    };

    static std::string title(Step step);
    static std::vector<Field> fieldsOf(Step step);
    static std::string label(Field field);

    Step step() const { return step_; }
    bool isLastStep() const { return step_ == Step::terms; }
    bool submitting() const { return submitting_; }

    void set(Field field, std::string typed);
    void setAcceptedTerms(bool accepted);
    const std::string& typed(Field field) const;
    bool acceptedTerms() const { return acceptedTerms_; }

    // True and one step on when the current step's fields fit; false with their refusals.
    bool next();
    void back();
    // The registration to send when every field of every step fits (the device's own fields left
    // for the caller), and the wizard waits for the answer; nothing otherwise. Nothing as well while
    // an earlier submission is still under way.
    std::optional<OnboardingRegistration> submit();
    // The service's answer: none when the organisation was made, else the Dutch text to show.
    void finishSubmit(const std::optional<std::string>& failure);

    // The refusal of each field on the current step; empty when the field fits or was not checked.
    std::optional<std::string> error(Field field) const;
    bool hasErrors() const { return !errors_.empty(); }
    // The service's refusal of the last submission.
    const std::optional<std::string>& failure() const { return failure_; }

    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    bool check(Step step);
    void changed();

    Step step_ = Step::company;
    std::map<Field, std::string> typed_;
    bool acceptedTerms_ = false;
    std::map<Field, std::string> errors_;
    std::optional<std::string> failure_;
    bool submitting_ = false;
    std::function<void()> onChange_;
};

// The forms in which the fields are sent; each throws InputError (invalidValue) with the Dutch
// text when the typed value is none of them.
std::string normalisedKvkNumber(const std::string& typed);  // "12345678"
std::string normalisedVatNumber(const std::string& typed);  // "NL123456789B01"
std::string normalisedPostcode(const std::string& typed);   // "1234 AB"

}  // namespace zelvorin
