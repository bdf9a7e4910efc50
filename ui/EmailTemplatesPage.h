#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <string>
#include <vector>

#include "api-client/TemplateActions.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The settings window's e-mail templates: the organisation's templates as the service holds them
// (name, kind, language, default), and making one the default of its kind and language. Only
// online: the templates live on the service.
class EmailTemplatesPage final : public QWidget {
public:
    explicit EmailTemplatesPage(SectionContext context, QWidget* parent = nullptr);

    void load();
    // Makes the template on `row` the default of its kind and language, then loads again.
    void makeDefault(int row);

    QTableWidget& table() { return *table_; }
    QString statusText() const { return status_->text(); }

private:
    void show(const std::vector<templateactions::NativeEmailTemplate>& templates);
    // Runs `call` on the worker; its failure is told in the status line, the rows stay.
    void onService(std::function<std::vector<templateactions::NativeEmailTemplate>(SyncAPIClient&)> call);

    SectionContext context_;
    QTableWidget* table_;
    QLabel* status_;
    QPushButton* makeDefault_;
    std::vector<std::string> ids_;
};

// "Factuur", "Herinnering 1", … for a template's kind; the kind itself when it is not known.
std::string emailTemplateKindLabel(const std::string& kind);

}  // namespace zelvorin::ui
