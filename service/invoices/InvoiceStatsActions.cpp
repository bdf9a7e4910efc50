#include "service/invoices/InvoiceStatsActions.h"

#include <algorithm>
#include <map>

#include "service/invoices/InvoiceRecords.h"
#include "service/store/InvoiceEvents.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

Json optional(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

Json invoiceStats(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId) {
    return database.read([&](Connection& db) {
        const StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        std::int64_t delivered = 0, views = 0;
        std::optional<std::string> lastViewedAt;
        std::map<std::string, std::int64_t> sessionsByDay;
        for (const InvoiceEvent& event : invoiceevents::ofInvoice(db, caller.organizationId, invoiceId)) {
            if (event.kind == "sent" || event.kind == "resent" || event.kind == "reminder") ++delivered;
            if (event.kind == "viewed") {
                ++views;
                lastViewedAt = event.occurredAt;
                ++sessionsByDay[event.occurredAt.substr(0, 10)];
            }
        }
        const std::int64_t bounced = invoice.payload.value("emailBounced", false) && delivered > 0 ? 1 : 0;
        Json byDay = Json::array();
        for (const auto& [day, sessions] : sessionsByDay)
            byDay.push_back(Json{{"day", day}, {"sessions", sessions}});

        std::vector<StoredRecord> payments =
            records::withMember(db, caller.organizationId, "invoicePayment", "invoiceId", invoiceId);
        std::ranges::sort(payments, [](const StoredRecord& a, const StoredRecord& b) {
            return std::pair(text(a.payload, "paymentDate"), text(a.payload, "createdAt")) <
                   std::pair(text(b.payload, "paymentDate"), text(b.payload, "createdAt"));
        });
        Json rows = Json::array();
        std::int64_t paid = 0;
        for (const StoredRecord& payment : payments) {
            paid += invoicerecords::integer(payment.payload, "amountCents");
            rows.push_back(Json{{"amountCents", invoicerecords::integer(payment.payload, "amountCents")},
                                {"method", text(payment.payload, "method").value_or("")},
                                {"paymentDate", text(payment.payload, "paymentDate").value_or("")},
                                {"createdAt", text(payment.payload, "createdAt").value_or("")}});
        }
        const std::string status = text(invoice.payload, "status").value_or("");
        const std::int64_t open =
            status == "cancelled" ? 0
                                  : std::max<std::int64_t>(
                                        0, invoicerecords::openCents(db, caller, invoiceId, invoice.payload));
        return Json{
            {"totalOpens", views},
            {"uniqueSessions", views},
            {"lastViewedAt", optional(lastViewedAt)},
            {"deviceBreakdown", Json{{"desktop", 0}, {"tablet", 0}, {"mobile", 0}}},
            {"sessionsByDay", std::move(byDay)},
            {"bounceRate",
             delivered > 0 ? static_cast<double>(bounced) / static_cast<double>(delivered) : 0.0},
            {"mail", Json{{"delivered", delivered}, {"opened", 0}, {"clicked", 0}, {"bounced", bounced}}},
            {"mailTrackingAvailable", false},
            {"payment", Json{{"status", status},
                             {"paidCents", paid},
                             {"outstandingCents", open},
                             {"method", payments.empty() ? Json(nullptr)
                                                         : optional(text(payments.back().payload, "method"))},
                             {"paidAt", optional(text(invoice.payload, "paidAt"))},
                             {"payments", std::move(rows)}}}};
    });
}

}  // namespace zelvorin::service
