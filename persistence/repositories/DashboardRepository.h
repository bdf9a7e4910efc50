#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/Executor.h"
#include "persistence/Observation.h"
#include "persistence/repositories/InvoiceListItem.h"

namespace zelvorin {

// The dashboard's figures, in cents. Only regular invoices count (a NULL invoice_type is regular).
struct DashboardSummary {
    std::int64_t revenueThisMonthCents = 0;  // subtotals (without VAT) issued this month
    std::int64_t outstandingCents = 0;       // every non-zero remainder: an overpayment lowers it
    std::int64_t outstandingCount = 0;       // invoices with a positive remainder
    std::int64_t overdueCents = 0;           // positive remainders past their due date
    std::int64_t overdueCount = 0;
    std::optional<std::string> lastSuccessfulSyncAt;

    bool operator==(const DashboardSummary&) const = default;
};

// The dashboard's summary, its list of recently changed invoices, and the time of the last
// successful sync.
class DashboardRepository {
public:
    DashboardRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    // The summary for the UTC day `today` ("yyyy-MM-dd"); its month is the first seven characters.
    static DashboardSummary summary(Connection& db, std::string_view today);
    // The summary once, for today by the clock.
    DashboardSummary summary();
    // Delivers the summary now and after every commit that changed a table it reads. Today is
    // taken from the clock once, when the observation starts: a dashboard open over midnight keeps
    // its day until it observes again.
    ObservationHandle observeSummary(std::function<void(DashboardSummary)> onValue,
                                     std::shared_ptr<Executor> deliverOn);

    // The ten most recently changed invoices that are not deleted.
    std::vector<InvoiceListItem> recentInvoices();

    // Stores `time` (an ISO-8601 timestamp) as the last successful sync, creating the cursor row
    // when there is none. Throws PersistenceError invalidInput, writing nothing, for any other text.
    void recordSuccessfulSync(const std::string& time);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace zelvorin
