#include "service/btw/VatQuarterFacts.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "domain/LineTotals.h"
#include "service/store/Records.h"

namespace zelvorin::service::btw {

namespace {

using Json = nlohmann::ordered_json;

std::string text(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_string() ? member->get<std::string>() : std::string();
}

std::optional<std::int64_t> integer(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || !member->is_number_integer()) return std::nullopt;
    return member->get<std::int64_t>();
}

std::map<std::string, Json> liveById(Connection& db, const std::string& organizationId, const char* type) {
    std::map<std::string, Json> byId;
    for (StoredRecord& record : records::all(db, organizationId, std::string(type))) {
        if (!record.deleted) byId[record.id] = std::move(record.payload);
    }
    return byId;
}

SalesLine salesLine(const Json& line, VatTreatment invoiceTreatment) {
    CalcLine calc;
    calc.lineMode = parseLineMode(text(line, "lineMode")).value_or(LineMode::fixed);
    calc.quantityHundredths = integer(line, "quantityHundredths");
    calc.unitPriceCents = integer(line, "unitPriceCents");
    calc.amountCents = integer(line, "amountCents");
    calc.vatTreatmentOverride = parseVatTreatment(text(line, "vatTreatmentOverride"));
    const LineTotals totals = lineTotals(calc, invoiceTreatment);
    return {effectiveTreatment(calc, invoiceTreatment), totals.exclCents, totals.vatCents,
            calc.lineMode == LineMode::qtyPrice};
}

// Numbered and not withdrawn: a draft, a number being handed out or a cancelled invoice is no turnover.
bool countsAsIssued(const Json& invoice) {
    const std::string status = text(invoice, "status");
    return !text(invoice, "invoiceNumber").empty() && status != "draft" && status != "readyForFinalize" &&
           status != "finalizing" && status != "cancelled";
}

struct Sales {
    std::map<std::string, Json> customers;
    std::map<std::string, std::vector<SalesLine>> linesByInvoice;
    std::map<std::string, std::vector<Payment>> paymentsByInvoice;
};

SalesDocument salesDocument(const Sales& sales, const std::string& id, const Json& invoice) {
    SalesDocument document;
    document.id = id;
    document.number = text(invoice, "invoiceNumber");
    document.issueDate = text(invoice, "issueDate");
    if (const std::string sent = text(invoice, "sentAt"); !sent.empty())
        document.sentDate = sent.substr(0, 10);
    if (const auto customer = sales.customers.find(text(invoice, "customerId"));
        customer != sales.customers.end()) {
        document.customerName = text(customer->second, "companyName");
        document.customerCountry = text(customer->second, "country");
        document.customerVatNumber = text(customer->second, "vatNumber");
    }
    document.totalCents = integer(invoice, "totalCents").value_or(0);
    if (const auto payments = sales.paymentsByInvoice.find(id); payments != sales.paymentsByInvoice.end())
        document.payments = payments->second;
    return document;
}

std::vector<SalesDocument> salesDocuments(Connection& db, const std::string& organizationId) {
    Sales sales;
    sales.customers = liveById(db, organizationId, "customer");
    const std::map<std::string, Json> invoices = liveById(db, organizationId, "draftInvoice");
    for (const auto& [id, line] : liveById(db, organizationId, "invoiceLine")) {
        const auto invoice = invoices.find(text(line, "invoiceId"));
        if (invoice == invoices.end()) continue;
        const VatTreatment treatment =
            parseVatTreatment(text(invoice->second, "vatTreatment")).value_or(VatTreatment::nl21);
        sales.linesByInvoice[invoice->first].push_back(salesLine(line, treatment));
    }
    for (const auto& [id, payment] : liveById(db, organizationId, "invoicePayment")) {
        sales.paymentsByInvoice[text(payment, "invoiceId")].push_back(
            {text(payment, "paymentDate"), integer(payment, "amountCents").value_or(0)});
    }

    std::vector<SalesDocument> documents;
    for (const auto& [id, invoice] : invoices) {
        if (!countsAsIssued(invoice)) continue;
        SalesDocument document = salesDocument(sales, id, invoice);
        document.lines = sales.linesByInvoice[id];
        documents.push_back(std::move(document));
    }
    // A credit note kept as a record of its own carries no lines: it takes back the lines of the
    // invoice it credits, or, for a part, its own amounts at the invoice's rate.
    for (const auto& [id, credit] : liveById(db, organizationId, "creditNote")) {
        const auto original = invoices.find(text(credit, "creditedInvoiceId"));
        if (text(credit, "invoiceNumber").empty() || original == invoices.end()) continue;
        SalesDocument document = salesDocument(sales, id, credit);
        document.customerName = salesDocument(sales, original->first, original->second).customerName;
        const std::int64_t invoiceTotal = integer(original->second, "totalCents").value_or(0);
        if (document.totalCents == -invoiceTotal) {
            for (SalesLine line : sales.linesByInvoice[original->first]) {
                line.exclCents = -line.exclCents;
                line.vatCents = -line.vatCents;
                document.lines.push_back(line);
            }
        } else {
            document.lines.push_back(
                {parseVatTreatment(text(credit, "vatTreatment")).value_or(VatTreatment::nl21),
                 integer(credit, "subtotalCents").value_or(0), integer(credit, "vatCents").value_or(0),
                 false});
        }
        documents.push_back(std::move(document));
    }
    std::ranges::sort(documents, {}, [](const SalesDocument& d) { return std::tie(d.issueDate, d.number); });
    return documents;
}

void addInbox(QuarterFacts& facts, Connection& db, const std::string& organizationId) {
    for (const auto& [id, item] : liveById(db, organizationId, "incomingInvoice")) {
        if (!integer(item, "extractedAmount")) continue;  // not read (yet): nothing to count
        const std::string category = text(item, "category");
        if (category.empty()) {
            ++facts.uncategorisedDocuments;
            continue;
        }
        // Mixed and private documents are left to the user: only the business part is deductible.
        if (category != "zakelijk") continue;
        std::int64_t vat = 0;
        const auto breakdown = item.find("extractedVatBreakdown");
        if (breakdown != item.end() && breakdown->is_array()) {
            for (const Json& rate : *breakdown)
                vat += integer(rate, "vatCents").value_or(0);
        }
        std::string date = text(item, "extractedInvoiceDate");
        if (date.empty()) date = text(item, "receivedAt");
        facts.costDocuments.push_back({date.substr(0, 10), vat});
    }
}

void addOutgoing(QuarterFacts& facts, Connection& db, const std::string& organizationId) {
    for (const auto& [id, transaction] : liveById(db, organizationId, "bankTransaction")) {
        if (text(transaction, "direction") == "in") continue;
        OutgoingTransaction outgoing;
        outgoing.id = id;
        outgoing.date = text(transaction, "transactionDate");
        const std::int64_t amount = integer(transaction, "amountCents").value_or(0);
        outgoing.amountCents = amount < 0 ? -amount : amount;
        outgoing.counterpartyName = text(transaction, "counterpartyName");
        if (std::string category = text(transaction, "category"); !category.empty())
            outgoing.category = std::move(category);
        if (const auto rate = integer(transaction, "vatRatePercent"))
            outgoing.vatRatePercent = static_cast<int>(*rate);
        outgoing.hasDocument = !text(transaction, "matchedIncomingInvoiceId").empty();
        facts.outgoing.push_back(std::move(outgoing));
    }
    std::ranges::sort(facts.outgoing, {},
                      [](const OutgoingTransaction& t) { return std::tie(t.date, t.id); });
}

}  // namespace

QuarterFacts gatherFacts(Connection& db, const std::string& organizationId) {
    QuarterFacts facts;
    for (const auto& [id, settings] : liveById(db, organizationId, "orgSettings")) {
        if (text(settings, "vatBasis") == "kas") facts.basis = VatBasis::cash;
    }
    facts.sales = salesDocuments(db, organizationId);
    addInbox(facts, db, organizationId);
    addOutgoing(facts, db, organizationId);
    return facts;
}

}  // namespace zelvorin::service::btw
