#include "service/inbox/ReverseBilling.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceParty.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/InvoiceTotals.h"

namespace zelvorin::service {

using namespace std::chrono;

namespace {

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

std::string treatmentOf(std::int64_t rate) {
    return rate == 21 ? "nl_21" : rate == 9 ? "nl_9" : "nl_0";
}

std::string folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The item's own customer, else the one customer named as the document's sender.
std::optional<std::string> customerOf(Connection& db, const Caller& caller, const Json& item) {
    if (const auto id = invoicerecords::text(item, "customerId")) {
        const auto customer = records::find(db, caller.organizationId, "customer", *id);
        if (customer && !customer->deleted) return *id;
    }
    const std::string sender = folded(invoicerecords::text(item, "extractedSenderCompany")
                                          .value_or(invoicerecords::text(item, "senderName").value_or("")));
    if (sender.empty()) return std::nullopt;
    for (const StoredRecord& customer : records::all(db, caller.organizationId, std::string("customer")))
        if (!customer.deleted &&
            folded(invoicerecords::text(customer.payload, "companyName").value_or("")) == sender)
            return customer.id;
    return std::nullopt;
}

// The document's date ("yyyy-MM-dd" or the Dutch "dd-MM-yyyy" a reading may carry), else today.
year_month_day issueDateOf(const Json& item, TimePoint now) {
    const std::string text = invoicerecords::text(item, "extractedInvoiceDate").value_or("");
    if (auto date = parseCalendarDate(text.substr(0, std::min<std::size_t>(text.size(), 10)))) return *date;
    if (text.size() == 10 && text[2] == '-' && text[5] == '-')
        if (auto date =
                parseCalendarDate(text.substr(6, 4) + "-" + text.substr(3, 2) + "-" + text.substr(0, 2)))
            return *date;
    return year_month_day{floor<days>(now)};
}

}  // namespace

std::vector<BilledPortion> reverseBillingPortions(std::int64_t totalCents, const Json& vatBreakdown) {
    if (totalCents <= 0) refuse("Dit document heeft geen bedrag om te factureren.");
    std::map<std::int64_t, std::int64_t, std::greater<>> vatByRate;  // percent → cents
    bool namesZeroRate = false;
    if (vatBreakdown.is_array())
        for (const Json& entry : vatBreakdown) {
            const auto rate = entry.find("rate");
            const auto amount = entry.find("amount");
            if (!entry.is_object() || rate == entry.end() || !rate->is_number() || amount == entry.end() ||
                !amount->is_number())
                continue;
            const std::int64_t percent = std::llround(rate->get<double>());
            if (percent != 21 && percent != 9 && percent != 0)
                refuse("Dit document noemt " + std::to_string(percent) +
                       " % btw; een Nederlandse factuur kent alleen 21 %, 9 % en 0 %.");
            if (percent == 0)
                namesZeroRate = true;
            else
                vatByRate[percent] += std::llround(amount->get<double>() * 100);
        }
    if (vatByRate.empty() && !namesZeroRate)
        return {
            {"nl_21", static_cast<std::int64_t>(std::llround(static_cast<double>(totalCents) * 100 / 121))}};

    std::vector<BilledPortion> portions;
    std::int64_t remainder = totalCents;
    for (const auto& [rate, vat] : vatByRate) {
        if (vat <= 0) continue;
        const std::int64_t base = std::llround(static_cast<double>(vat) * 100 / static_cast<double>(rate));
        portions.push_back({treatmentOf(rate), base});
        remainder -= base + vat;
    }
    // Each rate's base is rounded from its VAT; drift within those roundings belongs to the largest
    // base, anything more was not taxed.
    const auto rounding = static_cast<std::int64_t>(portions.size());
    if (remainder < -rounding) refuse("Het btw-bedrag van dit document is groter dan het totaal toelaat.");
    if (!portions.empty() && std::abs(remainder) <= rounding) {
        std::max_element(
            portions.begin(), portions.end(),
            [](const BilledPortion& a, const BilledPortion& b) { return a.exclCents < b.exclCents; })
            ->exclCents += remainder;
    } else if (remainder > 0) {
        portions.push_back({"nl_0", remainder});
    }
    return portions;
}

std::string createReverseBilling(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                                 TimePoint now) {
    // Keyed by the item: a counter of its own would repeat the upload's ids within one millisecond.
    const std::string invoiceId = uuidV7(now, std::hash<std::string>{}("reverse-billing " + id));
    const std::string stamp = formatTimestampMillis(now);
    database.write([&](Connection& db) {
        const std::optional<StoredRecord> item =
            records::find(db, caller.organizationId, "incomingInvoice", id);
        if (!item || item->deleted) throw ServiceError(ErrorKind::notFound, "Document niet gevonden.");
        if (const auto earlier = invoicerecords::text(item->payload, "outgoingInvoiceId")) {
            const auto invoice = records::find(db, caller.organizationId, "draftInvoice", *earlier);
            if (invoice && !invoice->deleted)
                throw ServiceError(ErrorKind::conflict, "Van dit document is al een factuur gemaakt.");
        }
        const std::optional<std::string> customerId = customerOf(db, caller, item->payload);
        if (!customerId)
            refuse("Koppel eerst een klant aan dit document: geen klant heeft de naam van de afzender.");
        const auto amount = item->payload.find("extractedAmount");
        const std::vector<BilledPortion> portions = reverseBillingPortions(
            amount != item->payload.end() && amount->is_number_integer() ? amount->get<std::int64_t>() : 0,
            item->payload.value("extractedVatBreakdown", Json::array()));

        const InvoiceParty party = invoiceParty(db, caller.organizationId, *customerId);
        const year_month_day issued = issueDateOf(item->payload, now);
        const std::optional<std::string> number =
            invoicerecords::text(item->payload, "extractedInvoiceNumber");
        const std::string about =
            number ? "document " + *number : "document van " + formatCalendarDate(issued);
        Json invoice{
            {"id", invoiceId},
            {"organizationId", caller.organizationId},
            {"customerId", *customerId},
            {"status", "draft"},
            {"issueDate", formatCalendarDate(issued)},
            {"dueDate", formatCalendarDate(year_month_day{sys_days{issued} + days{party.paymentTermDays}})},
            {"vatTreatment", portions.front().vatTreatment},
            {"subtotalCents", 0},
            {"vatCents", 0},
            {"totalCents", 0},
            {"invoiceType", "regular"},
            {"projectDescription", "Zelffactuur bij " + about},
            {"createdAt", stamp},
            {"updatedAt", stamp}};
        if (party.billingEmail) invoice["invoiceEmail"] = *party.billingEmail;
        invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, invoice, now);
        for (std::size_t index = 0; index < portions.size(); ++index) {
            const BilledPortion& portion = portions[index];
            const std::string lineId = invoiceId + "-" + std::to_string(index);
            std::string description = "Geleverd volgens " + about;
            if (portions.size() > 1)
                description += portion.vatTreatment == "nl_21"  ? " (21 % btw)"
                               : portion.vatTreatment == "nl_9" ? " (9 % btw)"
                                                                : " (0 % btw)";
            Json line{{"id", lineId},
                      {"invoiceId", invoiceId},
                      {"sortOrder", static_cast<int>(index)},
                      {"description", std::move(description)},
                      {"lineMode", "fixed"},
                      {"amountCents", portion.exclCents},
                      {"lineTotalCents", portion.exclCents},
                      {"createdAt", stamp},
                      {"updatedAt", stamp}};
            if (portion.vatTreatment != portions.front().vatTreatment)
                line["vatTreatmentOverride"] = portion.vatTreatment;
            invoicerecords::put(db, caller, SyncEntityType::invoiceLine, lineId, line, now);
        }
        restateInvoiceTotals(db, caller.organizationId, invoiceId, now,
                             Actor{ChangeSource::route, caller.userId, caller.deviceId});

        Json linked = item->payload;
        linked["outgoingInvoiceId"] = invoiceId;
        linked["customerId"] = *customerId;
        linked["updatedAt"] = stamp;
        invoicerecords::put(db, caller, SyncEntityType::incomingInvoice, id, std::move(linked), now);
    });
    return invoiceId;
}

}  // namespace zelvorin::service
