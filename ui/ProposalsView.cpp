#include "ui/ProposalsView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/TableSetup.h"

namespace zelvorin::ui {

namespace {

QString proposalStatus(const ProposalRecord& p) {
    if (p.isTemplate.value_or(false)) return "Sjabloon";
    if (p.archivedAt) return "Gearchiveerd";
    if (p.signedAt) return "Getekend";
    if (p.publishedAt) return "Verstuurd";
    return p.status == "draft" ? QString("Concept") : qText(p.status);
}

}  // namespace

ProposalsView::ProposalsView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      model_(new RowTableModel<ProposalRecord>(
          {{"Titel", [](const ProposalRecord& p) { return qText(p.title); }},
           {"Status", proposalStatus},
           {"Verloopt",
            [f = context_.formats](const ProposalRecord& p) { return qText(f.date(p.expiryDate)); }},
           {"Getekend",
            [f = context_.formats](const ProposalRecord& p) { return qText(f.date(p.signedAt)); }},
           {"Gewijzigd",
            [f = context_.formats](const ProposalRecord& p) { return qText(f.date(p.updatedAt)); }}},
          this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listTable(model_, 0), 1);
    reload();
}

void ProposalsView::reload() {
    model_->setRows(context_.environment.repositories().proposals.proposals());
}

}  // namespace zelvorin::ui
