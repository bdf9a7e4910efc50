#include "service/templates/DocumentTemplateActions.h"

#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr const char* kMissing = "Documentsjabloon niet gevonden.";

StoredRecord requireTemplate(Connection& db, const Caller& caller, const std::string& id) {
    return templaterecords::require(db, caller, "invoiceTemplate", id, kMissing);
}

void save(Connection& db, const Caller& caller, StoredRecord& record, TimePoint now) {
    record.payload["updatedAt"] = formatTimestampMillis(now);
    invoicerecords::put(db, caller, SyncEntityType::invoiceTemplate, record.id, record.payload, now);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

void renameDocumentTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                            const std::string& name, TimePoint now) {
    const std::string newName = trimmed(name);
    if (newName.empty()) throw ServiceError(ErrorKind::unprocessable, "Geef het documentsjabloon een naam.");
    database.write([&](Connection& db) {
        StoredRecord record = requireTemplate(db, caller, id);
        record.payload["name"] = newName;
        save(db, caller, record, now);
    });
}

void deleteDocumentTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                            TimePoint now) {
    database.write([&](Connection& db) {
        requireTemplate(db, caller, id);
        if (templaterecords::live(db, caller, "invoiceTemplate").size() == 1)
            throw ServiceError(
                ErrorKind::conflict,
                "Dit is het enige documentsjabloon; een organisatie heeft er minstens één nodig.");
        std::size_t drafts = 0;
        for (const StoredRecord& invoice :
             records::withMember(db, caller.organizationId, "draftInvoice", "templateId", id))
            if (SentInvoiceContent::isEditable(text(invoice.payload, "status"))) ++drafts;
        if (drafts > 0)
            throw ServiceError(ErrorKind::conflict,
                               "Dit documentsjabloon wordt nog gebruikt door " + std::to_string(drafts) +
                                   " conceptfactuur/-facturen. Kies daar eerst een ander.");
        templaterecords::remove(db, caller, SyncEntityType::invoiceTemplate, id, now);
    });
}

std::string duplicateDocumentTemplate(const ServiceDatabase& database, const Caller& caller,
                                      const std::string& id, TimePoint now) {
    return database.write([&](Connection& db) {
        StoredRecord copy = requireTemplate(db, caller, id);
        copy.id = randomUuid();
        copy.payload = templaterecords::withoutBookkeeping(copy.payload);
        copy.payload["id"] = copy.id;
        copy.payload["name"] = text(copy.payload, "name").value_or("Sjabloon") + " (kopie)";
        copy.payload["defaultFor"] = nullptr;
        copy.payload["isDefaultForNew"] = false;
        copy.payload["createdAt"] = formatTimestampMillis(now);
        save(db, caller, copy, now);
        return copy.id;
    });
}

void setDocumentTemplateDefaultFor(const ServiceDatabase& database, const Caller& caller,
                                   const std::string& id, const std::optional<std::string>& docType,
                                   TimePoint now) {
    if (docType && *docType != "invoice" && *docType != "credit_note" && *docType != "quote")
        throw ServiceError(ErrorKind::unprocessable,
                           "Onbekend documenttype '" + *docType + "': invoice, credit_note of quote.");
    database.write([&](Connection& db) {
        StoredRecord chosen = requireTemplate(db, caller, id);
        if (docType)
            for (StoredRecord& other : templaterecords::live(db, caller, "invoiceTemplate"))
                if (other.id != id && text(other.payload, "defaultFor") == docType) {
                    other.payload["defaultFor"] = nullptr;
                    save(db, caller, other, now);
                }
        // A cleared member is null, not left out: a device applies only the members a pull names.
        chosen.payload["defaultFor"] = docType ? Json(*docType) : Json(nullptr);
        save(db, caller, chosen, now);
    });
}

void setDocumentTemplateDefaultForNew(const ServiceDatabase& database, const Caller& caller,
                                      const std::optional<std::string>& templateId, TimePoint now) {
    database.write([&](Connection& db) {
        if (templateId) requireTemplate(db, caller, *templateId);
        for (StoredRecord& record : templaterecords::live(db, caller, "invoiceTemplate")) {
            const bool chosen = templateId && record.id == *templateId;
            if (record.payload.value("isDefaultForNew", false) == chosen) continue;
            record.payload["isDefaultForNew"] = chosen;
            save(db, caller, record, now);
        }
    });
}

}  // namespace zelvorin::service
