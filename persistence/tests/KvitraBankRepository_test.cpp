#include <gtest/gtest.h>

#include "persistence/repositories/BankRepository.h"
#include "persistence/repositories/KvitraRepository.h"
#include "persistence/tests/ServerRows.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

using testing::ids;
using testing::row;
using Inbox = KvitraRepository::InboxFilter;
using Category = KvitraRepository::CategoryFilter;
using Filter = BankRepository::TransactionFilter;

TEST(KvitraRepositoryIntegrationTest, UndatedItemsComeLastAndFiltersCombine) {
    testing::ServerRows rows;
    const auto item = [](const std::string& id, std::optional<std::string> receivedAt,
                         const std::string& createdAt, const std::string& status,
                         const std::string& category) {
        return row<IncomingInvoiceRecord>(id, [&](auto& r) {
            r.receivedAt = receivedAt;
            r.createdAt = createdAt;
            r.status = status;
            r.category = category;
        });
    };
    IncomingInvoiceRecord deleted = item("deleted", "2026-03-09", "2026-03-09", "nieuw", "prive");
    deleted.deletedAt = "2026-03-10";
    rows.insert(item("march1", "2026-03-01", "2026-01-01", "nieuw", "prive"),
                item("undatedOld", std::nullopt, "2026-02-01", "nieuw", "zakelijk"),
                item("march5", "2026-03-05", "2026-01-01", "verwerken", "prive"),
                item("undatedNew", std::nullopt, "2026-02-10", "gearchiveerd", "prive"), deleted);
    KvitraRepository kvitra(rows.database);

    EXPECT_EQ(ids(kvitra.inbox(Inbox::alle, Category::alle)),
              (std::vector<std::string>{"march5", "march1", "undatedNew", "undatedOld"}));
    EXPECT_EQ(ids(kvitra.inbox(Inbox::nieuw, Category::prive)), std::vector<std::string>{"march1"});
    EXPECT_EQ(ids(kvitra.inbox(Inbox::gearchiveerd, Category::alle)), std::vector<std::string>{"undatedNew"});
    EXPECT_TRUE(kvitra.inbox(Inbox::verwerken, Category::gemengd).empty());
    EXPECT_EQ(kvitra.newItemCount(), 2);  // not the deleted new one
    EXPECT_FALSE(kvitra.item("deleted"));
    EXPECT_EQ(kvitra.itemIncludingDeleted("deleted"), deleted);
}

BankTransactionRecord transaction(const std::string& id, const std::string& day,
                                  const std::string& account = "A") {
    return row<BankTransactionRecord>(id, [&](auto& r) {
        r.bankAccountId = account;
        r.transactionDate = day;
        r.createdAt = day;
    });
}

TEST(BankRepositoryIntegrationTest, PagesOfFiftyKnowWhetherMoreFollow) {
    testing::ServerRows rows;
    for (int i = 0; i < 51; ++i) {
        // Two per day, so the creation time decides within a day.
        const int day = 1 + i / 2;
        BankTransactionRecord t = transaction(
            "t" + std::to_string(i), "2026-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day));
        t.createdAt = std::to_string(100 + i);
        rows.insert(t);
    }
    BankRepository bank(rows.database);

    const BankRepository::TransactionPage first = bank.transactionPage(Filter::alle, "A", 50, 0);
    EXPECT_EQ(first.items.size(), 50u);
    EXPECT_TRUE(first.hasMore);
    const std::vector<std::string> firstIds = ids(first.items);
    EXPECT_EQ(std::vector(firstIds.begin(), firstIds.begin() + 3),
              (std::vector<std::string>{"t50", "t49", "t48"}));
    const BankRepository::TransactionPage exact = bank.transactionPage(Filter::alle, "A", 50, 1);
    EXPECT_EQ(exact.items.size(), 50u);
    EXPECT_FALSE(exact.hasMore);
    const BankRepository::TransactionPage last = bank.transactionPage(Filter::alle, std::nullopt, 50, 50);
    EXPECT_EQ(ids(last.items), std::vector<std::string>{"t0"});
    EXPECT_FALSE(last.hasMore);
    EXPECT_EQ(bank.transactions(Filter::alle, "A").back().id, "t0");
    EXPECT_EQ(bank.transactionCount(Filter::alle, std::nullopt), 51);

    EXPECT_EQ(testing::thrownKind([&] { bank.transactionPage(Filter::alle, std::nullopt, 0, 0); }),
              PersistenceError::Kind::invalidInput);
    EXPECT_EQ(testing::thrownKind([&] { bank.transactionPage(Filter::alle, std::nullopt, 50, -1); }),
              PersistenceError::Kind::invalidInput);
}

TEST(BankRepositoryIntegrationTest, OnlyTransactionsMatchedToNothingAreUnknown) {
    testing::ServerRows rows;
    BankTransactionRecord toInvoice = transaction("toInvoice", "2026-03-04");
    toInvoice.matchedInvoiceId = "inv";
    BankTransactionRecord toIncoming = transaction("toIncoming", "2026-03-03");
    toIncoming.matchedIncomingInvoiceId = "in";
    BankTransactionRecord deleted = transaction("deleted", "2026-03-06");
    deleted.deletedAt = "2026-03-07";
    const auto account = [](const std::string& id, const std::string& name,
                            std::optional<std::string> deletedAt) {
        return row<BankAccountRecord>(id, [&](auto& r) {
            r.name = name;
            r.deletedAt = deletedAt;
        });
    };
    rows.insert(transaction("open", "2026-03-02"), transaction("otherAccount", "2026-03-05", "B"), toInvoice,
                toIncoming, deleted, account("A", "Zakelijk", std::nullopt),
                account("B", "Betaal", std::nullopt), account("C", "Apart", "2026-03-01"));
    BankRepository bank(rows.database);

    EXPECT_EQ(ids(bank.transactions(Filter::onbekend, std::nullopt)),
              (std::vector<std::string>{"otherAccount", "open"}));
    EXPECT_EQ(ids(bank.transactions(Filter::onbekend, "A")), std::vector<std::string>{"open"});
    EXPECT_EQ(bank.transactionCount(Filter::onbekend, std::nullopt), 2);
    EXPECT_EQ(bank.transactionCount(Filter::alle, "A' OR '1'='1"), 0);
    EXPECT_EQ(bank.transaction("deleted"), deleted);
    EXPECT_EQ(ids(bank.accounts()), (std::vector<std::string>{"B", "A"}));
}

}  // namespace
}  // namespace zelvorin
