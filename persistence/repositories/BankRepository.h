#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// Bank accounts and their transactions, server-owned tables this side only reads.
class BankRepository {
public:
    // onbekend: matched neither to an outgoing nor to an incoming invoice.
    enum class TransactionFilter { alle, onbekend };

    struct TransactionPage {
        std::vector<BankTransactionRecord> items;
        bool hasMore = false;
        bool operator==(const TransactionPage&) const = default;
    };

    explicit BankRepository(AppDatabase database);

    std::vector<BankAccountRecord> accounts();  // by name

    // Transactions that are not deleted, newest first, of one account when an id is given.
    // A page asks for one row more than it returns to learn whether more follow. Throws
    // PersistenceError invalidInput for a page size below 1 or a negative offset.
    TransactionPage transactionPage(TransactionFilter filter, const std::optional<std::string>& accountId,
                                    int pageSize, std::int64_t offset);
    std::vector<BankTransactionRecord> transactions(TransactionFilter filter,
                                                    const std::optional<std::string>& accountId);
    std::int64_t transactionCount(TransactionFilter filter, const std::optional<std::string>& accountId);
    // Finds tombstoned transactions too.
    std::optional<BankTransactionRecord> transaction(const std::string& id);

private:
    AppDatabase database_;
};

}  // namespace zelvorin
