#pragma once

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "persistence/sqlite/Connection.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"

namespace zelvorin::service {

// A draft of the demo organisation for its first customer, dated 16 March 2026, with `lines` fixed
// lines of `lineCents` excl. 21 % VAT, written through the one write path as `actor`.
inline void writeDemoDraft(Connection& db, const std::string& id, int lines, std::int64_t lineCents,
                           const Actor& actor, TimePoint now) {
    using Json = nlohmann::ordered_json;
    const std::string customer = records::all(db, demoOrganizationId(), std::string("customer"))[0].id;
    const std::int64_t subtotal = lineCents * lines;
    writeRecord(db, {demoOrganizationId(), SyncEntityType::draftInvoice, id, RecordOperation::put,
                     Json{{"id", id},
                          {"organizationId", demoOrganizationId()},
                          {"customerId", customer},
                          {"status", "draft"},
                          {"issueDate", "2026-03-16"},
                          {"dueDate", "2026-04-15"},
                          {"vatTreatment", "nl_21"},
                          {"subtotalCents", subtotal},
                          {"vatCents", subtotal * 21 / 100},
                          {"totalCents", subtotal * 121 / 100},
                          {"createdAt", "2026-03-16T09:00:00.000Z"},
                          {"updatedAt", "2026-03-16T09:00:00.000Z"}},
                     now, actor, std::nullopt});
    for (int line = 0; line < lines; ++line) {
        const std::string lineId = id + "-regel-" + std::to_string(line);
        writeRecord(db, {demoOrganizationId(), SyncEntityType::invoiceLine, lineId, RecordOperation::put,
                         Json{{"id", lineId},
                              {"organizationId", demoOrganizationId()},
                              {"invoiceId", id},
                              {"sortOrder", line},
                              {"description", "Ontwerpwerk"},
                              {"lineMode", "fixed"},
                              {"amountCents", lineCents},
                              {"createdAt", "2026-03-16T09:00:00.000Z"},
                              {"updatedAt", "2026-03-16T09:00:00.000Z"}},
                         now, actor, std::nullopt});
    }
}

}  // namespace zelvorin::service
