// The session operations of AppEnvironment: restore at launch, sign-in, the URL handler,
// onboarding, sign-out and the organisation switch.
#include <unistd.h>

#include "api-client/AccountAPI.h"
#include "api-client/FileTransfers.h"
#include "api-client/HandoffCallback.h"
#include "app/AppEnvironment.h"
#include "app/AppVersion.h"
#include "app/LocalDataReset.h"
#include "app/OnboardingMessages.h"
#include "domain/Uuid.h"

namespace zelvorin {

namespace {

std::optional<std::string> hostName() {
    char name[256] = {0};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
    return std::string(name);
}

std::optional<std::string> firstQueryItem(const std::string& query, const std::string& name) {
    const auto items = queryItems(query);
    const auto found = items.find(name);
    if (found == items.end()) return std::nullopt;
    return found->second;
}

}  // namespace

HandoffAuthenticator AppEnvironment::authenticator() {
    return HandoffAuthenticator({baseUrl_.text(), deviceId_, kPlatformName, kAppVersion, hostName()},
                                *apiClient_, pendingHandoff_);
}

std::string AppEnvironment::beginHandoff() {
    return authenticator().beginHandoff();
}

bool AppEnvironment::resumeStoredSession() {
    const std::optional<TokenPair> pair = tokenStore_->load();
    if (!pair) {
        setSessionState(SessionState::signedOut);
        return false;
    }
    const std::optional<nlohmann::json> claims = accessTokenClaims(pair->accessToken);
    const std::optional<std::string> device = stringClaim(pair->accessToken, "did");
    if (!claims || (device && *device != deviceId_)) {
        tokenStore_->clear();
        setSessionState(SessionState::signedOut);
        report(
            claims
                ? "[AppEnvironment] De opgeslagen aanmelding hoort bij een ander apparaat; meld opnieuw aan."
                : "[AppEnvironment] De opgeslagen aanmelding is onleesbaar; meld opnieuw aan.");
        return false;
    }
    if (const auto organization = stringClaim(pair->accessToken, "org")) resetForeignLocalData(*organization);
    setSessionState(SessionState::signedIn);
    local_->repositories.pendingUploads.resetInterruptedUploads();
    return true;
}

void AppEnvironment::restoreSession() {
    if (!resumeStoredSession()) return;
    start();
    importSharedFiles();
    runCycle(SyncTrigger::appLaunch);
    drainPendingUploads();
}

void AppEnvironment::resetForeignLocalData(const std::string& organizationId) {
    const std::optional<std::string> local = local_->syncStore->organization();
    if (!local || *local == organizationId) return;
    // A switch that ended between the new pair and the fresh database, or a session that ended
    // without sign-out (refused refresh) followed by a sign-in elsewhere: this data cannot be
    // pushed to the pair's organisation. It is kept aside, not deleted.
    try {
        const bool wasStarted = started_.load();
        stop();
        LocalDataReset reset(paths_);
        resetLocalData(reset, /*keepOld=*/true);
        if (wasStarted) start();
    } catch (const std::exception& error) {
        report(std::string("[AppEnvironment] Lokale gegevens van een andere organisatie konden niet worden "
                           "vervangen: ") +
               error.what());
    }
}

void AppEnvironment::completeSignIn(AfterSignIn next) {
    {
        std::lock_guard lock(stateMutex_);
        loginError_.reset();
        onboardingToken_.reset();
    }
    if (const auto pair = tokenStore_->load()) {
        if (const auto organization = stringClaim(pair->accessToken, "org"))
            resetForeignLocalData(*organization);
    }
    setSessionState(SessionState::signedIn);
    if (next == AfterSignIn::nothing) return;
    start();
    runCycle(SyncTrigger::afterLogin);
}

bool AppEnvironment::failSignIn(SessionState before, const std::exception_ptr& error) {
    LoginFailure failure = LoginFailure::from(error);
    std::lock_guard lock(stateMutex_);
    if (before == SessionState::signedIn) {
        sessionState_ = SessionState::signedIn;  // a late failure does not end a working session
        return false;
    }
    sessionState_ = SessionState::signedOut;
    loginError_ = std::move(failure);
    return false;
}

bool AppEnvironment::signIn(BrowserHandoff& browser, AfterSignIn next) {
    const SessionState before = sessionState();
    setSessionState(SessionState::signingIn);
    try {
        authenticator().signIn(browser);
    } catch (const HandoffError& error) {
        // No organisation yet: the user goes on with onboarding, which that URL starts.
        if (error.kind() == HandoffError::Kind::onboarding) return handleOpenURL(error.callbackURL(), next);
        return failSignIn(before, std::current_exception());
    } catch (...) {
        return failSignIn(before, std::current_exception());
    }
    completeSignIn(next);
    return true;
}

bool AppEnvironment::handleOpenURL(const std::string& url, AfterSignIn next) {
    const SchemeUrl parts = SchemeUrl::split(url);
    if (parts.scheme != "zelvorin") {
        report("[AppEnvironment] Link genegeerd: geen zelvorin-link.");
        return false;
    }
    if (parts.host == "onboarding") {
        const std::optional<std::string> token = firstQueryItem(parts.query, "token");
        std::lock_guard lock(stateMutex_);
        if (!token || token->empty()) {
            loginError_ = LoginFailure{LoginFailure::Reason::server, kNoOnboardingSession,
                                       "onboarding-link zonder token"};
            return false;
        }
        onboardingToken_ = *token;
        sessionState_ = SessionState::onboarding;
        return true;
    }
    const SessionState before = sessionState();
    setSessionState(SessionState::signingIn);
    try {
        authenticator().completeWithCallback(url);
    } catch (...) {
        return failSignIn(before, std::current_exception());
    }
    completeSignIn(next);
    return true;
}

std::optional<std::string> AppEnvironment::completeOnboarding(OnboardingRegistration registration) {
    const std::optional<std::string> token = onboardingToken();
    if (!token) return std::string(kNoOnboardingSession);
    registration.deviceName = hostName().value_or("Linux");
    registration.platform = kPlatformName;
    registration.appVersion = kAppVersion;
    try {
        registerOrganization(*apiClient_, *token, registration);  // saves the new pair
    } catch (...) {
        return onboardingFailureMessage(std::current_exception());
    }
    completeSignIn(AfterSignIn::startAndSync);
    return std::nullopt;
}

bool AppEnvironment::markOnboardingStep(std::int64_t step) {
    try {
        AccountAPI(*apiClient_).recordOnboardingStep(step);
        return true;
    } catch (const std::exception& error) {
        report("[AppEnvironment] markOnboardingStep(" + std::to_string(step) + ") mislukt: " + error.what());
        return false;
    }
}

void AppEnvironment::updateAvatar(AvatarOwner owner, const std::string& id, const std::string& contentType,
                                  const std::string& bytes) {
    const std::string table = owner == AvatarOwner::customer ? "customer" : "contact_person";
    const bool known = local_->opened.database.writer->read([&](Connection& db) {
        Statement& select = db.cached("SELECT 1 FROM " + table + " WHERE id = ?");
        select.bind(1, id);
        const bool found = select.step();
        select.reset();
        return found;
    });
    if (!known)
        throw std::invalid_argument("Onbekende " +
                                    std::string(owner == AvatarOwner::customer ? "klant" : "contactpersoon") +
                                    ": " + id);
    // The service bumped the record's revision with the new address: the row takes both, so the
    // next pull of the same revision changes nothing and a later local edit builds on it.
    const AvatarUploadResponse uploaded = uploadAvatar(*apiClient_, table, id, contentType, bytes);
    local_->opened.database.writer->write([&](Connection& db) {
        db.cached("UPDATE " + table + " SET avatar_url = ?, revision = ? WHERE id = ?")
            .bindAll(uploaded.avatarUrl, uploaded.serverRevision, id)
            .run();
    });
}

void AppEnvironment::resetLocalData(LocalDataReset& reset, bool keepOld) {
    const std::filesystem::path database = local_->opened.path;
    const bool inMemory = local_->opened.inMemory;
    local_.reset();  // every connection of the old database closes here
    if (keepOld && !inMemory && std::filesystem::exists(database)) {
        report("[AppEnvironment] De vorige lokale gegevens zijn bewaard als " +
               moveDatabaseAside(database).string() + ".");
    }
    reset.commit();
    buildClient();
    buildLocalStores(openDefaultDatabase(paths_.applicationSupport, diagnostic_));
    std::lock_guard lock(stateMutex_);
    syncStatus_ = SyncDisplayStatus{SyncDisplayStatus::Synced{}};
}

void AppEnvironment::signOut() {
    const bool wasStarted = started_.load();
    stop();
    try {
        // Everything that needs disk space happens first; until the tokens are cleared the session
        // can still go on as it was.
        LocalDataReset reset(paths_);
        const std::string newDeviceId = randomUuid();
        UserDefaults::PendingChange newDevice = defaults_.stage(kDeviceIdKey, newDeviceId);
        if (tokenStore_->clear()) {
            newDevice.commit();
            deviceId_ = newDeviceId;
        }
        resetLocalData(reset);
    } catch (...) {
        if (wasStarted) start();
        throw;
    }
    std::lock_guard lock(stateMutex_);
    sessionState_ = SessionState::signedOut;
    onboardingToken_.reset();
}

AppEnvironment::SwitchOutcome AppEnvironment::switchOrganization(const std::string& organizationId) {
    const bool wasStarted = started_.load();
    stop();
    auto restart = [&](SwitchOutcome outcome) {
        if (wasStarted) start();
        return outcome;
    };
    std::optional<LocalDataReset> reset;
    try {
        // Made before asking the service: a device that could not make a fresh database would
        // otherwise hold the new organisation's pair over the old organisation's data.
        reset.emplace(paths_);
    } catch (const std::exception& error) {
        report(std::string("[AppEnvironment] Wisselen van organisatie kan nu niet: ") + error.what());
        return restart(SwitchOutcome::failed);
    }
    try {
        AccountAPI(*apiClient_).switchOrganization(organizationId);  // saves the new pair
    } catch (const APIError& error) {
        // The switch is an action: the service's refusal (not a member, no such organisation)
        // arrives as a conflict carrying its own words.
        const bool refused = error.is<APIError::Forbidden>() || error.is<APIError::Conflict>();
        return restart(refused ? SwitchOutcome::refused : SwitchOutcome::failed);
    } catch (const NetworkError&) {
        return restart(SwitchOutcome::noConnection);
    } catch (const std::exception&) {
        return restart(SwitchOutcome::failed);
    }
    resetLocalData(*reset);
    start();
    runCycle(SyncTrigger::afterLogin);
    orgSwitchGeneration_ = randomUuid();
    return SwitchOutcome::switched;
}

}  // namespace zelvorin
