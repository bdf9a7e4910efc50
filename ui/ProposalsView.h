#pragma once

#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Offertes: the organisation's proposals as synced, templates apart from the real ones.
class ProposalsView final : public SectionView {
public:
    explicit ProposalsView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<ProposalRecord>& model() { return *model_; }

private:
    RowTableModel<ProposalRecord>* model_;
};

}  // namespace zelvorin::ui
