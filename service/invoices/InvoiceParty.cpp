#include "service/invoices/InvoiceParty.h"

#include <nlohmann/json.hpp>

#include "domain/VatTreatment.h"
#include "service/store/Records.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

namespace {

std::optional<std::string> textOf(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || !member->is_string() || member->get<std::string>().empty())
        return std::nullopt;
    return member->get<std::string>();
}

}  // namespace

InvoiceParty invoiceParty(Connection& db, const std::string& organizationId, const std::string& customerId) {
    InvoiceParty party;
    const std::optional<StoredRecord> customer = records::find(db, organizationId, "customer", customerId);
    if (customer && !customer->deleted) {
        party.customerName = textOf(customer->payload, "companyName").value_or("");
        party.billingEmail = textOf(customer->payload, "billingEmail");
        if (const auto rate = textOf(customer->payload, "vatRateOverride"); rate && parseVatTreatment(*rate))
            party.vatTreatment = *rate;
        if (const auto term = customer->payload.find("paymentTermsOverride");
            term != customer->payload.end() && term->is_number_integer())
            return party.paymentTermDays = term->get<std::int64_t>(), party;
    }
    for (const StoredRecord& settings : records::all(db, organizationId, std::string("orgSettings"))) {
        const auto days = settings.payload.find("paymentTermsDays");
        if (!settings.deleted && days != settings.payload.end() && days->is_number_integer())
            party.paymentTermDays = days->get<std::int64_t>();
    }
    return party;
}

}  // namespace zelvorin::service
