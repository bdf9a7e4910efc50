#include "service/store/InvoiceNumberCounter.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::invoicenumbercounter {

std::optional<std::int64_t> last(Connection& db, const std::string& organizationId, int year) {
    Statement& row =
        db.cached("SELECT last_sequence FROM invoice_number_counter WHERE organization_id = ? AND year = ?");
    row.bindAll(organizationId, static_cast<std::int64_t>(year));
    if (!row.step()) return std::nullopt;
    return row.int64(0);
}

std::vector<std::pair<int, std::int64_t>> all(Connection& db, const std::string& organizationId) {
    Statement& rows = db.cached(
        "SELECT year, last_sequence FROM invoice_number_counter WHERE organization_id = ? ORDER BY year");
    rows.bindAll(organizationId);
    std::vector<std::pair<int, std::int64_t>> found;
    while (rows.step())
        found.emplace_back(static_cast<int>(rows.int64(0)), rows.int64(1));
    return found;
}

void setLast(Connection& db, const std::string& organizationId, int year, std::int64_t sequence) {
    db.cached(
          "INSERT INTO invoice_number_counter (organization_id, year, last_sequence) VALUES (?, ?, ?) "
          "ON CONFLICT (organization_id, year) DO UPDATE SET last_sequence = excluded.last_sequence")
        .bindAll(organizationId, static_cast<std::int64_t>(year), sequence)
        .run();
}

}  // namespace zelvorin::service::invoicenumbercounter
