#include "domain/SentInvoiceContent.h"

#include <algorithm>

#include "domain/InvoiceStatus.h"

namespace zelvorin::SentInvoiceContent {

bool isEditable(std::optional<std::string_view> rawStatus) {
    if (!rawStatus) return false;
    const std::optional<InvoiceStatus> status = parseInvoiceStatus(*rawStatus);
    return status && isEditableDraft(*status);
}

bool isReceivedField(std::string_view payloadKey) {
    return std::ranges::find(kReceivedFields, payloadKey) != std::end(kReceivedFields);
}

}  // namespace zelvorin::SentInvoiceContent
