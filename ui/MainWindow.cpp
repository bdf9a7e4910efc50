#include "ui/MainWindow.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include "api-client/AccountAPI.h"
#include "screens/DroppedDocument.h"
#include "screens/ErrorMessages.h"
#include "screens/OrganisationSwitch.h"
#include "screens/SyncChip.h"
#include "ui/BankView.h"
#include "ui/CustomersView.h"
#include "ui/DashboardView.h"
#include "ui/InvoicesView.h"
#include "ui/KvitraView.h"
#include "ui/ProposalsView.h"
#include "ui/SchedulesView.h"
#include "ui/SettingsDialog.h"
#include "ui/VatReturnView.h"

namespace zelvorin::ui {

namespace {

QString chipStyle(SyncChip::Tone tone) {
    const char* colours = "#e6f4ea; color: #1e6b34";
    switch (tone) {
        case SyncChip::Tone::calm:
            break;
        case SyncChip::Tone::busy:
            colours = "#e8f0fe; color: #1a4d9c";
            break;
        case SyncChip::Tone::attention:
            colours = "#fef7e0; color: #8a5a00";
            break;
        case SyncChip::Tone::problem:
            colours = "#fce8e6; color: #a50e0e";
            break;
    }
    return QString("QToolButton { border-radius: 11px; padding: 3px 12px; background: %1; }").arg(colours);
}

SectionView* makeSection(MainSection section, const SectionContext& context) {
    switch (section) {
        case MainSection::dashboard:
            return new DashboardView(context);
        case MainSection::facturen:
            return new InvoicesView(context);
        case MainSection::autoFactuur:
            return new SchedulesView(context);
        case MainSection::offertes:
            return new ProposalsView(context);
        case MainSection::contacten:
            return new CustomersView(context);
        case MainSection::bank:
            return new BankView(context);
        case MainSection::kvitra:
            return new KvitraView(context);
        case MainSection::btwAangifte:
            return new VatReturnView(context);
    }
    return nullptr;
}

std::size_t indexOf(MainSection section) {
    return static_cast<std::size_t>(section);
}

}  // namespace

MainWindow::MainWindow(AppEnvironment& environment, std::shared_ptr<Executor> mainExecutor,
                       std::shared_ptr<Executor> worker, std::shared_ptr<DesktopBrowserHandoff> handoff,
                       QWidget* parent)
    : QMainWindow(parent),
      environment_(environment),
      mainExecutor_(std::move(mainExecutor)),
      worker_(std::move(worker)),
      handoff_(std::move(handoff)),
      root_(new QStackedWidget),
      signIn_(new SignInView),
      onboarding_(new OnboardingView(
          [this](OnboardingRegistration registration) { completeOnboarding(std::move(registration)); })),
      lock_(new QWidget),
      unlockButton_(new QPushButton),
      cover_(new QWidget),
      syncChip_(new QToolButton) {
    setWindowTitle("Zelvorin");
    setAcceptDrops(true);
    resize(1200, 760);

    auto* lockLayout = new QVBoxLayout(lock_);
    auto* lockTitle = new QLabel(QString("<h2>") + BiometricAppLock::kLockedTitle + "</h2>");
    lockTitle->setAlignment(Qt::AlignCenter);
    lockLayout->addStretch();
    lockLayout->addWidget(lockTitle);
    lockLayout->addWidget(unlockButton_, 0, Qt::AlignHCenter);
    lockLayout->addStretch();
    auto* coverLayout = new QVBoxLayout(cover_);
    auto* coverTitle = new QLabel("<h2>Zelvorin</h2>");
    coverTitle->setAlignment(Qt::AlignCenter);
    coverLayout->addWidget(coverTitle);

    root_->addWidget(signIn_);
    root_->addWidget(onboarding_);
    root_->addWidget(lock_);
    root_->addWidget(cover_);
    setCentralWidget(root_);

    syncChip_->setCursor(Qt::PointingHandCursor);
    connect(syncChip_, &QToolButton::clicked, [this] { syncNow(); });
    connect(signIn_->signInButton(), &QPushButton::clicked, [this] { signIn(); });
    connect(signIn_->cancelButton(), &QPushButton::clicked, [this] {
        if (handoff_) handoff_->cancel();
    });
    connect(unlockButton_, &QPushButton::clicked, [this] { unlock(); });

    for (std::size_t i = 0; i < kAllMainSections.size(); ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)), this);
        connect(shortcut, &QShortcut::activated, [this, i] { selectSection(kAllMainSections[i]); });
    }
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, [this] {
        if (SectionView* view = section(current_); view && view->searchField()) {
            view->searchField()->setFocus();
            view->searchField()->selectAll();
        }
    });
    connect(new QShortcut(QKeySequence::New, this), &QShortcut::activated, [this] {
        if (!showsShell()) return;
        selectSection(MainSection::facturen);
        static_cast<InvoicesView*>(section(MainSection::facturen))->createDraft();
    });
    connect(new QShortcut(QKeySequence::Preferences, this), &QShortcut::activated,
            [this] { openSettings(); });
    refresh();
}

