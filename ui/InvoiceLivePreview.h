#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "screens/LocalInvoicePreview.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The invoice beside its editor as it will print, laid out on the device by our own engine after
// every saved change. Drawing runs on the preview's own thread, so a slow service call on the
// session's worker never holds it up; changes that arrive while a drawing runs are folded into one
// more drawing after it, so fast typing never queues stale pages.
class InvoiceLivePreview final : public QWidget {
public:
    InvoiceLivePreview(SectionContext context, std::string invoiceId, QWidget* parent = nullptr);
    ~InvoiceLivePreview() override;

    // Draws again from what is stored now.
    void refresh();
    int pageCount() const { return pageCount_; }
    QString noticeText() const { return notice_->text(); }
    // Called on the GUI thread after new pages are shown (tests wait for it).
    void setOnDrawn(std::function<void()> onDrawn) { onDrawn_ = std::move(onDrawn); }

    struct Drawing;  // what the preview's thread works with

private:
    void startDrawing();
    void show(const std::optional<InvoicePreviewPages>& pages, const std::string& failure);

    // Its destructor finishes a drawing under way before the repositories it reads can go.
    std::unique_ptr<Drawing> drawing_;
    std::shared_ptr<Executor> main_;
    bool busy_ = false;
    bool again_ = false;
    int pageCount_ = 0;
    std::function<void()> onDrawn_;
    QLabel* notice_;
    QWidget* pages_;
    QVBoxLayout* pageColumn_;
};

}  // namespace zelvorin::ui
