#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "api-client/HandoffAuthenticator.h"
#include "api-client/HttpSession.h"
#include "api-client/OnboardingRegistration.h"
#include "api-client/SyncAPIClient.h"
#include "api-client/TokenStore.h"
#include "app/AppPaths.h"
#include "app/BaseUrl.h"
#include "app/BiometricAppLock.h"
#include "app/DesktopShell.h"
#include "app/LoginFailure.h"
#include "app/NLHolidays.h"
#include "app/NotificationAnnouncer.h"
#include "app/PendingUploadStore.h"
#include "app/ReceiptIntake.h"
#include "app/Repositories.h"
#include "app/SessionState.h"
#include "app/SyncDisplayStatus.h"
#include "app/UserDefaults.h"
#include "persistence/DatabaseLocation.h"
#include "persistence/Executor.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "sync/SyncEngine.h"
#include "sync/SyncScheduler.h"

namespace zelvorin {

class LocalDataReset;

// The one object that ties the application together: it owns the local database with every
// repository over it, the token store, the API client, the sync engine, the scheduler and the app
// lock, and it carries the session. Created once per process by the desktop or the CLI, both of
// which only call it.
//
// Session:
//   signedOut --callback URL--> signingIn --tokens--> signedIn --signOut()--> signedOut
//   signedOut --onboarding URL--> onboarding --organisation created--> signedIn
//   launch: a stored pair of this device (and of the local data's organisation) --> signedIn
//   signingIn --failure--> signedOut with loginError (a failure while signedIn changes nothing)
//
// Creation order is fixed: sync status and session, the device id from the user defaults, the
// database (a file that cannot be used is kept aside, never deleted), the repositories and the
// sync store over it, the token store, the API client, the engine. Operations block and are called
// from one thread (the desktop's worker for long ones); only the engine's status arrives from the
// engine's thread and is guarded.
class AppEnvironment : private SyncSchedulerHost {
public:
    // Lines meant for a person looking at the terminal (stderr in the CLI).
    using Diagnostic = std::function<void(const std::string&)>;

    // The edges of the platform; what is left empty gets the Linux default.
    struct Platform {
        std::shared_ptr<TokenStore> tokenStore;           // file in the data folder, else the Secret Service
        std::unique_ptr<NetworkPathMonitor> pathMonitor;  // rtnetlink
        std::shared_ptr<OwnerAuthenticator> ownerAuthenticator;  // PAM, the account password
        std::shared_ptr<DesktopShell> desktop;                   // notifications and badge; none in the CLI
        std::shared_ptr<Executor> mainExecutor;  // where observers deliver; a serial thread by default
        std::shared_ptr<const Clock> clock;      // the system clock
        // Reads receipts on the device; Tesseract with the rules or the language model server.
        std::shared_ptr<const DocumentExtractionPipeline> documentPipeline;
        // How a queued receipt reaches the disk: atomically, in a private file.
        PendingUploadStore::FileWriter uploadFileWriter;
    };

    enum class SwitchOutcome { switched, refused, noConnection, failed };

    static constexpr const char* kDeviceIdKey = "nl.zelvorin.deviceId";

    // Throws DatabaseUnavailableError (Dutch) when the database cannot be used for a reason that is
    // not the file's fault; the file is then left exactly as it was.
    AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic, Platform platform = {});
    ~AppEnvironment() override;
    AppEnvironment(const AppEnvironment&) = delete;
    AppEnvironment& operator=(const AppEnvironment&) = delete;

    const BaseUrl& baseURL() const { return baseUrl_; }
    const std::string& deviceId() const { return deviceId_; }
    const AppPaths& paths() const { return paths_; }
    AppDatabase& database() { return local_->opened.database; }
    // Where the database lives; empty when start-up fell back to memory.
    const std::filesystem::path& databasePath() const { return local_->opened.path; }
    bool databaseInMemory() const { return local_->opened.inMemory; }
    // Where an unusable database found at start-up was kept, if one was.
    const std::optional<std::filesystem::path>& databaseMovedAside() const {
        return local_->opened.movedAside;
    }

