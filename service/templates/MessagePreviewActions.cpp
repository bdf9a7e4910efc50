#include "service/templates/MessagePreviewActions.h"

#include "domain/MessageVariables.h"
#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"
#include "service/templates/MessageValues.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

Json previewEmailTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& body,
                          const std::string& style, const std::string& type, const std::string& language) {
    if (!isEmailTemplateType(type))
        throw ServiceError(ErrorKind::unprocessable, "Onbekend sjabloontype '" + type + "'.");
    if (language != "nl" && language != "en")
        throw ServiceError(ErrorKind::unprocessable,
                           "Taal '" + language + "' wordt niet ondersteund: nl of en.");
    if (style != "plain" && style != "branded")
        throw ServiceError(ErrorKind::unprocessable,
                           "Opmaak '" + style + "' bestaat niet: plain of branded.");
    return database.read([&](Connection& db) {
        return messagevalues::preview(substituteMessageVariables(body, messagevalues::sample(db, caller),
                                                                 messagevalues::ownVariables(db, caller)),
                                      style);
    });
}

Json previewInvoiceEmail(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                         const std::string& message) {
    return database.read([&](Connection& db) {
        const StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        return messagevalues::preview(
            substituteMessageVariables(message, messagevalues::ofInvoice(db, caller, invoice.payload),
                                       messagevalues::ownVariables(db, caller)),
            "plain");
    });
}

Json setInvoiceTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                        const std::string& templateId, TimePoint now) {
    return database.write([&](Connection& db) {
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        templaterecords::require(db, caller, "invoiceTemplate", templateId,
                                 "Documentsjabloon niet gevonden.");
        if (!SentInvoiceContent::isEditable(invoicerecords::text(invoice.payload, "status")))
            throw ServiceError(ErrorKind::conflict,
                               "Deze factuur is al verstuurd; haar PDF blijft zoals de klant hem ontving. "
                               "Het sjabloon kan alleen bij een concept worden gewijzigd.");
        invoice.payload["templateId"] = templateId;
        invoice.payload["updatedAt"] = formatTimestampMillis(now);
        invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, invoice.payload, now);
        return Json{{"id", invoiceId}, {"templateId", templateId}};
    });
}

}  // namespace zelvorin::service
