#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "domain/InvoiceWorkflowStage.h"

namespace zelvorin {

// The life of an invoice. The device only edits drafts; every later step is taken by the service
// (finalising, sending, payments, cancelling, reopening, crediting) and reaches the device by sync.
//
//   draft <-> readyForFinalize -> finalizing -> finalized -> sent -> delivered -> viewed
//   sent | delivered | viewed            -> partiallyPaid -> paid
//   awaiting payment, due date passed    -> overdue -> partiallyPaid | paid
//   an issued invoice                    -> credited (a credit note covers it) | cancelled
//   cancelled | issued, reopened by an admin -> draft
//
// Stage  concept:       draft, readyForFinalize, finalizing, finalized
//        verzonden:     sent, delivered, viewed, partiallyPaid, credited
//        betaald:       paid
//        achterstallig: overdue
//        (none):        cancelled, which only the unfiltered list shows
// Only draft and readyForFinalize are editable on the device. The list treats the four "awaiting
// payment" statuses as overdue as soon as their due date has passed, before the service does.
enum class InvoiceStatus {
    draft,
    readyForFinalize,
    finalizing,
    finalized,
    sent,
    delivered,
    viewed,
    partiallyPaid,
    paid,
    overdue,
    cancelled,
    credited,
};

inline constexpr std::array<InvoiceStatus, 12> kAllInvoiceStatuses{
    InvoiceStatus::draft,      InvoiceStatus::readyForFinalize,
    InvoiceStatus::finalizing, InvoiceStatus::finalized,
    InvoiceStatus::sent,       InvoiceStatus::delivered,
    InvoiceStatus::viewed,     InvoiceStatus::partiallyPaid,
    InvoiceStatus::paid,       InvoiceStatus::overdue,
    InvoiceStatus::cancelled,  InvoiceStatus::credited};

std::string_view rawValue(InvoiceStatus status);
std::optional<InvoiceStatus> parseInvoiceStatus(std::string_view raw);

// Absent for cancelled.
std::optional<InvoiceWorkflowStage> workflowStage(InvoiceStatus status);
// sent, delivered, viewed, partiallyPaid.
bool isAwaitingPayment(InvoiceStatus status);
// draft, readyForFinalize.
bool isEditableDraft(InvoiceStatus status);

// The statuses of one stage, in declaration order (for the list's segment filters).
std::vector<InvoiceStatus> statusesInStage(InvoiceWorkflowStage stage);

}  // namespace zelvorin