MainWindow::~MainWindow() {
    dropShell();
}

void MainWindow::refresh() {
    const SessionState state = environment_.sessionState();
    showSyncChip();
    if (state == SessionState::onboarding && !signingIn_) {
        dropShell();
        root_->setCurrentWidget(onboarding_);
        return;
    }
    if (state != SessionState::signedIn) {
        dropShell();
        signIn_->show(signingIn_ ? SessionState::signingIn : state, environment_.loginError());
        root_->setCurrentWidget(signIn_);
        return;
    }
    signingIn_ = false;
    if (!shell_ || shellGeneration_ != environment_.orgSwitchGeneration()) buildShell();
    BiometricAppLock& lock = environment_.appLock();
    unlockButton_->setText(QString::fromStdString(lock.unlockButtonTitle()));
    if (lock.isLocked())
        root_->setCurrentWidget(lock_);
    else if (lock.isObscured())
        root_->setCurrentWidget(cover_);
    else
        root_->setCurrentWidget(shell_);
}

void MainWindow::showSyncChip() {
    const SyncDisplayStatus status = environment_.syncStatus();
    const SyncChip chip = syncChip(status);
    syncChip_->setText(QString::fromStdString(chip.text));
    syncChip_->setToolTip(QString::fromStdString(chip.detail));
    syncChip_->setStyleSheet(chipStyle(chip.tone));
    // Sections that read without observing catch up once a sync has completed.
    const bool synced = std::holds_alternative<SyncDisplayStatus::Synced>(status.value);
    if (synced && !wasSynced_) {
        for (SectionView* view : sections_)
            if (view) view->reload();
        showOrganisationName();
    }
    wasSynced_ = synced;
}

void MainWindow::buildShell() {
    dropShell();
    shellGeneration_ = environment_.orgSwitchGeneration();
    SectionContext context{environment_, mainExecutor_, worker_, {}};
    if (const auto settings = environment_.repositories().organisation.settings())
        context.formats.dateNotation = settings->dateFormat;

    shell_ = new QWidget;
    sidebar_ = new QListWidget;
    pages_ = new QStackedWidget;
    organisation_ = new QLabel;
    sidebar_->setFixedWidth(190);
    sidebar_->setStyleSheet(
        "QListWidget { border: none; background: #f3f4f6; font-size: 11pt; padding-top: 8px; }"
        // Every row, selected or not, has the same box: the selection only colours it.
        "QListWidget::item { padding: 8px 14px; margin: 0px; border: 0px; }"
        "QListWidget::item:selected { padding: 8px 14px; margin: 0px; border: 0px; background: #dfe7f5; "
        "color: #1a4d9c; }");
    for (std::size_t i = 0; i < kAllMainSections.size(); ++i) {
        const MainSection s = kAllMainSections[i];
        auto* item = new QListWidgetItem(QString::fromUtf8(sectionTitle(s).data(), sectionTitle(s).size()));
        item->setToolTip(QString("Ctrl+%1").arg(i + 1));
        sidebar_->addItem(item);
        pages_->addWidget(new QWidget);  // the section is made when first shown
    }
    sectionContext_ = std::make_unique<SectionContext>(context);
    showOrganisationName();
    auto* switcher = new QToolButton;
    switcher->setText("Organisatie  ");
    switcher->setMinimumWidth(110);
    switcher->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(switcher);
    menu->addAction("Wisselen van organisatie…", [this] { chooseOrganisation(); });
    menu->addAction("Instellingen…", [this] { openSettings(); });
    menu->addSeparator();
    menu->addAction("Afmelden", [this] {
        dropShell();
        worker_->post([this] {
            try {
                environment_.signOut();
            } catch (const std::exception& error) {
                mainExecutor_->post([this, text = std::string(error.what())] { showMessage(qText(text)); });
            }
            mainExecutor_->post([this] { refresh(); });
        });
    });
    switcher->setMenu(menu);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(12, 8, 12, 8);
    top->addWidget(organisation_);
    top->addStretch();
    top->addWidget(switcher);
    top->addWidget(syncChip_);
    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addLayout(top);
    right->addWidget(pages_, 1);
    auto* layout = new QHBoxLayout(shell_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar_);
    layout->addLayout(right, 1);
    root_->addWidget(shell_);
    connect(sidebar_, &QListWidget::currentRowChanged, [this](int row) {
        if (row < 0) return;
        current_ = kAllMainSections[static_cast<std::size_t>(row)];
        pages_->setCurrentWidget(ensureSection(current_));
    });
    sidebar_->setCurrentRow(static_cast<int>(indexOf(current_)));
    emit shellBuilt();
}

