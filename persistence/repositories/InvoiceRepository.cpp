#include "persistence/repositories/InvoiceRepository.h"

#include <array>
#include <cstdio>
#include <stdexcept>

#include "domain/InvoiceDueDate.h"
#include "domain/InvoiceStatus.h"
#include "domain/InvoiceTotals.h"
#include "domain/LineTotals.h"
#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"
#include "persistence/repositories/LocalEdit.h"
#include "persistence/sync/SyncTransitions.h"

namespace zelvorin {
namespace {

constexpr std::array<std::string_view, 5> kSegmentNames{"alle", "concept", "verzonden", "betaald",
                                                        "achterstallig"};
constexpr const char* kListOrder = " ORDER BY i.issue_date DESC, i.created_at DESC";
constexpr const char* kAwaitingPayment = "'sent', 'delivered', 'viewed', 'partiallyPaid'";

std::string quotedStatuses(InvoiceWorkflowStage stage) {
    std::string list;
    for (InvoiceStatus status : statusesInStage(stage))
        list += (list.empty() ? "'" : ", '") + std::string(rawValue(status)) + "'";
    return list;
}

// The segment's condition; true when it binds today once.
bool appendSegment(std::string& sql, InvoiceSegment segment) {
    switch (segment) {
        case InvoiceSegment::alle:
            return false;
        case InvoiceSegment::concept_:
            sql += " AND i.status IN (" + quotedStatuses(InvoiceWorkflowStage::concept_) + ")";
            return false;
        case InvoiceSegment::betaald:
            sql += " AND i.status IN (" + quotedStatuses(InvoiceWorkflowStage::betaald) + ")";
            return false;
        case InvoiceSegment::verzonden:
            sql += " AND i.status IN (" + quotedStatuses(InvoiceWorkflowStage::verzonden) +
                   ")\n AND NOT (\n     i.status IN (" + kAwaitingPayment +
                   ")\n     AND i.due_date IS NOT NULL AND i.due_date < ?\n )";
            return true;
        case InvoiceSegment::achterstallig:
            sql += " AND (\n     i.status IN (" + quotedStatuses(InvoiceWorkflowStage::achterstallig) +
                   ")\n     OR (\n         i.status IN (" + kAwaitingPayment +
                   ")\n         AND i.due_date IS NOT NULL AND i.due_date < ?\n     )\n )";
            return true;
    }
    return false;
}

std::string yearBound(int year, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, year);
    return text;
}

PersistenceError missingInvoice(const std::string& id) {
    return PersistenceError::notFound("Factuur '" + id + "'");
}

DraftInvoiceRecord requireInvoice(Connection& db, const std::string& id) {
    std::optional<DraftInvoiceRecord> invoice = recordById<DraftInvoiceRecord>(db, id);
    if (!invoice || invoice->deletedAt) throw missingInvoice(id);
    return *invoice;
}

// What the customer received is kept once the invoice left draft (see SentInvoiceContent).
void requireEditableContent(const DraftInvoiceRecord& invoice) {
    if (!SentInvoiceContent::isEditable(invoice.status))
        throw PersistenceError::invalidInput(std::string(SentInvoiceContent::kRefusal));
}

// An existing line belongs to an invoice the customer may have received.
void requireLinesEditable(Connection& db, const std::string& invoiceId) {
    if (std::optional<DraftInvoiceRecord> invoice = recordById<DraftInvoiceRecord>(db, invoiceId))
        requireEditableContent(*invoice);
}

// The header fields the customer received, among the twelve a header edit writes.
std::vector<std::string_view> receivedHeaderFields() {
    std::vector<std::string_view> keys;
    for (std::string_view key : EditedFields::kInvoiceHeader)
        if (SentInvoiceContent::isReceivedField(key)) keys.push_back(key);
    return keys;
}

// A header edit of a sent invoice may change the organisation's own fields (internal note, the
// payment and portal switches, the e-mail address), never what the customer received.
void requireReceivedHeaderUnchanged(const DraftInvoiceRecord& stored, const DraftInvoiceRecord& edited) {
    if (SentInvoiceContent::isEditable(stored.status)) return;
    static const std::vector<std::string_view> received = receivedHeaderFields();
    if (LocalEdit::payload(stored, received) != LocalEdit::payload(edited, received))
        throw PersistenceError::invalidInput(std::string(SentInvoiceContent::kRefusal));
}

std::int64_t lineTotalCents(const InvoiceLineRecord& line, const std::string& invoiceVatTreatment) {
    const CalcLine calc = calcLineFromStored({line.lineMode, line.quantityHundredths, line.unitPriceCents,
                                              line.amountCents, line.vatTreatmentOverride});
    return lineTotals(calc, invoiceTreatmentFromStored(invoiceVatTreatment)).exclCents;
}

// The first ten characters of now as ISO-8601 text in UTC.
std::string todayText(const Clock& clock) {
    return formatTimestampMillis(clock.now()).substr(0, 10);
}

// The trigram tokenizer indexes three characters at a time; a shorter search matches nothing.
constexpr std::size_t kTrigramLength = 3;

// The search as one FTS5 phrase: a substring to find, whatever operators or quotes it holds.
std::string searchPhrase(const std::string& search) {
    std::string phrase = "\"";
    for (char c : search) {
        if (c == '"') phrase += '"';
        phrase += c;
    }
    return phrase + "\"";
}

std::string upperCased(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

std::string_view rawValue(InvoiceSegment segment) {
    return kSegmentNames[static_cast<std::size_t>(segment)];
}

std::optional<InvoiceSegment> parseInvoiceSegment(std::string_view raw) {
    for (std::size_t i = 0; i < kSegmentNames.size(); ++i)
        if (kSegmentNames[i] == raw) return static_cast<InvoiceSegment>(i);
    return std::nullopt;
}

InvoiceRepository::InvoiceRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

InvoiceRepository::ListStatement InvoiceRepository::listStatement(const InvoiceListQuery& query,
                                                                  const std::string& today) {
    std::string sql = std::string(kInvoiceListSelect) + "WHERE i.deleted_at IS NULL";
    std::vector<SqlValue> arguments;
    if (appendSegment(sql, query.segment)) arguments.emplace_back(today);
    const bool wildcards = query.search.find_first_of("%_") != std::string::npos;
    if (query.search.size() >= kTrigramLength && !wildcards) {
        // The invoice's own texts through their trigram index, the customer's name through the
        // (far smaller) customer table and the invoices' customer index: neither scans the invoices.
        // CROSS JOIN keeps the customers outside; left to itself the planner walked every invoice.
        sql +=
            " AND i.rowid IN (\n      SELECT rowid FROM draft_invoice_search WHERE draft_invoice_search "
            "MATCH ?\n"
            "      UNION SELECT d.rowid FROM customer k CROSS JOIN draft_invoice d ON d.customer_id = k.id\n"
            "      WHERE k.company_name LIKE ?)";
        arguments.emplace_back(searchPhrase(query.search));
        arguments.emplace_back("%" + query.search + "%");
    } else if (!query.search.empty()) {
        // Shorter than a trigram, or with LIKE's wildcards, which a typed search keeps: the index
        // cannot answer, the four columns are scanned.
        sql +=
            " AND (i.invoice_number LIKE ? OR c.company_name LIKE ?\n      OR i.project_description LIKE ? "
            "OR "
            "i.reference_number LIKE ?)";
        const std::string pattern = "%" + query.search + "%";
        arguments.insert(arguments.end(), 4, SqlValue(pattern));
    }
    if (query.year) {
        sql += " AND i.issue_date >= ? AND i.issue_date <= ?";
        arguments.emplace_back(yearBound(*query.year, "%04d-01-01"));
        arguments.emplace_back(yearBound(*query.year, "%04d-12-31"));
    }
    return {sql + kListOrder, std::move(arguments)};
}

std::vector<InvoiceListItem> InvoiceRepository::list(Connection& db, const InvoiceListQuery& query,
                                                     const std::string& today) {
    const auto [sql, arguments] = listStatement(query, today);
    Statement& select = db.cached(sql);
    for (std::size_t i = 0; i < arguments.size(); ++i)
        select.bind(static_cast<int>(i + 1), arguments[i]);
    std::vector<InvoiceListItem> items;
    while (select.step())
        items.push_back(InvoiceListItem::fromRow(select));
    return items;
}

std::vector<InvoiceListItem> InvoiceRepository::list(const InvoiceListQuery& query) {
    const std::string today = todayText(*clock_);
    return database_.writer->read([&](Connection& db) { return list(db, query, today); });
}

ObservationHandle InvoiceRepository::observeList(InvoiceListQuery query,
                                                 std::function<void(std::vector<InvoiceListItem>)> onValue,
                                                 std::shared_ptr<Executor> deliverOn) {
    const std::string today = todayText(*clock_);
    return database_.writer->observe<std::vector<InvoiceListItem>>(
        [query = std::move(query), today](Connection& db) { return list(db, query, today); },
        std::move(onValue), std::move(deliverOn));
}

std::vector<InvoiceListItem> InvoiceRepository::invoicesOfCustomer(const std::string& customerId) {
    return database_.writer->read([&](Connection& db) {
        Statement& select =
            db.cached(std::string(kInvoiceListSelect) +
                      "WHERE i.deleted_at IS NULL AND i.customer_id = ?\nORDER BY i.issue_date "
                      "DESC, i.created_at DESC");
        select.bind(1, customerId);
        std::vector<InvoiceListItem> items;
        while (select.step())
            items.push_back(InvoiceListItem::fromRow(select));
        return items;
    });
}

std::optional<InvoiceDetail> InvoiceRepository::detail(Connection& db, const std::string& id) {
    std::optional<DraftInvoiceRecord> invoice = recordById<DraftInvoiceRecord>(db, id);
    if (!invoice) return std::nullopt;
    InvoiceDetail detail{*invoice, {}, std::nullopt, {}, {}};
    detail.lines = selectRecords<InvoiceLineRecord>(db,
                                                    "SELECT * FROM invoice_line\nWHERE invoice_id = ? AND "
                                                    "deleted_at IS NULL\nORDER BY sort_order, created_at",
                                                    id);
    if (invoice->customerId) detail.customer = recordById<CustomerRecord>(db, *invoice->customerId);
    detail.payments = selectRecords<InvoicePaymentRecord>(
        db, "SELECT * FROM invoice_payment WHERE invoice_id = ? ORDER BY payment_date, created_at", id);
    detail.reminders = selectRecords<InvoiceReminderRecord>(
        db, "SELECT * FROM invoice_reminder WHERE invoice_id = ? ORDER BY sent_at", id);
    return detail;
}

std::optional<InvoiceDetail> InvoiceRepository::detail(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return detail(db, id); });
}

