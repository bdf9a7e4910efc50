#include "screens/SavedChangeHistory.h"

#include <exception>
#include <iterator>

namespace zelvorin {

void SavedChangeHistory::record(Change change) {
    done_.push_back(std::move(change));
    undone_.clear();
}

std::string SavedChangeHistory::vatOf(const std::string& invoiceId) {
    const std::optional<DraftInvoiceRecord> invoice = invoices_.invoice(invoiceId);
    return invoice ? invoice->vatTreatment : std::string("nl_21");
}

void SavedChangeHistory::followLine(const std::string& oldId, const std::string& newId) {
    for (auto* stack : {&done_, &undone_})
        for (Change& change : *stack)
            for (Step& step : change.steps) {
                if (step.lineBefore.id == oldId) step.lineBefore.id = newId;
                if (step.lineAfter.id == oldId) step.lineAfter.id = newId;
            }
}

bool SavedChangeHistory::revert(Step& step) {
    try {
        switch (step.kind) {
            case Step::Kind::header:
                invoices_.updateHeader(step.headerBefore, step.fields);
                break;
            case Step::Kind::lineAdded:
                invoices_.deleteLine(step.lineAfter);
                break;
            case Step::Kind::lineChanged:
                invoices_.updateLine(step.lineBefore, vatOf(step.lineBefore.invoiceId));
                break;
            case Step::Kind::lineRemoved: {
                const std::string oldId = step.lineBefore.id;
                const InvoiceLineRecord back =
                    invoices_.addLine(step.lineBefore, vatOf(step.lineBefore.invoiceId));
                followLine(oldId, back.id);
                break;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool SavedChangeHistory::apply(Step& step) {
    try {
        switch (step.kind) {
            case Step::Kind::header:
                invoices_.updateHeader(step.headerAfter, step.fields);
                break;
            case Step::Kind::lineAdded: {
                const std::string oldId = step.lineAfter.id;
                const InvoiceLineRecord again =
                    invoices_.addLine(step.lineAfter, vatOf(step.lineAfter.invoiceId));
                followLine(oldId, again.id);
                break;
            }
            case Step::Kind::lineChanged:
                invoices_.updateLine(step.lineAfter, vatOf(step.lineAfter.invoiceId));
                break;
            case Step::Kind::lineRemoved:
                invoices_.deleteLine(step.lineBefore);
                break;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool SavedChangeHistory::undo() {
    if (done_.empty()) return false;
    // Backwards, so a change of several writes comes undone in the reverse order it was made. The
    // steps stay in place while they are written, so a line that comes back under a new id is
    // followed in every step.
    std::vector<Step>& steps = done_.back().steps;
    std::size_t left = steps.size();
    while (left > 0 && revert(steps[left - 1]))
        --left;
    const auto firstReverted = steps.begin() + static_cast<std::ptrdiff_t>(left);
    if (firstReverted != steps.end()) {
        undone_.push_back({{std::make_move_iterator(firstReverted), std::make_move_iterator(steps.end())}});
        steps.erase(firstReverted, steps.end());
    }
    if (left > 0) return false;
    done_.pop_back();
    return true;
}

bool SavedChangeHistory::redo() {
    if (undone_.empty()) return false;
    std::vector<Step>& steps = undone_.back().steps;
    std::size_t written = 0;
    while (written < steps.size() && apply(steps[written]))
        ++written;
    const auto firstLeft = steps.begin() + static_cast<std::ptrdiff_t>(written);
    if (written > 0) {
        done_.push_back({{std::make_move_iterator(steps.begin()), std::make_move_iterator(firstLeft)}});
        steps.erase(steps.begin(), firstLeft);
    }
    if (!steps.empty()) return false;
    undone_.pop_back();
    return true;
}

}  // namespace zelvorin
