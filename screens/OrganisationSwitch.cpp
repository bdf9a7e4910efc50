#include "screens/OrganisationSwitch.h"

namespace zelvorin {

std::string switchOutcomeMessage(AppEnvironment::SwitchOutcome outcome) {
    using O = AppEnvironment::SwitchOutcome;
    switch (outcome) {
        case O::switched:
            return {};
        case O::refused:
            return "De dienst staat het wisselen naar deze organisatie niet toe. Je blijft in de huidige "
                   "organisatie.";
        case O::noConnection:
            return "Geen verbinding. Controleer je internet en probeer het opnieuw.";
        case O::failed:
            break;
    }
    return "Wisselen van organisatie is niet gelukt. Probeer het opnieuw.";
}

}  // namespace zelvorin