void MainWindow::showOrganisationName() {
    if (!organisation_) return;
    // The first sync of a new device brings the settings; until then the app's own name stands.
    const auto settings = environment_.repositories().organisation.settings();
    organisation_->setText(
        "<b>" + qText(settings && settings->orgName ? *settings->orgName : "Zelvorin").toHtmlEscaped() +
        "</b>");
}

void MainWindow::dropShell() {
    if (!shell_) return;
    syncChip_->setParent(nullptr);  // kept for the next shell
    sections_.fill(nullptr);
    sectionContext_.reset();
    root_->removeWidget(shell_);
    delete shell_;  // the sections' observations end with them
    shell_ = nullptr;
    sidebar_ = nullptr;
    pages_ = nullptr;
    organisation_ = nullptr;
}

void MainWindow::selectSection(MainSection section) {
    current_ = section;
    if (sidebar_) sidebar_->setCurrentRow(static_cast<int>(indexOf(section)));
}

SectionView* MainWindow::section(MainSection section) {
    return shell_ ? ensureSection(section) : nullptr;
}

SectionView* MainWindow::ensureSection(MainSection section) {
    const std::size_t i = indexOf(section);
    if (!sections_[i]) {
        // Each section reads its rows when made: only the one shown at start delays the window.
        QWidget* placeholder = pages_->widget(static_cast<int>(i));
        sections_[i] = makeSection(section, *sectionContext_);
        pages_->insertWidget(static_cast<int>(i), sections_[i]);
        pages_->removeWidget(placeholder);
        delete placeholder;
    }
    return sections_[i];
}

QString MainWindow::statusText() const {
    return statusBar()->currentMessage();
}
bool MainWindow::showsShell() const {
    return shell_ && root_->currentWidget() == shell_;
}
bool MainWindow::showsOnboarding() const {
    return root_->currentWidget() == onboarding_;
}
bool MainWindow::showsLock() const {
    return root_->currentWidget() == lock_;
}
bool MainWindow::showsCover() const {
    return root_->currentWidget() == cover_;
}

void MainWindow::showMessage(const QString& text) {
    statusBar()->showMessage(text, 15000);
}

void MainWindow::signIn() {
    signingIn_ = true;
    refresh();
    worker_->post([this] {
        if (handoff_) environment_.signIn(*handoff_);
        mainExecutor_->post([this] {
            signingIn_ = false;
            refresh();
        });
    });
}

void MainWindow::completeOnboarding(OnboardingRegistration registration) {
    worker_->post([this, registration = std::move(registration)] {
        const std::optional<std::string> failure = environment_.completeOnboarding(registration);
        mainExecutor_->post([this, failure] {
            onboarding_->wizard().finishSubmit(failure);
            refresh();
        });
    });
}

void MainWindow::syncNow() {
    if (environment_.sessionState() != SessionState::signedIn) return;
    worker_->post([this] {
        environment_.syncNow();
        mainExecutor_->post([this] { refresh(); });
    });
}

