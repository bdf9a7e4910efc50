#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "domain/InvoiceStatus.h"
#include "domain/InvoiceTotals.h"
#include "domain/LineMode.h"
#include "domain/VatTreatment.h"
#include "service/seed/SeedContext.h"

// The pieces the demo seed is built from: plans (what to seed, as data) and the functions that
// turn a plan into records, each returning what later pieces refer to.
namespace zelvorin::service::seed {

struct OrgProfile {
    std::string name;
    std::string street;
    std::string postcode;
    std::string city;
    std::string vatNumber;
    std::string kvkNumber;
    std::string iban;
    std::string bic;
    std::string email;
    std::string phone;
    std::string primaryColor;
    std::string accentColor;
    std::string headingFont;
    std::string bodyFont;
    std::int64_t defaultHourlyRateCents = 0;
};

struct SeededOrganisation {
    std::string id;
    OrgProfile profile;
    std::string invoiceTemplateId;
    std::string invoiceEmailTemplateId;  // the Dutch "invoice" e-mail, the default for new customers
};

struct ContactPlan {
    std::string name;
    std::string email;
    std::string phone;
    bool primary = false;
    bool invoiceContact = false;
};

struct CustomerPlan {
    std::string companyName;
    std::string street;
    std::string houseNumber;
    std::string postcode;
    std::string city;
    std::string country;  // ISO code
    std::optional<std::string> vatNumber;
    std::optional<std::string> kvkNumber;
    std::string billingEmail;
    std::string iban;      // the account they pay from
    std::string language;  // "nl" or "en"
    std::optional<std::int64_t> paymentTermsOverride;
    std::vector<ContactPlan> contacts;
};

struct SeededCustomer {
    std::string id;
    CustomerPlan plan;
    std::vector<std::string> contactIds;
};

struct LinePlan {
    std::string description;
    LineMode mode = LineMode::hoursRate;
    std::optional<std::int64_t> quantityHundredths;
    std::optional<std::int64_t> unitPriceCents;
    std::optional<std::int64_t> amountCents;
    std::optional<VatTreatment> vatOverride;
};

struct InvoicePlan {
    InvoiceStatus status = InvoiceStatus::draft;
    int customer = 0;  // index into the organisation's customers
    int issuedDaysAgo = 0;
    VatTreatment treatment = VatTreatment::nl21;
    std::vector<LinePlan> lines;
};

struct SeededInvoice {
    std::string id;
    std::optional<std::string> number;
    InvoiceStatus status = InvoiceStatus::draft;
    int customer = 0;
    int issueDay = 0;  // days from the reference date
    int dueDay = 0;
    InvoiceTotals totals;
    std::int64_t paidCents = 0;                          // sum of its payments
    std::optional<int> paidDay;                          // day of its last payment
    std::vector<std::pair<std::int64_t, int>> payments;  // amount in cents, day
};

// A document in the inbox, for the bank transactions that pay it.
struct SeededIncoming {
    std::string id;
    std::string senderName;
    std::int64_t amountCents = 0;  // including VAT
    int day = 0;
    int vatRatePercent = 0;
};

// Settings, the invoice template, the e-mail templates, variables and inbox rules.
SeededOrganisation seedOrganisation(SeedContext& context, const std::string& organizationId,
                                    const OrgProfile& profile, int nextInvoiceSequence);

std::vector<SeededCustomer> seedCustomers(SeedContext& context, const SeededOrganisation& organisation,
                                          const std::vector<CustomerPlan>& plans);

// Invoices with their lines, plus the payments, reminders and credit notes their status implies.
std::vector<SeededInvoice> seedInvoices(SeedContext& context, const SeededOrganisation& organisation,
                                        const std::vector<SeededCustomer>& customers,
                                        const std::vector<InvoicePlan>& plans);
// How many of `plans` carry an invoice number (everything past the draft stages).
int numberedInvoiceCount(const std::vector<InvoicePlan>& plans);

// Inbox documents (incoming invoices and receipts) in every state of their handling.
std::vector<SeededIncoming> seedInbox(SeedContext& context, const SeededOrganisation& organisation);

// One or two bank accounts and exactly `transactionCount` transactions: every payment of an invoice
// appears as a matched incoming transaction, every paid inbox document as a matched expense, the
// rest are ordinary costs, transfers and one payment nobody has matched yet.
void seedBank(SeedContext& context, const SeededOrganisation& organisation,
              const std::vector<SeededCustomer>& customers, const std::vector<SeededInvoice>& invoices,
              const std::vector<SeededIncoming>& incoming, int accountCount, int transactionCount);

// Two proposals, each with its recipient and share link.
void seedProposals(SeedContext& context, const SeededOrganisation& organisation,
                   const std::vector<SeededCustomer>& customers, const std::string& userId);

// Notifications, recurring schedules and proposals.
void seedWorkflow(SeedContext& context, const SeededOrganisation& organisation,
                  const std::vector<SeededCustomer>& customers, const std::vector<SeededInvoice>& invoices,
                  const std::string& userId);

}  // namespace zelvorin::service::seed
