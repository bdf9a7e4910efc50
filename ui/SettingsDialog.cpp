#include "ui/SettingsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/RowTableModel.h"

namespace zelvorin::ui {

SettingsDialog::SettingsDialog(const SectionContext& context, QWidget* parent)
    : QDialog(parent), appLock_(new QCheckBox), emailTemplates_(new EmailTemplatesPage(context)) {
    AppEnvironment& environment = context.environment;
    setWindowTitle("Instellingen");
    auto* tabs = new QTabWidget;

    auto* organisation = new QWidget;
    auto* form = new QFormLayout(organisation);
    const auto settings = environment.repositories().organisation.settings();
    const auto row = [&](const char* title, const std::optional<std::string>& value) {
        auto* label = new QLabel(value ? qText(*value) : QString("—"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(title, label);
    };
    if (settings) {
        row("Naam", settings->orgName);
        row("KvK-nummer", settings->kvkNumber);
        row("BTW-nummer", settings->vatNumber);
        row("Adres", settings->addressStreet);
        row("Postcode en plaats", std::optional<std::string>(settings->addressPostal.value_or("") + " " +
                                                             settings->addressCity.value_or("")));
        row("IBAN", settings->iban);
        row("E-mail", settings->orgEmail);
        row("Betaaltermijn",
            std::optional<std::string>(std::to_string(settings->paymentTermsDays.value_or(30)) + " dagen"));
    } else {
        form->addRow(new QLabel("De gegevens van de organisatie komen met de eerste synchronisatie."));
    }
    tabs->addTab(organisation, "Organisatie");
    tabs->addTab(emailTemplates_, "E-mailsjablonen");
    emailTemplates_->load();

    auto* security = new QWidget;
    auto* securityLayout = new QVBoxLayout(security);
    BiometricAppLock& lock = environment.appLock();
    appLock_->setText("Vergrendel Zelvorin bij het openen en na vijf minuten op de achtergrond");
    appLock_->setChecked(lock.isEnabled());
    connect(appLock_, &QCheckBox::toggled, [&lock](bool on) { lock.setEnabled(on); });
    auto* explanation = new QLabel(
        "Als het venster niet vooraan staat, worden je cijfers afgedekt. Ontgrendelen gaat met het "
        "wachtwoord "
        "van je account.");
    explanation->setWordWrap(true);
    securityLayout->addWidget(appLock_);
    securityLayout->addWidget(explanation);
    securityLayout->addStretch();
    tabs->addTab(security, "Beveiliging");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText("Sluiten");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(520, 360);
}

}  // namespace zelvorin::ui
