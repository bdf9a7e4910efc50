#include "app/AppEnvironment.h"

#include "api-client/FileTokenStore.h"
#include "api-client/KeychainTokenStore.h"
#include "api-client/UserAgent.h"
#include "app/AppVersion.h"
#include "app/DocumentPipelineChoice.h"
#include "app/LocalDataReset.h"
#include "app/NetlinkPathMonitor.h"
#include "app/PamOwnerAuthenticator.h"
#include "app/PushRegistration.h"
#include "app/QueuedActionReplay.h"
#include "app/ReceiptFile.h"
#include "app/WidgetSnapshot.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"

namespace zelvorin {

namespace {

template <class T, class Make>
T orDefault(T given, Make make) {
    return given ? std::move(given) : make();
}

}  // namespace

AppEnvironment::LocalStores::LocalStores(OpenedDatabase openedDatabase,
                                         const std::shared_ptr<const Clock>& clock)
    : opened(std::move(openedDatabase)),
      repositories(opened.database, clock),
      syncStore(std::make_shared<GRDBSyncStore>(opened.database, clock)) {}

AppEnvironment::AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic, Platform platform)
    : baseUrl_(std::move(baseUrl)),
      paths_(std::move(paths)),
      diagnostic_(std::move(diagnostic)),
      clock_(
          orDefault(std::move(platform.clock),
                    []() -> std::shared_ptr<const Clock> { return std::make_shared<const SystemClock>(); })),
      mainExecutor_(
          orDefault(std::move(platform.mainExecutor),
                    []() -> std::shared_ptr<Executor> { return std::make_shared<SerialExecutor>(); })),
      desktop_(std::move(platform.desktop)),
      syncStatus_{SyncDisplayStatus::Synced{}},
      defaults_(paths_.defaultsFile, diagnostic_),
      deviceId_(readOrCreateDeviceId(defaults_)),
      orgSwitchGeneration_(randomUuid()),
      uploadStore_(paths_.groupContainer, std::move(platform.uploadFileWriter)),
      documentPipeline_(std::move(platform.documentPipeline)) {
    LocalDataReset::removeLeftovers(paths_);
    OpenedDatabase opened = openDefaultDatabase(paths_.applicationSupport, diagnostic_);
    tokenStore_ = orDefault(std::move(platform.tokenStore), [this]() -> std::shared_ptr<TokenStore> {
        if (paths_.tokenFile) return std::make_shared<FileTokenStore>(*paths_.tokenFile);
        return std::make_shared<KeychainTokenStore>(KeychainTokenStore::kDefaultService,
                                                    [this](const std::string& line) { report(line); });
    });
    httpSession_ = std::make_shared<HttpSession>(userAgentString(kAppVersion));
    holidays_ = std::make_unique<NLHolidays>(httpSession_, publicHolidayServiceUrl(baseUrl_), clock_);
    buildClient();
    buildLocalStores(std::move(opened));
    appLock_ =
        std::make_unique<BiometricAppLock>(defaults_,
                                           orDefault(std::move(platform.ownerAuthenticator),
                                                     []() -> std::shared_ptr<OwnerAuthenticator> {
                                                         return std::make_shared<PamOwnerAuthenticator>();
                                                     }),
                                           clock_);
    scheduler_ = std::make_unique<SyncScheduler>(orDefault(std::move(platform.pathMonitor), []() {
        return std::unique_ptr<NetworkPathMonitor>(std::make_unique<NetlinkPathMonitor>());
    }));
}

AppEnvironment::~AppEnvironment() {
    stop();
    // Deliveries already queued on our own executor still reach this object: run them now,
    // while every member is alive.
    if (std::dynamic_pointer_cast<SerialExecutor>(mainExecutor_) && mainExecutor_.use_count() == 1)
        mainExecutor_.reset();
}

void AppEnvironment::buildClient() {
    apiClient_ = std::make_shared<SyncAPIClient>(baseUrl_.text(), tokenStore_, deviceId_, httpSession_);
}

void AppEnvironment::buildLocalStores(OpenedDatabase opened) {
    local_ = std::make_unique<LocalStores>(std::move(opened), clock_);
    local_->engine = std::make_unique<SyncEngine>(
        deviceId_, local_->syncStore, apiClient_,
        std::vector<SyncEntityType>(kAllSyncEntityTypes.begin(), kAllSyncEntityTypes.end()), clock_);
    local_->engine->setStatusListener(
        [this](const SyncEngineStatus& status) { publishEngineStatus(status); });
}

void AppEnvironment::publishEngineStatus(const SyncEngineStatus& status) {
    // A cycle that ended idle with a date succeeded: the dashboard shows when, the widget what.
    if (const auto* idle = status.get<SyncEngineStatus::Idle>(); idle && idle->lastSyncedAt) {
        try {
            local_->repositories.dashboard.recordSuccessfulSync(formatTimestampSeconds(*idle->lastSyncedAt));
        } catch (const std::exception& error) {
            report(std::string("[AppEnvironment] Tijdstip van de sync niet bewaard: ") + error.what());
        }
        writeWidgetSnapshot();
    }
    std::function<void(const SyncEngineStatus&)> observer;
    {
        std::lock_guard lock(stateMutex_);
        syncStatus_ = displayStatus(status);
        observer = syncStatusObserver_;
    }
    if (observer) observer(status);
}

void AppEnvironment::writeWidgetSnapshot() {
    try {
        const DashboardSummary summary = local_->repositories.dashboard.summary();
        WidgetSnapshotWriter(paths_.groupContainer)
            .write(WidgetSnapshot::from(summary, formatTimestampSeconds(clock_->now())));
    } catch (const std::exception& error) {
        report(std::string("[AppEnvironment] Widgetoverzicht niet bijgewerkt: ") + error.what());
    }
}

