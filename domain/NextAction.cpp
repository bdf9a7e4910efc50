#include "domain/NextAction.h"

#include <array>

namespace zelvorin {

namespace {

constexpr std::array<NextActionKind, 8> kAllKinds{
    NextActionKind::viewPdf,       NextActionKind::registerPayment, NextActionKind::registerRemainder,
    NextActionKind::sendReminder1, NextActionKind::sendReminder2,   NextActionKind::sendFinalNotice,
    NextActionKind::createCredit,  NextActionKind::viewCredit};

}  // namespace

std::string_view rawValue(NextActionKind kind) {
    switch (kind) {
        case NextActionKind::viewPdf:
            return "view-pdf";
        case NextActionKind::registerPayment:
            return "register-payment";
        case NextActionKind::registerRemainder:
            return "register-remainder";
        case NextActionKind::sendReminder1:
            return "send-reminder-1";
        case NextActionKind::sendReminder2:
            return "send-reminder-2";
        case NextActionKind::sendFinalNotice:
            return "send-final-notice";
        case NextActionKind::createCredit:
            return "create-credit";
        case NextActionKind::viewCredit:
            return "view-credit";
    }
    return "view-pdf";
}

std::optional<NextActionKind> parseNextActionKind(std::string_view raw) {
    for (NextActionKind kind : kAllKinds) {
        if (rawValue(kind) == raw) return kind;
    }
    return std::nullopt;
}

}  // namespace zelvorin
