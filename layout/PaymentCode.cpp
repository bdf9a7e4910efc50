#include "layout/PaymentCode.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "domain/EpcPaymentCode.h"

namespace zelvorin {

namespace {

// 34 mm: a code of ~150 bytes (version 8, 49 modules and the quiet zone) gets modules of about
// 0,6 mm, which phones read from paper and from a screen; small enough to sit under the totals.
constexpr double kCodeSizePt = 96;
constexpr double kGapPt = 12;

struct Box {
    double left, top, right, bottom;
    bool overlaps(const Box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

std::vector<Box> blockBoxes(const LaidOutPage& page) {
    std::vector<Box> boxes;
    for (const LaidOutBlock& block : page.blocks)
        boxes.push_back({block.x, block.y, block.x + block.width, block.y + block.height});
    return boxes;
}

// Where the code goes on `page`: right-aligned with the content, below the lowest block it can
// sit under without touching any block or the footer. Nothing when the page has no such room.
std::optional<PaymentCodeBox> freeSpot(const LaidOutPage& page, const std::string& text) {
    const std::vector<Box> boxes = blockBoxes(page);
    if (boxes.empty()) return std::nullopt;
    double left = page.width, right = 0;
    for (const Box& box : boxes) {
        left = std::min(left, box.left);
        right = std::max(right, box.right);
    }
    const double floor = page.footerZone ? page.footerZone->y : page.height - left;
    const double x = std::max(left, right - kCodeSizePt);
    std::vector<double> tops;
    for (const Box& box : boxes)
        tops.push_back(box.bottom + kGapPt);
    std::sort(tops.begin(), tops.end(), std::greater<>());
    for (const double top : tops) {
        const Box code{x, top, x + kCodeSizePt, top + kCodeSizePt};
        if (code.bottom > floor - kGapPt) continue;
        const bool free = std::none_of(boxes.begin(), boxes.end(), [&](const Box& box) {
            return code.overlaps(
                {box.left - kGapPt, box.top - kGapPt, box.right + kGapPt, box.bottom + kGapPt});
        });
        if (free) return PaymentCodeBox{text, x, top, kCodeSizePt};
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> invoicePaymentCodeText(const InvoiceSource& source) {
    if (!source.invoiceNumber || !source.openCents || !source.organisation) return std::nullopt;
    const InvoiceSourceOrganisation& organisation = *source.organisation;
    if (!organisation.orgName || !organisation.iban) return std::nullopt;
    return epcPaymentText({*organisation.orgName, *organisation.iban, organisation.bic, *source.openCents,
                           *source.invoiceNumber});
}

void placePaymentCode(LaidOutDocument& document, const std::string& text) {
    if (document.pages.empty()) return;
    LaidOutPage& last = document.pages.back();
    if (std::optional<PaymentCodeBox> spot = freeSpot(last, text)) {
        last.paymentCode = std::move(spot);
        return;
    }
    // A page of its own, without the header and footer: their page numbers were counted without it.
    LaidOutPage page;
    page.pageIndex = last.pageIndex + 1;
    page.width = last.width;
    page.height = last.height;
    double left = page.width, right = 0;
    for (const Box& box : blockBoxes(last)) {
        left = std::min(left, box.left);
        right = std::max(right, box.right);
    }
    if (right <= left) left = kGapPt * 4, right = page.width - left;
    page.paymentCode = PaymentCodeBox{text, std::max(left, right - kCodeSizePt), left, kCodeSizePt};
    document.pages.push_back(std::move(page));
}

}  // namespace zelvorin
