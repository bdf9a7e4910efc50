#include "service/invoices/InvoiceNumberPlaceholder.h"

#include "domain/Timestamps.h"
#include "layout/InvoiceSource.h"
#include "service/store/Records.h"

namespace zelvorin::service {

namespace {

constexpr std::string_view kPlaceholder = "{factuurnummer}";

// True when `text` held the placeholder.
bool fill(std::string& text, const std::string& number) {
    bool filled = false;
    for (std::size_t at = text.find(kPlaceholder); at != std::string::npos;
         at = text.find(kPlaceholder, at + number.size())) {
        text.replace(at, kPlaceholder.size(), number);
        filled = true;
    }
    return filled;
}

}  // namespace

void fillInvoiceNumberPlaceholders(Connection& db, const Caller& caller, nlohmann::ordered_json& invoice,
                                   const std::string& number, InvoiceSource& source, TimePoint now) {
    if (std::optional<std::string> project = invoicerecords::text(invoice, "projectDescription");
        project && fill(*project, number)) {
        invoice["projectDescription"] = *project;
        source.projectDescription = *project;
    }
    const std::string invoiceId = invoice.value("id", std::string());
    for (StoredRecord& line : records::ofInvoice(db, caller.organizationId, "invoiceLine", invoiceId)) {
        std::string description = invoicerecords::text(line.payload, "description").value_or("");
        if (!fill(description, number)) continue;
        line.payload["description"] = description;
        line.payload["updatedAt"] = formatTimestampMillis(now);
        invoicerecords::put(db, caller, SyncEntityType::invoiceLine, line.id, line.payload, now);
        for (InvoiceSourceLine& drawn : source.lines)
            if (drawn.id == line.id) drawn.description = description;
    }
}

}  // namespace zelvorin::service