SessionState AppEnvironment::sessionState() const {
    std::lock_guard lock(stateMutex_);
    return sessionState_;
}

void AppEnvironment::setSessionState(SessionState state) {
    std::lock_guard lock(stateMutex_);
    sessionState_ = state;
}

SyncDisplayStatus AppEnvironment::syncStatus() const {
    std::lock_guard lock(stateMutex_);
    return syncStatus_;
}

std::optional<LoginFailure> AppEnvironment::loginError() const {
    std::lock_guard lock(stateMutex_);
    return loginError_;
}

std::optional<std::string> AppEnvironment::pendingInvoiceDeepLink() const {
    std::lock_guard lock(stateMutex_);
    return pendingInvoiceDeepLink_;
}

std::optional<std::string> AppEnvironment::onboardingToken() const {
    std::lock_guard lock(stateMutex_);
    return onboardingToken_;
}

std::optional<std::string> AppEnvironment::lastSuccessfulSync() {
    return local_->repositories.dashboard.summary().lastSuccessfulSyncAt;
}

void AppEnvironment::setSyncStatusObserver(std::function<void(const SyncEngineStatus&)> observer) {
    std::lock_guard lock(stateMutex_);
    syncStatusObserver_ = std::move(observer);
}

void AppEnvironment::start() {
    if (started_) return;
    started_ = true;
    if (desktop_) {
        announcer_.reset(formatTimestampMillis(clock_->now()));
        notificationsObservation_ = local_->repositories.notifications.observeNotifications(
            [this](std::vector<AppNotificationRecord> notifications) {
                const NotificationAnnouncer::Update update = announcer_.observe(notifications);
                desktop_->setBadgeCount(update.badgeCount);
                for (const DesktopNotification& notification : update.toShow)
                    desktop_->showNotification(notification);
            },
            mainExecutor_);
    }
    scheduler_->start(*this);
    // No push provider on Linux: the registration reports failure and nothing is sent.
    registerPushToken(*apiClient_, deviceId_, std::nullopt);
}

void AppEnvironment::stop() {
    if (!started_) return;
    started_ = false;
    scheduler_->stop();
    notificationsObservation_ = ObservationHandle();
    if (desktop_) desktop_->setBadgeCount(0);
}

void AppEnvironment::runCycle(SyncTrigger trigger) {
    local_->engine->sync(trigger);
}

void AppEnvironment::syncNow() {
    runCycle(SyncTrigger::manual);
    drainPendingUploads();
}

void AppEnvironment::sceneBecameActive() {
    if (started_) scheduler_->sceneBecameActive();
}

const DocumentExtractionPipeline& AppEnvironment::documentPipeline() {
    std::call_once(pipelineOnce_, [this] {
        if (!documentPipeline_)
            documentPipeline_ = makeDocumentPipeline(
                [this](const std::string& warning) { report("[AppEnvironment] " + warning); });
    });
    return *documentPipeline_;
}

ReceiptIntake AppEnvironment::receiptIntake() {
    return ReceiptIntake({*apiClient_, local_->repositories.pendingUploads, uploadStore_, documentPipeline(),
                          *clock_, isDraining_, [this](const std::string& line) { report(line); }});
}

UploadOutcome AppEnvironment::takeInReceipt(const std::string& bytes, const std::string& fileName,
                                            const std::string& source) {
    const std::string mimeType = receiptMimeType(fileName, bytes);
    const UploadOutcome outcome = receiptIntake().takeIn(bytes, fileName, mimeType, source);
    // The service answered: whatever waited for it can go now.
    if (outcome.kind != UploadOutcome::Kind::queued) drainUploads();
    return outcome;
}

ReceiptIntake::DrainReport AppEnvironment::drainUploads() {
    return receiptIntake().drain();
}

bool AppEnvironment::isSignedIn() {
    return sessionState() == SessionState::signedIn;
}

void AppEnvironment::replayQueuedActions() {
    zelvorin::replayQueuedActions(repositories().actionQueue, apiClient(), *clock());
}

void AppEnvironment::drainPendingUploads() {
    try {
        drainUploads();
    } catch (const std::exception& error) {
        report(std::string("[AppEnvironment] Uploadwachtrij niet verwerkt: ") + error.what());
    }
}

void AppEnvironment::importSharedFiles() {
    try {
        receiptIntake().importSharedFiles();
    } catch (const std::exception& error) {
        report(std::string("[AppEnvironment] importSharedFiles: ") + error.what());
    }
}

void AppEnvironment::runSync(SyncTrigger trigger, std::stop_token stop) {
    local_->engine->sync(trigger, stop);
}

void AppEnvironment::handleNotificationClick(const std::string& link) {
    if (auto invoiceId = invoiceIdFromLink(link)) {
        std::lock_guard lock(stateMutex_);
        pendingInvoiceDeepLink_ = std::move(invoiceId);
    }
}

void AppEnvironment::report(const std::string& line) const {
    if (diagnostic_) diagnostic_(line);
}

std::string AppEnvironment::readOrCreateDeviceId(UserDefaults& defaults) {
    if (auto stored = defaults.string(kDeviceIdKey); stored && !stored->empty()) return *stored;
    std::string fresh = randomUuid();
    defaults.set(kDeviceIdKey, fresh);
    return fresh;
}

std::string_view rawValue(AppEnvironment::SwitchOutcome outcome) {
    switch (outcome) {
        case AppEnvironment::SwitchOutcome::switched:
            return "switched";
        case AppEnvironment::SwitchOutcome::refused:
            return "refused";
        case AppEnvironment::SwitchOutcome::noConnection:
            return "noConnection";
        case AppEnvironment::SwitchOutcome::failed:
            return "failed";
    }
    return "failed";
}

}  // namespace zelvorin
