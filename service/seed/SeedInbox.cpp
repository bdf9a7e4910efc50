#include <algorithm>
#include <array>
#include <string_view>

#include "domain/VatTreatment.h"
#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {
struct InboxDocument {
    const char* source;
    const char* senderName;
    const char* senderEmail;
    const char* subject;
    int daysAgo;
    std::int64_t amountCents;  // 0: not read yet
    int vatRatePercent;
    const char* status;
    const char* category;  // empty: not categorised yet
    const char* invoiceNumber;
};

// One document per step of handling: just arrived, being read, categorised, archived, a receipt
// that failed to read, and a business-and-private mix.
constexpr std::array<InboxDocument, 6> kInbox{{
    {"email", "Telecom Noord B.V.", "facturen@telecom-noord.nl", "Uw factuur van deze maand", 4, 6534, 21,
     "nieuw", "", "TN-2291044"},
    {"upload", "Kantoorhuis Utrecht", "facturen@kantoorhuis.nl", "Factuur 88120", 9, 4789, 21, "verwerken",
     "zakelijk", "88120"},
    {"email", "Vakboekhandel Lezen & Leren", "orders@lezenenleren.nl", "Uw bestelling", 25, 5450, 9,
     "gecategoriseerd", "zakelijk", "LL-55012"},
    {"share", "Cloudopslag Nederland", "billing@cloudopslag.nl", "Factuur jaarabonnement", 70, 14388, 21,
     "gearchiveerd", "zakelijk", "CO-2024-118"},
    {"upload", "Bon tankstation", "", "Bon", 2, 0, 0, "nieuw", "", ""},
    {"email", "Fietsenmaker Van Dijk", "info@fietsenvandijk.nl", "Factuur reparatie", 40, 18150, 21,
     "gecategoriseerd", "gemengd", "FVD-3390"},
}};

Json extractedLines(const InboxDocument& document) {
    const std::int64_t excl = document.amountCents * 100 / (100 + document.vatRatePercent);
    Json lines = Json::array();
    lines.push_back({{"description", document.subject},
                     {"amountCents", excl},
                     {"vatRatePercent", document.vatRatePercent}});
    return lines;
}

Json vatBreakdown(const InboxDocument& document) {
    const std::int64_t excl = document.amountCents * 100 / (100 + document.vatRatePercent);
    Json breakdown = Json::array();
    breakdown.push_back({{"ratePercent", document.vatRatePercent},
                         {"baseCents", excl},
                         {"vatCents", document.amountCents - excl}});
    return breakdown;
}

Json inboxPayload(SeedContext& context, const SeededOrganisation& organisation,
                  const InboxDocument& document) {
    const int day = -document.daysAgo;
    const bool read = document.amountCents > 0;
    Json item;
    item["id"] = context.nextId();
    item["organizationId"] = organisation.id;
    item["source"] = document.source;
    if (*document.senderEmail != '\0') {
        item["emailType"] = "invoice";
        item["senderEmail"] = document.senderEmail;
    }
    item["senderName"] = document.senderName;
    item["subject"] = document.subject;
    item["receivedAt"] = context.timestamp(day, 8, 30);
    if (read) {
        item["extractedAmount"] = document.amountCents;
        item["currency"] = "EUR";
        item["extractedInvoiceDate"] = context.date(day - 1);
        item["extractedSenderCompany"] = document.senderName;
        item["extractedInvoiceNumber"] = document.invoiceNumber;
        item["extractedLines"] = extractedLines(document);
        item["extractedVatBreakdown"] = vatBreakdown(document);
        item["invoiceType"] = "incoming";
    } else {
        item["extractionError"] = "Tekst op de bon kon niet worden gelezen.";
    }
    item["pdfPath"] = "kvitra/" + organisation.id + "/" + item["id"].get<std::string>() + ".pdf";
    item["thumbnailPath"] = "kvitra/" + organisation.id + "/" + item["id"].get<std::string>() + ".png";
    item["extractionAttempts"] = read ? 1 : 3;
    item["extractionStartedAt"] = context.timestamp(day, 8, 31);
    item["status"] = document.status;
    if (*document.category != '\0') item["category"] = document.category;
    item["createdAt"] = context.timestamp(day, 8, 30);
    item["updatedAt"] = context.timestamp(day, 8, 32);
    addServerBookkeeping(item, context);
    return item;
}

}  // namespace

std::vector<SeededIncoming> seedInbox(SeedContext& context, const SeededOrganisation& organisation) {
    std::vector<SeededIncoming> seeded;
    for (const InboxDocument& document : kInbox) {
        const Json item = inboxPayload(context, organisation, document);
        context.put(organisation.id, "incomingInvoice", item);
        // Only documents that were read and filed have been paid from the bank account.
        if (std::string_view(document.status) == "gecategoriseerd" ||
            std::string_view(document.status) == "gearchiveerd") {
            seeded.push_back({item["id"].get<std::string>(), document.senderName, document.amountCents,
                              -document.daysAgo, document.vatRatePercent});
        }
    }
    return seeded;
}

}  // namespace zelvorin::service::seed
