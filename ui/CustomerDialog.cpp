#include "ui/CustomerDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "screens/ErrorMessages.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

CustomerDialog::CustomerDialog(SectionContext context, std::optional<std::string> customerId, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      customerId_(std::move(customerId)),
      form_(context_.environment.repositories().customers, context_.environment.repositories().organisation),
      name_(new QLineEdit),
      city_(new QLineEdit),
      country_(new QLineEdit),
      email_(new QLineEdit),
      vatNumber_(new QLineEdit),
      error_(new QLabel) {
    setWindowTitle(customerId_ ? "Klant bewerken" : "Nieuwe klant");
    error_->setWordWrap(true);
    error_->setStyleSheet("color: #b3261e;");
    error_->hide();
    auto* fields = new QFormLayout;
    fields->addRow("Naam", name_);
    fields->addRow("Plaats", city_);
    fields->addRow("Land", country_);
    fields->addRow("E-mailadres voor facturen", email_);
    fields->addRow("BTW-nummer", vatNumber_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Save)->setText("Bewaren");
    buttons->button(QDialogButtonBox::Cancel)->setText("Annuleren");
    connect(buttons, &QDialogButtonBox::accepted, [this] {
        if (save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(error_);
    layout->addWidget(buttons);
    resize(460, sizeHint().height());

    if (customerId_) {
        try {
            form_.load(*customerId_);
            const CustomerRecord& c = form_.customer();
            name_->setText(qText(c.companyName));
            city_->setText(qText(c.city));
            country_->setText(qText(c.country));
            email_->setText(qText(c.billingEmail));
            vatNumber_->setText(qText(c.vatNumber));
        } catch (...) {
            error_->setText(qText(errorMessage(classifyCurrentException())));
            error_->show();
        }
    }
}

bool CustomerDialog::save() {
    const auto typed = [](QLineEdit* field) { return field->text().trimmed().toStdString(); };
    try {
        if (!customerId_) {
            form_.add({typed(name_), typed(city_), typed(country_), typed(email_), typed(vatNumber_)});
        } else {
            // Only what changed is sent, so a field another device edited meanwhile is left alone.
            const CustomerRecord before = form_.customer();
            const auto setIfChanged = [&](const char* field, const std::string& now,
                                          const std::optional<std::string>& was) {
                if (now != was.value_or("")) form_.set(field, now);
            };
            setIfChanged("companyName", typed(name_), before.companyName);
            setIfChanged("city", typed(city_), before.city);
            setIfChanged("country", typed(country_), before.country);
            setIfChanged("billingEmail", typed(email_), before.billingEmail);
            setIfChanged("vatNumber", typed(vatNumber_), before.vatNumber);
            form_.save();
        }
    } catch (...) {
        error_->setText(qText(errorMessage(classifyCurrentException())));
        error_->show();
        // A refused edit leaves the stored customer as it was; the form starts again from it.
        if (customerId_) {
            try {
                form_.load(*customerId_);
            } catch (...) {
            }
        }
        return false;
    }
    error_->hide();
    return true;
}

}  // namespace zelvorin::ui
