#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <optional>

#include "screens/CustomerFormModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Adding a customer, or editing one, offline: the form model checks what was typed and writes the
// row with its queued change; a refusal shows its Dutch text under the fields and writes nothing.
class CustomerDialog final : public QDialog {
public:
    // Without an id: a new customer.
    CustomerDialog(SectionContext context, std::optional<std::string> customerId, QWidget* parent = nullptr);

    QLineEdit* nameField() { return name_; }
    QLineEdit* emailField() { return email_; }
    QLineEdit* cityField() { return city_; }
    QString errorText() const { return error_->text(); }
    // Saves; false (with the message shown) when the input was refused.
    bool save();

private:
    SectionContext context_;
    std::optional<std::string> customerId_;
    CustomerFormModel form_;
    QLineEdit* name_;
    QLineEdit* city_;
    QLineEdit* country_;
    QLineEdit* email_;
    QLineEdit* vatNumber_;
    QLabel* error_;
};

}  // namespace zelvorin::ui