bool InvoiceRepository::hasCreditNote(const std::string& invoiceId) {
    return database_.writer->read([&](Connection& db) {
        return countRows(
                   db,
                   "SELECT COUNT(*) FROM draft_invoice WHERE credited_invoice_id = ? AND deleted_at IS NULL",
                   invoiceId) > 0;
    });
}

std::int64_t InvoiceRepository::nextLineSortOrder(const std::string& invoiceId) {
    return database_.writer->read([&](Connection& db) {
        return countRows(db,
                         "SELECT COALESCE(MAX(sort_order) + 1, 0) FROM invoice_line WHERE invoice_id = ? AND "
                         "deleted_at IS NULL",
                         invoiceId);
    });
}

ObservationHandle InvoiceRepository::observeDetail(std::string id,
                                                   std::function<void(std::optional<InvoiceDetail>)> onValue,
                                                   std::shared_ptr<Executor> deliverOn) {
    return database_.writer->observe<std::optional<InvoiceDetail>>(
        [id = std::move(id)](Connection& db) { return detail(db, id); }, std::move(onValue),
        std::move(deliverOn));
}

std::optional<DraftInvoiceRecord> InvoiceRepository::invoice(const std::string& id) {
    return database_.writer->read([&](Connection& db) {
        auto found = selectRecords<DraftInvoiceRecord>(
            db, "SELECT * FROM draft_invoice WHERE id = ? AND deleted_at IS NULL", id);
        return found.empty() ? std::nullopt : std::optional(std::move(found.front()));
    });
}

