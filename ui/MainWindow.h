#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QStackedWidget>
#include <QToolButton>

#include <array>
#include <memory>

#include "app/AppEnvironment.h"
#include "screens/MainSections.h"
#include "ui/DesktopBrowserHandoff.h"
#include "ui/OnboardingView.h"
#include "ui/SectionView.h"
#include "ui/SignInView.h"

namespace zelvorin::ui {

// The desktop's one window. What it shows follows the session:
//
//   signedOut / signingIn ──► the sign-in screen
//   onboarding            ──► the new account's wizard; a made organisation signs in
//   signedIn              ──► the shell: sidebar with the eight sections, the organisation and the
//                             sync chip on top; rebuilt whole after an organisation switch
//   signedIn and locked   ──► the lock screen;  obscured (window not in front) ──► a plain cover
//
// It reads state the environment guards, so refresh() may follow any change from any thread once
// posted to the GUI thread. Blocking work (sign-in, sync, switch, uploads) goes to the worker.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(AppEnvironment& environment, std::shared_ptr<Executor> mainExecutor,
               std::shared_ptr<Executor> worker, std::shared_ptr<DesktopBrowserHandoff> handoff,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void selectSection(MainSection section);
    // Nothing while signed out.
    SectionView* section(MainSection section);
    MainSection currentSection() const { return current_; }
    QString syncChipText() const { return syncChip_->text(); }
    QString statusText() const;
    SignInView& signInView() { return *signIn_; }
    OnboardingView& onboardingView() { return *onboarding_; }
    bool showsOnboarding() const;
    bool showsShell() const;
    bool showsLock() const;
    bool showsCover() const;

    void signIn();
    void syncNow();
    // Takes the files in for the Kvitra inbox (what a drop onto the window does).
    void takeInDocuments(const QStringList& paths);
    // The switch once the person confirmed the warning; the outcome's text shows in the status bar.
    void performSwitch(const std::string& organizationId, const QString& name);

public slots:
    void refresh();

signals:
    // The shell was built (after sign-in or an organisation switch).
    void shellBuilt();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildShell();
    void dropShell();
    void showSyncChip();
    void showOrganisationName();
    SectionView* ensureSection(MainSection section);
    void chooseOrganisation();
    void switchOrganisation(const std::string& organizationId, const QString& name);
    void openSettings();
    void unlock();
    void completeOnboarding(OnboardingRegistration registration);
    void showMessage(const QString& text);

    AppEnvironment& environment_;
    std::shared_ptr<Executor> mainExecutor_;
    std::shared_ptr<Executor> worker_;
    std::shared_ptr<DesktopBrowserHandoff> handoff_;
    QStackedWidget* root_;
    SignInView* signIn_;
    OnboardingView* onboarding_;
    QWidget* lock_;
    QPushButton* unlockButton_;
    QWidget* cover_;
    QWidget* shell_ = nullptr;
    QListWidget* sidebar_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* organisation_ = nullptr;
    QToolButton* syncChip_;
    std::array<SectionView*, kAllMainSections.size()> sections_{};  // made when first shown
    std::unique_ptr<SectionContext> sectionContext_;
    MainSection current_ = MainSection::dashboard;
    std::string shellGeneration_;
    bool signingIn_ = false;
    bool wasSynced_ = true;
};

}  // namespace zelvorin::ui
