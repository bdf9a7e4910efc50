#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// The Kvitra inbox: incoming invoices and receipts, a server-owned table this side only reads.
class KvitraRepository {
public:
    enum class InboxFilter { alle, nieuw, verwerken, gecategoriseerd, gearchiveerd };
    enum class CategoryFilter { alle, zakelijk, prive, gemengd };

    explicit KvitraRepository(AppDatabase database);

    // Items that are not deleted, newest received first, undated ones after all dated ones.
    static std::vector<IncomingInvoiceRecord> inbox(Connection& db, InboxFilter status,
                                                    CategoryFilter category);
    std::vector<IncomingInvoiceRecord> inbox(InboxFilter status, CategoryFilter category);
    std::int64_t newItemCount();
    std::optional<IncomingInvoiceRecord> item(const std::string& id);
    // Finds tombstoned items too.
    std::optional<IncomingInvoiceRecord> itemIncludingDeleted(const std::string& id);

private:
    AppDatabase database_;
};

}  // namespace zelvorin