std::optional<InvoiceLineRecord> InvoiceRepository::line(const std::string& id) {
    return database_.writer->read([&](Connection& db) -> std::optional<InvoiceLineRecord> {
        std::optional<InvoiceLineRecord> line = recordById<InvoiceLineRecord>(db, id);
        if (!line || line->deletedAt) return std::nullopt;
        return line;
    });
}

DraftInvoiceRecord InvoiceRepository::createDraft(std::optional<std::string> customerId,
                                                  const std::string& issueDate) {
    return database_.writer->write([&](Connection& db) {
        const auto settings = selectRecords<OrgSettingsRecord>(db, "SELECT * FROM org_settings LIMIT 1");
        const std::optional<std::int64_t> term =
            settings.empty() ? std::nullopt : settings.front().paymentTermsDays;
        LocalEdit edit(db, *clock_);
        DraftInvoiceRecord invoice;
        invoice.id = randomUuid();
        invoice.localDraftNumber = "D-" + upperCased(randomUuid().substr(0, 4));
        invoice.status = std::string(rawValue(InvoiceStatus::draft));
        invoice.vatTreatment = "nl_21";
        invoice.issueDate = issueDate;
        invoice.dueDate = InvoiceDueDate::dueDateText(issueDate, term);
        invoice.customerId = std::move(customerId);
        invoice.createdAt = invoice.updatedAt = edit.now();
        invoice.localModifiedAt = invoice.createdAt;
        invoice.revision = 1;
        invoice.syncState = stateAfter({}, SyncEvent::localCreate);
        insertRecord(db, invoice);
        edit.queueCreate(SyncEntityType::draftInvoice, invoice.id,
                         LocalEdit::payload(invoice, EditedFields::kDraftCreate));
        return invoice;
    });
}

