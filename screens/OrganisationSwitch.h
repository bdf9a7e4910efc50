#pragma once

#include <string>

#include "app/AppEnvironment.h"

namespace zelvorin {

// What the organisation switcher tells a person before and after a switch.
inline constexpr const char* kSwitchWarning =
    "Niet-gesynchroniseerde wijzigingen op dit toestel gaan verloren. De app synchroniseert daarna "
    "helemaal opnieuw voor de nieuwe organisatie.";

// Empty for a switch that went through; the Dutch reason otherwise (the local data is then as it was).
std::string switchOutcomeMessage(AppEnvironment::SwitchOutcome outcome);

}  // namespace zelvorin
