#include "persistence/repositories/BankRepository.h"

#include <stdexcept>

#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"

namespace zelvorin {
namespace {

constexpr const char* kTransactionOrder = "\nORDER BY transaction_date DESC, created_at DESC";

std::string conditions(BankRepository::TransactionFilter filter,
                       const std::optional<std::string>& accountId) {
    std::string where = "deleted_at IS NULL";
    if (accountId) where += " AND bank_account_id = ?";
    if (filter == BankRepository::TransactionFilter::onbekend)
        where += " AND (matched_invoice_id IS NULL AND matched_incoming_invoice_id IS NULL)";
    return where;
}

// The account id, when given, is the first parameter of every transaction query.
template <class... Tail>
std::vector<BankTransactionRecord> selectTransactions(Connection& db, const std::string& sql,
                                                      const std::optional<std::string>& accountId,
                                                      const Tail&... tail) {
    return accountId ? selectRecords<BankTransactionRecord>(db, sql, *accountId, tail...)
                     : selectRecords<BankTransactionRecord>(db, sql, tail...);
}

}  // namespace

BankRepository::BankRepository(AppDatabase database) : database_(std::move(database)) {}

std::vector<BankAccountRecord> BankRepository::accounts() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<BankAccountRecord>(
            db, "SELECT * FROM bank_account\nWHERE deleted_at IS NULL\nORDER BY name ASC");
    });
}

BankRepository::TransactionPage BankRepository::transactionPage(TransactionFilter filter,
                                                                const std::optional<std::string>& accountId,
                                                                int pageSize, std::int64_t offset) {
    if (pageSize < 1) throw PersistenceError::invalidInput("Een pagina bevat minstens één transactie.");
    if (offset < 0)
        throw PersistenceError::invalidInput("De positie in de transactielijst kan niet negatief zijn.");
    TransactionPage page;
    page.items = database_.writer->read([&](Connection& db) {
        return selectTransactions(db,
                                  "SELECT * FROM bank_transaction\nWHERE " + conditions(filter, accountId) +
                                      kTransactionOrder + "\nLIMIT ? OFFSET ?",
                                  accountId, std::int64_t{pageSize} + 1, offset);
    });
    page.hasMore = page.items.size() > static_cast<std::size_t>(pageSize);
    if (page.hasMore) page.items.resize(static_cast<std::size_t>(pageSize));
    return page;
}

std::vector<BankTransactionRecord> BankRepository::transactions(TransactionFilter filter,
                                                                const std::optional<std::string>& accountId) {
    return database_.writer->read([&](Connection& db) {
        return selectTransactions(
            db, "SELECT * FROM bank_transaction\nWHERE " + conditions(filter, accountId) + kTransactionOrder,
            accountId);
    });
}

std::int64_t BankRepository::transactionCount(TransactionFilter filter,
                                              const std::optional<std::string>& accountId) {
    return database_.writer->read([&](Connection& db) {
        const std::string sql =
            "SELECT COUNT(*) FROM bank_transaction WHERE " + conditions(filter, accountId);
        return accountId ? countRows(db, sql, *accountId) : countRows(db, sql);
    });
}

std::optional<BankTransactionRecord> BankRepository::transaction(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<BankTransactionRecord>(db, id); });
}

}  // namespace zelvorin
