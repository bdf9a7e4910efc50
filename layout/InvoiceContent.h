#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {

struct OrganizationSnapshot {
    std::string name;
    std::optional<std::string> address, street, houseNumber, postcode, city, country, phone, email, vatNumber,
        kvkNumber, iban, bic;
};

struct CustomerSnapshot {
    std::string companyName;
    std::optional<std::string> street, houseNumber, postcode, city, country, vatNumber;
};

struct ContactSnapshot {
    std::optional<std::string> firstName, lastName, email, phone;
};

// One printed line. The amounts are computed by the domain rules before the document is built;
// the layout only prints them.
struct InvoiceLineItem {
    std::string id;
    long long sortOrder = 0;
    std::string description;
    std::optional<std::int64_t> quantityHundredths;
    std::optional<std::string> unit;
    std::optional<std::int64_t> hoursHundredths;
    std::optional<std::int64_t> unitPriceCents;
    std::optional<std::int64_t> discountAmountCents;
    double vatRate = 0;
    std::optional<std::string> vatTreatmentOverride;
    std::int64_t subtotalExVatCents = 0;
    std::int64_t vatAmountCents = 0;
    std::int64_t totalIncVatCents = 0;
    std::optional<std::string> section;
};

struct InvoiceContent {
    std::optional<OrganizationSnapshot> organizationSnapshot;
    std::optional<CustomerSnapshot> customerSnapshot;
    std::optional<ContactSnapshot> contactSnapshot;
    std::vector<InvoiceLineItem> lineItems;
    std::optional<std::string> paymentInstructions, footerText, title, introText, notesExternal,
        invoiceNumber, issueDate, dueDate, referenceNumber, projectDescription, freeText, vatTreatment;
    std::optional<long long> paymentTermsDays;
    // Fills "{{type}}" (e.g. "Factuur", "Herinnering"); the document's kind as its builder names it.
    std::optional<std::string> documentType;
    // For reminders: what is still open, and the dates a reminder refers to.
    std::optional<std::int64_t> outstandingCents;
    std::optional<std::string> originalIssueDate, newDueDate;
};

}  // namespace zelvorin
