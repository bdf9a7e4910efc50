#include "persistence/repositories/KvitraRepository.h"

#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"

namespace zelvorin {
namespace {

// The condition a filter adds; nothing for `alle`.
const char* condition(KvitraRepository::InboxFilter filter) {
    switch (filter) {
        case KvitraRepository::InboxFilter::alle:
            return nullptr;
        case KvitraRepository::InboxFilter::nieuw:
            return "status = 'nieuw'";
        case KvitraRepository::InboxFilter::verwerken:
            return "status = 'verwerken'";
        case KvitraRepository::InboxFilter::gecategoriseerd:
            return "status = 'gecategoriseerd'";
        case KvitraRepository::InboxFilter::gearchiveerd:
            return "status = 'gearchiveerd'";
    }
    return nullptr;
}

const char* condition(KvitraRepository::CategoryFilter filter) {
    switch (filter) {
        case KvitraRepository::CategoryFilter::alle:
            return nullptr;
        case KvitraRepository::CategoryFilter::zakelijk:
            return "category = 'zakelijk'";
        case KvitraRepository::CategoryFilter::prive:
            return "category = 'prive'";
        case KvitraRepository::CategoryFilter::gemengd:
            return "category = 'gemengd'";
    }
    return nullptr;
}

}  // namespace

KvitraRepository::KvitraRepository(AppDatabase database) : database_(std::move(database)) {}

std::vector<IncomingInvoiceRecord> KvitraRepository::inbox(Connection& db, InboxFilter status,
                                                           CategoryFilter category) {
    std::string conditions = "deleted_at IS NULL";
    for (const char* extra : {condition(status), condition(category)})
        if (extra) conditions += std::string(" AND ") + extra;
    return selectRecords<IncomingInvoiceRecord>(
        db, "SELECT * FROM incoming_invoice\nWHERE " + conditions +
                "\nORDER BY received_at DESC NULLS LAST, created_at DESC");
}

std::vector<IncomingInvoiceRecord> KvitraRepository::inbox(InboxFilter status, CategoryFilter category) {
    return database_.writer->read([&](Connection& db) { return inbox(db, status, category); });
}

std::int64_t KvitraRepository::newItemCount() {
    return database_.writer->read([](Connection& db) {
        return countRows(
            db, "SELECT COUNT(*) FROM incoming_invoice WHERE status = 'nieuw' AND deleted_at IS NULL");
    });
}

std::optional<IncomingInvoiceRecord> KvitraRepository::item(const std::string& id) {
    return database_.writer->read([&](Connection& db) {
        return firstRecord<IncomingInvoiceRecord>(
            db, "SELECT * FROM incoming_invoice WHERE id = ? AND deleted_at IS NULL", id);
    });
}

std::optional<IncomingInvoiceRecord> KvitraRepository::itemIncludingDeleted(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<IncomingInvoiceRecord>(db, id); });
}

}  // namespace zelvorin