    const std::shared_ptr<const Clock>& clock() const { return clock_; }
    // Rebuilt by signOut() and a switch: take it again after either.
    Repositories& repositories() { return local_->repositories; }
    SyncEngine& syncEngine() { return *local_->engine; }
    GRDBSyncStore& syncStore() { return *local_->syncStore; }
    TokenStore& tokenStore() { return *tokenStore_; }
    const std::shared_ptr<TokenStore>& sharedTokenStore() const { return tokenStore_; }
    SyncAPIClient& apiClient() { return *apiClient_; }
    const std::shared_ptr<HttpSession>& httpSession() const { return httpSession_; }
    BiometricAppLock& appLock() { return *appLock_; }
    // The Dutch public holidays for the schedules, cached for the life of the process.
    NLHolidays& holidays() { return *holidays_; }
    UserDefaults& defaults() { return defaults_; }

    SessionState sessionState() const;
    SyncDisplayStatus syncStatus() const;
    std::optional<LoginFailure> loginError() const;
    std::optional<std::string> pendingInvoiceDeepLink() const;
    std::optional<std::string> onboardingToken() const;
    const std::string& orgSwitchGeneration() const { return orgSwitchGeneration_; }
    // The last successful sync as stored in the database ("yyyy-MM-ddTHH:mm:ssZ").
    std::optional<std::string> lastSuccessfulSync();

    // Called after every status change of the engine, on the engine's thread.
    void setSyncStatusObserver(std::function<void(const SyncEngineStatus&)> observer);

    // --- the session -----------------------------------------------------------------------------
    // Launch: resume the stored session, then start, reset interrupted uploads and sync (appLaunch).
    void restoreSession();
    // The first half of restoreSession(), for one-shot callers (the CLI): true when signed in. A
    // stored pair of another device, or one that cannot be read, is cleared; local data of another
    // organisation than the pair's (a switch cut short) is reset.
    bool resumeStoredSession();
    // Observers, badge, scheduler, push registration; idempotent.
    void start();
    void stop();

    // What a completed sign-in does next: the app starts its observers and the scheduler and runs
    // a cycle (afterLogin); a one-shot command (the CLI's login) leaves both to its caller.
    enum class AfterSignIn { startAndSync, nothing };
    // Sign-in through the browser hand-off; false with loginError() filled on failure.
    bool signIn(BrowserHandoff& browser, AfterSignIn next = AfterSignIn::startAndSync);
    // Opens a sign-in whose callback will come in through handleOpenURL: the sign-in page's URL
    // for the browser. Its verifier waits in this process; a later one replaces it.
    std::string beginHandoff();
    // A "zelvorin:" URL from the scheme handler: an onboarding link or a sign-in callback.
    // False when the URL was refused (not our scheme, no token) or its sign-in failed; a
    // sign-in callback fails unless this process opened that sign-in (beginHandoff, signIn).
    bool handleOpenURL(const std::string& url, AfterSignIn next = AfterSignIn::startAndSync);
    // Ends the session and throws the local data away. Throws std::runtime_error (Dutch) when the
    // fresh database cannot be made (full disk, read-only folder): the session is then intact.
    void signOut();
    SwitchOutcome switchOrganization(const std::string& organizationId);

    // The user's "Nu synchroniseren": one manual cycle, then the upload drain. Blocks.
    void syncNow();
    // The window came to the front again: shared files are imported and a cycle runs
    // (foregroundReturn) while signed in. Returns at once; the work runs on the scheduler.
    void sceneBecameActive();

    // Onboarding: creates the organisation from the wizard's answers, adding this device's name,
    // platform and version; a Dutch message on failure (the onboarding session then goes on).
    std::optional<std::string> completeOnboarding(OnboardingRegistration registration);
    bool markOnboardingStep(std::int64_t step);

    // A click on a desktop notification with the notification's link.
    void handleNotificationClick(const std::string& link);

    // Uploads an image as a customer's or contact person's avatar and stores the address and the
    // service's revision in the local row. Throws the upload's APIError (Dutch for a refusal) or
    // std::invalid_argument for an unknown row, changing nothing.
    enum class AvatarOwner { customer, contactPerson };
    void updateAvatar(AvatarOwner owner, const std::string& id, const std::string& contentType,
                      const std::string& bytes);