DraftInvoiceRecord InvoiceRepository::updateHeader(const DraftInvoiceRecord& header,
                                                   std::vector<std::string> changedFields) {
    return database_.writer->write([&](Connection& db) {
        const DraftInvoiceRecord stored = requireInvoice(db, header.id);
        LocalEdit edit(db, *clock_);
        DraftInvoiceRecord invoice = stored;
        invoice.assign(header, EditedFields::kInvoiceHeader);
        requireReceivedHeaderUnchanged(stored, invoice);
        invoice.updatedAt = edit.now();
        invoice.localModifiedAt = invoice.updatedAt;
        invoice.syncState = LocalEdit::stateAfterUpdate(stored.syncState);
        updateRecord(db, invoice);
        edit.queueUpdate(SyncEntityType::draftInvoice, invoice.id, stored.revision,
                         LocalEdit::payload(invoice, EditedFields::kInvoiceHeader), std::move(changedFields));
        // A sent invoice's amounts are the ones the customer received, as the service stated them.
        if (SentInvoiceContent::isEditable(stored.status)) recalculateTotals(db, invoice.id);
        return *recordById<DraftInvoiceRecord>(db, invoice.id);
    });
}

void InvoiceRepository::deleteInvoice(const std::string& id) {
    database_.writer->write([&](Connection& db) {
        requireEditableContent(requireInvoice(db, id));
        LocalEdit(db, *clock_).tombstone(SyncEntityType::draftInvoice, "draft_invoice", id);
    });
}

InvoiceLineRecord InvoiceRepository::addLine(InvoiceLineRecord line, const std::string& invoiceVatTreatment) {
    return database_.writer->write([&](Connection& db) {
        requireEditableContent(requireInvoice(db, line.invoiceId));
        LocalEdit edit(db, *clock_);
        line.id = randomUuid();
        line.lineTotalCents = lineTotalCents(line, invoiceVatTreatment);
        line.createdAt = line.updatedAt = edit.now();
        line.localModifiedAt = line.createdAt;
        line.deletedAt.reset();
        line.revision = 1;
        line.syncState = stateAfter({}, SyncEvent::localCreate);
        insertRecord(db, line);
        edit.queueCreate(SyncEntityType::invoiceLine, line.id,
                         LocalEdit::payload(line, EditedFields::kLineCreate));
        recalculateTotals(db, line.invoiceId);
        return line;
    });
}