void MainWindow::chooseOrganisation() {
    showMessage("Organisaties ophalen…");
    worker_->post([this] {
        std::vector<OrgMembership> memberships;
        std::string failure;
        try {
            memberships = AccountAPI(environment_.apiClient()).memberships();
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        mainExecutor_->post([this, memberships, failure] {
            if (!failure.empty()) return showMessage(qText(failure));
            statusBar()->clearMessage();
            QMenu menu(this);
            for (const OrgMembership& m : memberships) {
                QAction* action = menu.addAction(qText(m.name));
                action->setEnabled(!m.isCurrent);
                connect(action, &QAction::triggered,
                        [this, m] { switchOrganisation(m.organizationId, qText(m.name)); });
            }
            if (memberships.size() < 2) menu.addAction("Je bent lid van één organisatie")->setEnabled(false);
            menu.exec(mapToGlobal(QPoint(width() - 320, 40)));
        });
    });
}

void MainWindow::switchOrganisation(const std::string& organizationId, const QString& name) {
    QMessageBox confirm(QMessageBox::Warning, "Wisselen naar " + name, kSwitchWarning, QMessageBox::NoButton,
                        this);
    QPushButton* go = confirm.addButton("Wisselen", QMessageBox::AcceptRole);
    confirm.addButton("Annuleren", QMessageBox::RejectRole);
    confirm.exec();
    if (confirm.clickedButton() != go) return;
    performSwitch(organizationId, name);
}

void MainWindow::performSwitch(const std::string& organizationId, const QString& name) {
    dropShell();  // nothing may read the old database while it is replaced
    showMessage("Wisselen naar " + name + "…");
    worker_->post([this, organizationId] {
        const AppEnvironment::SwitchOutcome outcome = environment_.switchOrganization(organizationId);
        mainExecutor_->post([this, outcome] {
            refresh();
            const std::string message = switchOutcomeMessage(outcome);
            if (message.empty())
                statusBar()->clearMessage();
            else
                showMessage(qText(message));
        });
    });
}

void MainWindow::openSettings() {
    if (!showsShell() || !sectionContext_) return;
    SettingsDialog dialog(*sectionContext_, this);
    dialog.exec();
}

void MainWindow::unlock() {
    QInputDialog ask(this);
    ask.setWindowTitle("Ontgrendel Zelvorin");
    ask.setLabelText("Wachtwoord van je account:");
    ask.setTextEchoMode(QLineEdit::Password);
    ask.setOkButtonText("Ontgrendelen");
    ask.setCancelButtonText("Annuleren");
    if (ask.exec() != QDialog::Accepted) return;
    const QString password = ask.textValue();
    worker_->post([this, secret = password.toStdString()] {
        environment_.appLock().authenticate([secret](const std::string&) { return std::optional(secret); });
        mainExecutor_->post([this] { refresh(); });
    });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (showsShell() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    takeInDocuments(paths);
    event->acceptProposedAction();
}

void MainWindow::takeInDocuments(const QStringList& paths) {
    std::vector<DroppedDocument> documents;
    for (const QString& path : paths) {
        QFile file(path);
        try {
            if (!file.open(QIODevice::ReadOnly))
                throw InputError(
                    InputError::Kind::invalidValue,
                    "'" + QFileInfo(path).fileName().toStdString() + "' kan niet worden gelezen.");
            documents.push_back(
                droppedDocument(QFileInfo(path).fileName().toStdString(), file.readAll().toStdString()));
        } catch (...) {
            // A file that is no document is named and left out; the others still go.
            showMessage(qText(errorMessage(classifyCurrentException())));
        }
    }
    if (documents.empty()) return;
    selectSection(MainSection::kvitra);
    showMessage(QString("%1 document(en) naar Kvitra sturen…").arg(documents.size()));
    worker_->post([this, documents = std::move(documents)] {
        std::string failure;
        for (const DroppedDocument& document : documents) {
            try {
                // Read here first, queued when the service cannot be reached.
                environment_.takeInReceipt(document.bytes, document.fileName, "upload");
            } catch (...) {
                failure = errorMessage(classifyCurrentException());
            }
        }
        if (failure.empty()) environment_.syncNow();  // the inbox records arrive by pull
        mainExecutor_->post([this, failure, count = documents.size()] {
            showMessage(failure.empty() ? QString("%1 document(en) toegevoegd aan Kvitra.").arg(count)
                                        : qText(failure));
            refresh();
        });
    });
}

}  // namespace zelvorin::ui
