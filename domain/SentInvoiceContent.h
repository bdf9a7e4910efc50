#pragma once

#include <optional>
#include <string_view>

namespace zelvorin {

// A sent invoice is a legal document: what the customer received on it (customer, dates, VAT
// treatment, printed texts, lines and amounts) never changes; the only correction is a credit
// note. Notes for the organisation itself and the payment switches may still change.
namespace SentInvoiceContent {

// The invoice's payload members that the customer received. Lines are received content as a whole.
inline constexpr std::string_view kReceivedFields[] = {
    "customerId",         "issueDate",    "dueDate",    "referenceNumber",
    "projectDescription", "vatTreatment", "freeText",   "paymentTermsOverride",
    "subtotalCents",      "vatCents",     "totalCents", "invoiceNumber"};

// The refusal the device and the service give for an edit of received content.
inline constexpr std::string_view kRefusal =
    "Deze factuur is al verstuurd en kan niet meer worden gewijzigd. Corrigeer haar met een creditnota.";

// Whether the received content of an invoice with this raw status may still change: only a draft
// (draft, readyForFinalize). A status that is missing or not known is treated as sent.
bool isEditable(std::optional<std::string_view> rawStatus);

bool isReceivedField(std::string_view payloadKey);

}  // namespace SentInvoiceContent
}  // namespace zelvorin