InvoiceLineRecord InvoiceRepository::updateLine(const InvoiceLineRecord& changed,
                                                const std::string& invoiceVatTreatment) {
    return database_.writer->write([&](Connection& db) {
        std::optional<InvoiceLineRecord> stored = recordById<InvoiceLineRecord>(db, changed.id);
        if (!stored || stored->deletedAt)
            throw PersistenceError::notFound("Factuurregel '" + changed.id + "'");
        requireLinesEditable(db, stored->invoiceId);
        LocalEdit edit(db, *clock_);
        InvoiceLineRecord line = *stored;
        line.assign(changed, EditedFields::kLineUpdate);
        line.lineTotalCents = lineTotalCents(line, invoiceVatTreatment);
        line.updatedAt = edit.now();
        line.localModifiedAt = line.updatedAt;
        line.syncState = LocalEdit::stateAfterUpdate(stored->syncState);
        updateRecord(db, line);
        edit.queueUpdate(SyncEntityType::invoiceLine, line.id, stored->revision,
                         LocalEdit::payload(line, EditedFields::kLineUpdate),
                         EditedFields::allChanged(EditedFields::kLineUpdate));
        recalculateTotals(db, line.invoiceId);
        return line;
    });
}

void InvoiceRepository::deleteLine(const InvoiceLineRecord& line) {
    database_.writer->write([&](Connection& db) {
        std::optional<InvoiceLineRecord> stored = recordById<InvoiceLineRecord>(db, line.id);
        if (!stored || stored->deletedAt) throw PersistenceError::notFound("Factuurregel '" + line.id + "'");
        requireLinesEditable(db, stored->invoiceId);
        LocalEdit(db, *clock_).tombstone(SyncEntityType::invoiceLine, "invoice_line", line.id);
        recalculateTotals(db, stored->invoiceId);
    });
}

void InvoiceRepository::keepLocalVersion(const std::string& id) {
    database_.writer->write([&](Connection& db) {
        DraftInvoiceRecord invoice = requireInvoice(db, id);
        LocalEdit edit(db, *clock_);
        invoice.syncState = stateAfter(invoice.syncState, SyncEvent::keepLocalVersion);
        invoice.lastSyncError.reset();
        invoice.localModifiedAt = edit.now();
        updateRecord(db, invoice);
        edit.queueOverwrite(SyncEntityType::draftInvoice, id, invoice.revision,
                            LocalEdit::payload(invoice, EditedFields::kInvoiceKeepLocal));
    });
}

void InvoiceRepository::discardLocalChanges(const std::string& id) {
    database_.writer->write([&](Connection& db) {
        requireInvoice(db, id);
        db.cached("UPDATE draft_invoice\nSET sync_state = " + stateAfterSql(SyncEvent::discardLocalChanges) +
                  ", last_sync_error = NULL\nWHERE id = ?")
            .bind(1, id)
            .run();
        db.cached("DELETE FROM outbox_change WHERE entity_type = 'draftInvoice' AND entity_id = ?")
            .bind(1, id)
            .run();
        db.cached("UPDATE sync_cursor SET cursor_token = NULL WHERE id = 1").run();
    });
}

void InvoiceRepository::recalculateTotals(Connection& db, const std::string& id) {
    const auto invoice =
        selectRecords<DraftInvoiceRecord>(db, "SELECT * FROM draft_invoice WHERE id = ?", id);
    if (invoice.empty()) return;
    std::vector<StoredInvoiceLine> lines;
    for (const InvoiceLineRecord& line : selectRecords<InvoiceLineRecord>(
             db, "SELECT * FROM invoice_line WHERE invoice_id = ? AND deleted_at IS NULL", id))
        lines.push_back({line.lineMode, line.quantityHundredths, line.unitPriceCents, line.amountCents,
                         line.vatTreatmentOverride});
    const InvoiceTotals totals = invoiceTotalsFromStored(invoice.front().vatTreatment, lines);
    db.cached("UPDATE draft_invoice\nSET subtotal_cents = ?, vat_cents = ?, total_cents = ?\nWHERE id = ?")
        .bindAll(totals.subtotalCents, totals.vatCents, totals.totalCents, id)
        .run();
}

}  // namespace zelvorin
