#include "service/data/ImportedInvoiceNumbers.h"

#include "service/http/ServiceError.h"
#include "service/store/Records.h"

namespace zelvorin::service {

namespace {

constexpr const char* kNumberedTypes[] = {"draftInvoice", "creditNote"};
// Named in the refusal; the rest are counted.
constexpr std::size_t kNamedClashes = 3;

const std::string* numberOf(const nlohmann::ordered_json& payload) {
    const auto number = payload.find("invoiceNumber");
    if (number == payload.end() || !number->is_string() || number->get_ref<const std::string&>().empty())
        return nullptr;
    return &number->get_ref<const std::string&>();
}

bool numbered(const std::string& entityType) {
    for (const char* type : kNumberedTypes)
        if (entityType == type) return true;
    return false;
}

}  // namespace

ImportedInvoiceNumbers::ImportedInvoiceNumbers(Connection& db, const std::string& organizationId) {
    for (const char* type : kNumberedTypes)
        for (const StoredRecord& record : records::all(db, organizationId, std::string(type)))
            if (const std::string* number = numberOf(record.payload)) taken_.emplace(*number, record.id);
}

void ImportedInvoiceNumbers::check(const std::string& entityType, const std::string& id,
                                   const nlohmann::ordered_json& payload) {
    if (!numbered(entityType)) return;
    const std::string* number = numberOf(payload);
    if (!number) return;
    // The same invoice coming back (an earlier import, a restored deletion) keeps its own number.
    const auto holder = taken_.find(*number);
    if (holder != taken_.end() && holder->second != id) clashes_.push_back(*number);
}

void ImportedInvoiceNumbers::requireNoClash() const {
    if (clashes_.empty()) return;
    std::string named;
    for (std::size_t i = 0; i < clashes_.size() && i < kNamedClashes; ++i)
        named += (i == 0 ? "" : ", ") + clashes_[i];
    if (clashes_.size() > kNamedClashes)
        named += " en " + std::to_string(clashes_.size() - kNamedClashes) + " andere";
    throw ServiceError(ErrorKind::conflict,
                       "De bundel bevat factuurnummers die deze organisatie al gebruikt (" + named +
                           "). Een uitgegeven factuurnummer verandert nooit, dus samenvoegen kan niet; "
                           "importeer met \"replace\" of in een nieuwe organisatie.");
}

}  // namespace zelvorin::service
