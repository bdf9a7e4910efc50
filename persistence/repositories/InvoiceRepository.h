#pragma once

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
#include "persistence/generated/Records.h"
#include "persistence/repositories/InvoiceListItem.h"
#include "persistence/repositories/InvoicePrintRecords.h"

namespace zelvorin {

// The five tabs of the invoice list; raw value = enumerator name ("concept" without the underscore
// that only keeps clear of the C++ keyword).
enum class InvoiceSegment { alle, concept_, verzonden, betaald, achterstallig };
std::string_view rawValue(InvoiceSegment segment);
std::optional<InvoiceSegment> parseInvoiceSegment(std::string_view raw);

struct InvoiceDetail {
    DraftInvoiceRecord invoice;
    std::vector<InvoiceLineRecord> lines;
    std::optional<CustomerRecord> customer;
    std::vector<InvoicePaymentRecord> payments;
    std::vector<InvoiceReminderRecord> reminders;
    bool operator==(const InvoiceDetail&) const = default;
};

struct InvoiceListQuery {
    InvoiceSegment segment = InvoiceSegment::alle;
    std::string search;  // empty: no search
    std::optional<int> year;
};

// The invoice screens' side of the local store. Every write changes the rows and queues the
// matching change in one transaction; writes that can change amounts recalculate the stored
// totals in that same transaction. Editing an id that does not exist throws PersistenceError notFound
// with a message for the user and changes nothing.
class InvoiceRepository {
public:
    InvoiceRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    // The list statement's text and, in order, its arguments.
    struct ListStatement {
        std::string sql;
        std::vector<SqlValue> arguments;
    };
    static ListStatement listStatement(const InvoiceListQuery& query, const std::string& today);
    // The list statement and its arguments; `today` is "yyyy-MM-dd" (sent invoices due before it
    // count as overdue).
    static std::vector<InvoiceListItem> list(Connection& db, const InvoiceListQuery& query,
                                             const std::string& today);
    // Today is taken once, when the observation starts.
    ObservationHandle observeList(InvoiceListQuery query,
                                  std::function<void(std::vector<InvoiceListItem>)> onValue,
                                  std::shared_ptr<Executor> deliverOn);
    // The list once, with today from the clock.
    std::vector<InvoiceListItem> list(const InvoiceListQuery& query);
    std::vector<InvoiceListItem> invoicesOfCustomer(const std::string& customerId);

    // Also finds a tombstoned invoice.
    static std::optional<InvoiceDetail> detail(Connection& db, const std::string& id);
    std::optional<InvoiceDetail> detail(const std::string& id);
    ObservationHandle observeDetail(std::string id, std::function<void(std::optional<InvoiceDetail>)> onValue,
                                    std::shared_ptr<Executor> deliverOn);
    std::optional<DraftInvoiceRecord> invoice(const std::string& id);  // not deleted
    std::optional<InvoiceLineRecord> line(const std::string& id);      // not deleted
    // A credit note that is not deleted credits the invoice.
    bool hasCreditNote(const std::string& invoiceId);
    // The sort order that puts a new line after the invoice's live lines (0 for the first).
    std::int64_t nextLineSortOrder(const std::string& invoiceId);
    // What the invoice is printed from (see InvoicePrintRecords); nothing for a missing or
    // deleted invoice.
    std::optional<InvoicePrintRecords> printRecords(const std::string& invoiceId);

    // A new local draft: due date from the organisation's payment term, a "D-" draft number.
    DraftInvoiceRecord createDraft(std::optional<std::string> customerId, const std::string& issueDate);
    // Writes the twelve header fields of `header` over the stored invoice.
    DraftInvoiceRecord updateHeader(const DraftInvoiceRecord& header, std::vector<std::string> changedFields);
    void deleteInvoice(const std::string& id);

    // The line's invoice must exist; its id is made here. `invoiceVatTreatment` is the raw text.
    InvoiceLineRecord addLine(InvoiceLineRecord line, const std::string& invoiceVatTreatment);
    InvoiceLineRecord updateLine(const InvoiceLineRecord& line, const std::string& invoiceVatTreatment);
    void deleteLine(const InvoiceLineRecord& line);

    // Settling a conflict: push the device's header over the service's, or drop the local edit
    // and fetch everything again on the next pull.
    void keepLocalVersion(const std::string& id);
    void discardLocalChanges(const std::string& id);

    // Subtotal, VAT and total from the invoice's live lines; nothing happens for a missing invoice.
    static void recalculateTotals(Connection& db, const std::string& id);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace zelvorin
