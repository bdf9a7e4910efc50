#pragma once

#include <optional>
#include <string>
#include <vector>

#include "persistence/repositories/InvoiceRepository.h"

namespace zelvorin {

// The editor's undo and redo: a stack of changes that were saved, each a few writes through the
// repository (a header edit, a line added, changed or removed; the customer's rate on every hour
// line is one change of several line writes). Undo writes the earlier values back through the same
// repository, so an undo is itself synced like any edit.
//
// A removed line comes back as a new row with a new id (the tombstone stays, the service has it);
// the history then follows the line under its new id.
class SavedChangeHistory {
public:
    struct Step {
        enum class Kind { header, lineAdded, lineChanged, lineRemoved };
        Kind kind;
        DraftInvoiceRecord headerBefore, headerAfter;
        std::vector<std::string> fields;  // header: the fields the user changed
        InvoiceLineRecord lineBefore, lineAfter;
    };
    struct Change {
        std::vector<Step> steps;
    };

    explicit SavedChangeHistory(InvoiceRepository& invoices) : invoices_(invoices) {}

    void record(Change change);
    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    // False when a write failed: the steps written so far stay written, the change stays on its
    // stack with what is left to do, so undoing again finishes it.
    bool undo();
    bool redo();

private:
    // Writes one step backwards or forwards; false when the repository refused or failed.
    bool revert(Step& step);
    bool apply(Step& step);
    std::string vatOf(const std::string& invoiceId);
    void followLine(const std::string& oldId, const std::string& newId);

    InvoiceRepository& invoices_;
    std::vector<Change> done_;
    std::vector<Change> undone_;
};

}  // namespace zelvorin
