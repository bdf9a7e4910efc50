#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "layout/InvoiceDocument.h"

namespace zelvorin {

// What an invoice is printed from, as plain values: the stored invoice, its lines, its customer,
// the organisation's settings and the template's config. The app fills it from its database, the
// service from its records; neither needs to know how a document is composed.
struct InvoiceSourceLine {
    std::string id;
    long long sortOrder = 0;
    std::string description;
    std::string lineMode;  // raw LineMode
    std::optional<std::int64_t> quantityHundredths, unitPriceCents, amountCents;
    std::optional<std::string> vatTreatmentOverride;  // raw VatTreatment
};

struct InvoiceSourceCustomer {
    std::string companyName;
    std::optional<std::string> street, houseNumber, postcode, city, country, vatNumber;
};

struct InvoiceSourceOrganisation {
    std::optional<std::string> orgName, vatNumber, kvkNumber, addressStreet, addressCity, addressPostal,
        orgPhone, orgEmail, iban, bic, footerText, verlegdNote, defaultLanguage, dateFormat, currency,
        numberFormat;
    std::optional<std::int64_t> paymentTermsDays;
};

struct InvoiceSource {
    std::string id;
    std::optional<std::string> invoiceNumber, localDraftNumber;
    std::string issueDate;
    std::optional<std::string> dueDate, referenceNumber, projectDescription, freeText, invoiceType;
    std::string vatTreatment = "nl_21";
    std::optional<std::int64_t> paymentTermsOverride;
    std::optional<std::string> snapshotData;  // JSON text of the snapshot taken when it was numbered
    std::vector<InvoiceSourceLine> lines;
    std::optional<InvoiceSourceCustomer> customer;
    std::optional<InvoiceSourceOrganisation> organisation;
    std::optional<std::string> templateConfig;  // JSON text; absent: the built-in layout
    // What is left to pay on a numbered invoice. When positive, and the organisation has a name
    // and an IBAN, the last page carries a payment QR code for it.
    std::optional<std::int64_t> openCents;
    // The organisation's logo as a "data:" URL (PNG, JPEG or SVG); drawn in a logo block that names no
    // image of its own.
    std::optional<std::string> logoDataUrl;
    // The organisation's uploads its template's image blocks name (see TemplateUploads.h), by key,
    // as "data:" URLs; a named key missing here is drawn as nothing.
    std::map<std::string, std::string> uploadDataUrls;
};

struct BuiltInvoiceDocument {
    InvoiceDocument document;
    // Dutch texts for what could not be used as stored (a template config that cannot be read, a
    // snapshot that is not JSON); the document was built without it.
    std::vector<std::string> notices;
};

// The document of an invoice. Line amounts are computed by the domain rules. A template config
// that cannot be decoded gives the built-in layout and a notice naming the problem. Throws
// LayoutError (Dutch) for a line whose mode or VAT treatment is unknown.
BuiltInvoiceDocument buildInvoiceDocument(const InvoiceSource& source);

// The notice of a template config that could not be read.
inline constexpr const char* kTemplateConfigUnreadable = "De template-config kon niet gelezen worden.";

}  // namespace zelvorin
