#include "app/BiometricAppLock.h"

#include <gtest/gtest.h>

#include "app/PamOwnerAuthenticator.h"
#include "app/tests/EnvironmentFixture.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;

struct LockFixture {
    testing::TempDir root;
    UserDefaults defaults{root / "defaults.json", {}};
    std::shared_ptr<testing::ScriptedOwner> owner = std::make_shared<testing::ScriptedOwner>();
    std::shared_ptr<ManualClock> clock =
        std::make_shared<ManualClock>(TimePoint(std::chrono::seconds(1'773'000'000)));
    BiometricAppLock lock{defaults, owner, clock};

    void unlock() {
        lock.authenticate([](const std::string&) { return std::optional<std::string>("geheim"); });
    }
    void awayFor(std::chrono::seconds seconds) {
        lock.sceneEnteredBackground();
        clock->advance(seconds);
        lock.sceneBecameActive(true);
    }
};

TEST(BiometricAppLockTest, LocksAtStartAndAfterFiveMinutesAwayButNotAfterFourFiftyNine) {
    LockFixture f;
    f.lock.setEnabled(true);
    EXPECT_EQ(f.defaults.boolean(BiometricAppLock::kEnabledKey), true);
    f.lock.sceneBecameActive(true);
    EXPECT_TRUE(f.lock.isLocked());  // never backgrounded since launch
    f.unlock();
    EXPECT_FALSE(f.lock.isLocked());
    EXPECT_FALSE(f.lock.backgroundedAt());

    f.awayFor(299s);
    EXPECT_FALSE(f.lock.isLocked());
    f.awayFor(300s);
    EXPECT_TRUE(f.lock.isLocked());
    EXPECT_EQ(f.lock.unlockButtonTitle(), "Ontgrendel met toegangscode");
}

TEST(BiometricAppLockTest, AnUnlockClearsTheBackgroundTimeSoLeavingWithoutBackgroundLocksAgain) {
    LockFixture f;
    f.lock.setEnabled(true);
    f.lock.sceneBecameActive(true);
    f.unlock();
    f.lock.sceneBecameInactive(true);
    EXPECT_TRUE(f.lock.isObscured());
    f.lock.sceneBecameActive(true);
    EXPECT_FALSE(f.lock.isObscured());
    EXPECT_TRUE(f.lock.isLocked());
}

TEST(BiometricAppLockTest, DisabledOrSignedOutNothingLocksAndTheCoverFollowsTheRules) {
    LockFixture f;
    f.lock.sceneBecameInactive(true);
    f.lock.sceneEnteredBackground();
    EXPECT_FALSE(f.lock.isObscured());
    f.lock.sceneBecameActive(true);
    EXPECT_FALSE(f.lock.isLocked());

    f.lock.setEnabled(true);
    f.lock.sceneBecameInactive(false);  // inactive covers only a signed-in, locked-up app
    EXPECT_FALSE(f.lock.isObscured());
    f.lock.sceneEnteredBackground();  // the background covers whenever the lock is on
    EXPECT_TRUE(f.lock.isObscured());
    f.lock.sceneBecameActive(false);
    EXPECT_FALSE(f.lock.isLocked());
    EXPECT_FALSE(f.lock.isObscured());
}

TEST(BiometricAppLockTest, TurningTheLockOffUnlocksAndAFailedOrCancelledPromptKeepsItLocked) {
    LockFixture f;
    f.lock.setEnabled(true);
    f.lock.sceneBecameActive(true);
    f.owner->answer = false;
    f.unlock();
    EXPECT_TRUE(f.lock.isLocked());
    f.owner->answer = true;
    f.lock.authenticate([](const std::string&) { return std::optional<std::string>(); });  // cancelled
    EXPECT_TRUE(f.lock.isLocked());
    EXPECT_FALSE(f.lock.authenticating());

    // A second prompt while one is open does nothing.
    int nested = 0;
    f.lock.authenticate([&](const std::string&) {
        EXPECT_TRUE(f.lock.authenticating());
        f.lock.authenticate([&](const std::string&) {
            ++nested;
            return std::optional<std::string>("x");
        });
        return std::optional<std::string>("geheim");
    });
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(f.lock.isLocked());

    f.lock.sceneBecameActive(true);  // away without background: locked again
    ASSERT_TRUE(f.lock.isLocked());
    f.lock.setEnabled(false);
    EXPECT_FALSE(f.lock.isLocked());
    EXPECT_EQ(f.defaults.boolean(BiometricAppLock::kEnabledKey), false);
    EXPECT_EQ(f.owner->prompts, 3);
}

// The real PAM library with a stack of our own (pam_start_confdir), so no system file is touched.
TEST(PamOwnerAuthenticatorTest, TheConversationAsksForThePasswordAndTheStackDecides) {
    testing::TempDir stacks;
    testing::writeFile(stacks / "toestaan", "auth required pam_permit.so\naccount required pam_permit.so\n");
    testing::writeFile(stacks / "weigeren", "auth required pam_deny.so\naccount required pam_permit.so\n");
    testing::writeFile(stacks / "wachtwoord", "auth required pam_unix.so\naccount required pam_permit.so\n");
    ASSERT_FALSE(PamOwnerAuthenticator::currentUserName().empty());
    auto never = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };

    EXPECT_TRUE(PamOwnerAuthenticator("toestaan", stacks.path()).authenticate("Ontgrendel Zelvorin", never));
    EXPECT_FALSE(PamOwnerAuthenticator("weigeren", stacks.path()).authenticate("Ontgrendel Zelvorin", never));
    EXPECT_FALSE(
        PamOwnerAuthenticator("bestaat-niet", stacks.path()).authenticate("Ontgrendel Zelvorin", never));

    std::vector<std::string> prompts;
    const bool wrong = PamOwnerAuthenticator("wachtwoord", stacks.path())
                           .authenticate("Ontgrendel Zelvorin", [&](const std::string& prompt) {
                               prompts.push_back(prompt);
                               return std::optional<std::string>("zeker-niet-het-wachtwoord-8d1f");
                           });
    EXPECT_FALSE(wrong);
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_FALSE(
        PamOwnerAuthenticator("wachtwoord", stacks.path()).authenticate("Ontgrendel Zelvorin", never));
    EXPECT_EQ(PamOwnerAuthenticator().methodName(), "toegangscode");
}

}  // namespace
}  // namespace zelvorin
