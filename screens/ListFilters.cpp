#include "screens/ListFilters.h"

#include "screens/InputError.h"
#include "screens/TypedInput.h"

namespace zelvorin {

InvoiceSegment typedInvoiceSegment(const std::string& typed, const std::string& label) {
    if (auto segment = parseInvoiceSegment(typed)) return *segment;
    return static_cast<InvoiceSegment>(
        typedChoice({"alle", "concept", "verzonden", "betaald", "achterstallig"}, typed, label));
}

KvitraRepository::InboxFilter typedInboxStatus(const std::string& typed, const std::string& label) {
    return static_cast<KvitraRepository::InboxFilter>(
        typedChoice({"alle", "nieuw", "verwerken", "gecategoriseerd", "gearchiveerd"}, typed, label));
}

KvitraRepository::CategoryFilter typedInboxCategory(const std::string& typed, const std::string& label) {
    return static_cast<KvitraRepository::CategoryFilter>(
        typedChoice({"alle", "zakelijk", "prive", "gemengd"}, typed, label));
}

BankPage bankPage(int number, const std::string& label) {
    if (number < 1)
        throw InputError(InputError::Kind::invalidValue,
                         "Ongeldige waarde voor " + label + ": de eerste pagina is 1.");
    return {number};
}

}  // namespace zelvorin
