#include "domain/InvoiceStatus.h"

namespace zelvorin {

std::string_view rawValue(InvoiceStatus status) {
    switch (status) {
        case InvoiceStatus::draft:
            return "draft";
        case InvoiceStatus::readyForFinalize:
            return "readyForFinalize";
        case InvoiceStatus::finalizing:
            return "finalizing";
        case InvoiceStatus::finalized:
            return "finalized";
        case InvoiceStatus::sent:
            return "sent";
        case InvoiceStatus::delivered:
            return "delivered";
        case InvoiceStatus::viewed:
            return "viewed";
        case InvoiceStatus::partiallyPaid:
            return "partiallyPaid";
        case InvoiceStatus::paid:
            return "paid";
        case InvoiceStatus::overdue:
            return "overdue";
        case InvoiceStatus::cancelled:
            return "cancelled";
        case InvoiceStatus::credited:
            return "credited";
    }
    return "draft";
}

std::optional<InvoiceStatus> parseInvoiceStatus(std::string_view raw) {
    for (InvoiceStatus status : kAllInvoiceStatuses) {
        if (rawValue(status) == raw) return status;
    }
    return std::nullopt;
}

std::optional<InvoiceWorkflowStage> workflowStage(InvoiceStatus status) {
    switch (status) {
        case InvoiceStatus::draft:
        case InvoiceStatus::readyForFinalize:
        case InvoiceStatus::finalizing:
        case InvoiceStatus::finalized:
            return InvoiceWorkflowStage::concept_;
        case InvoiceStatus::sent:
        case InvoiceStatus::delivered:
        case InvoiceStatus::viewed:
        case InvoiceStatus::partiallyPaid:
        case InvoiceStatus::credited:
            return InvoiceWorkflowStage::verzonden;
        case InvoiceStatus::paid:
            return InvoiceWorkflowStage::betaald;
        case InvoiceStatus::overdue:
            return InvoiceWorkflowStage::achterstallig;
        case InvoiceStatus::cancelled:
            return std::nullopt;
    }
    return std::nullopt;
}

bool isAwaitingPayment(InvoiceStatus status) {
    return status == InvoiceStatus::sent || status == InvoiceStatus::delivered ||
           status == InvoiceStatus::viewed || status == InvoiceStatus::partiallyPaid;
}

bool isEditableDraft(InvoiceStatus status) {
    return status == InvoiceStatus::draft || status == InvoiceStatus::readyForFinalize;
}

std::vector<InvoiceStatus> statusesInStage(InvoiceWorkflowStage stage) {
    std::vector<InvoiceStatus> statuses;
    for (InvoiceStatus status : kAllInvoiceStatuses) {
        if (workflowStage(status) == stage) statuses.push_back(status);
    }
    return statuses;
}

}  // namespace zelvorin