    // --- receipts for the inbox ---------------------------------------------------------------------
    // One file taken to the inbox (read here first when it can be, queued when the service cannot
    // be reached); a file that went up is followed by a drain of the queue. Throws ReceiptFileError
    // (Dutch) for a file that is empty, too large, not a PDF, JPEG or PNG, or cannot be drawn; the
    // service's refusal as APIError; PendingUploadStoreError when it could not be queued.
    UploadOutcome takeInReceipt(const std::string& bytes, const std::string& fileName,
                                const std::string& source = "upload");
    // Sends what waits in the queue, oldest first, until one upload fails. One drain at a time.
    ReceiptIntake::DrainReport drainUploads();
    // Files other applications left in the queue folder with a side-car become queue rows; runs at
    // launch and on every return to the foreground.
    void importSharedFiles() override;
    const PendingUploadStore& pendingUploadStore() const { return uploadStore_; }
    // Built on first use: loading the recogniser costs time that most commands do not need.
    const DocumentExtractionPipeline& documentPipeline();

private:
    // Everything that belongs to one organisation's local data; replaced whole on a reset.
    struct LocalStores {
        LocalStores(OpenedDatabase opened, const std::shared_ptr<const Clock>& clock);
        OpenedDatabase opened;
        Repositories repositories;
        std::shared_ptr<GRDBSyncStore> syncStore;
        std::unique_ptr<SyncEngine> engine;
    };

    static std::string readOrCreateDeviceId(UserDefaults& defaults);
    void buildClient();
    void buildLocalStores(OpenedDatabase opened);
    void publishEngineStatus(const SyncEngineStatus& status);
    void setSessionState(SessionState state);
    void completeSignIn(AfterSignIn next);
    bool failSignIn(SessionState before, const std::exception_ptr& error);
    // Swaps in the staged fresh database (see LocalDataReset) and rebuilds every store, the
    // client and the engine over it; the caller has stopped everything. `keepOld`: the old
    // database is kept aside instead of deleted (its changes had nowhere to go).
    void resetLocalData(LocalDataReset& reset, bool keepOld = false);
    // Resets local data that belongs to another organisation than the stored pair's.
    void resetForeignLocalData(const std::string& organizationId);
    HandoffAuthenticator authenticator();
    void runCycle(SyncTrigger trigger);
    void writeWidgetSnapshot();
    void report(const std::string& line) const;
    ReceiptIntake receiptIntake();

    // SyncSchedulerHost
    bool isSignedIn() override;
    void replayQueuedActions() override;
    void drainPendingUploads() override;
    void runSync(SyncTrigger trigger, std::stop_token stop) override;

    BaseUrl baseUrl_;
    AppPaths paths_;
    Diagnostic diagnostic_;
    std::shared_ptr<const Clock> clock_;
    std::shared_ptr<Executor> mainExecutor_;
    std::shared_ptr<DesktopShell> desktop_;

    mutable std::mutex stateMutex_;  // guards the four below: the engine reports from its thread
    SyncDisplayStatus syncStatus_;
    SessionState sessionState_ = SessionState::signedOut;
    std::optional<LoginFailure> loginError_;
    std::optional<std::string> pendingInvoiceDeepLink_;
    std::optional<std::string> onboardingToken_;
    std::function<void(const SyncEngineStatus&)> syncStatusObserver_;

    UserDefaults defaults_;
    std::string deviceId_;
    std::string orgSwitchGeneration_;
    std::unique_ptr<LocalStores> local_;
    std::shared_ptr<TokenStore> tokenStore_;
    std::shared_ptr<HttpSession> httpSession_;
    std::shared_ptr<SyncAPIClient> apiClient_;
    std::shared_ptr<PendingHandoff> pendingHandoff_ = std::make_shared<PendingHandoff>();
    std::unique_ptr<BiometricAppLock> appLock_;
    std::unique_ptr<NLHolidays> holidays_;
    std::unique_ptr<SyncScheduler> scheduler_;
    NotificationAnnouncer announcer_;
    ObservationHandle notificationsObservation_;
    std::atomic<bool> started_{false};  // read from the desktop's GUI thread too
    PendingUploadStore uploadStore_;
    std::once_flag pipelineOnce_;
    std::shared_ptr<const DocumentExtractionPipeline> documentPipeline_;
    std::atomic<bool> isDraining_{false};
};

std::string_view rawValue(AppEnvironment::SwitchOutcome outcome);

}  // namespace zelvorin
