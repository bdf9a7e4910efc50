// The device's data folder under faults a test can make for real: a full disk and a read-only
// mount (tmpfs and bind mounts in a mount namespace of the test's own), and its permissions.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>

#include "app/tests/EnvironmentFixture.h"
#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/Statement.h"

namespace zelvorin {
namespace {

using testing::callbackFor;
using testing::makeEnvironment;
using testing::ServiceProcess;
using testing::TempDir;

// Mounts made after this are the test process's own and vanish with it. Must run before the test
// starts any thread: a thread keeps the namespace it was made in.
bool enterPrivateMounts() {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

std::int64_t count(AppEnvironment& environment, const std::string& sql) {
    return environment.database().writer->read([&](Connection& c) {
        Statement s = c.prepare(sql);
        s.step();
        return s.int64(0);
    });
}

// Writes until the file system says it is full.
void fillUp(const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary);
    const std::string block(64 * 1024, 'x');
    while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
    }
}

TEST(DataFolderIntegrationTest, AFullDiskDuringSignOutLeavesTheSessionWholeAndFreedSpaceLetsItEnd) {
    if (!enterPrivateMounts()) GTEST_SKIP() << "no mount namespace here (needs root or CAP_SYS_ADMIN)";
    TempDir disk;
    ASSERT_EQ(::mount("tmpfs", disk.path().c_str(), "tmpfs", 0, "size=12m,mode=0700"), 0);
    ServiceProcess service(ServiceProcess::demo());
    const std::filesystem::path root = disk / "device";
    auto environment = makeEnvironment(root, service.baseUrl());
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment)));
    environment->repositories().invoices.createDraft(std::nullopt, "2026-03-16");
    const std::string device = environment->deviceId();
    const auto tokens = environment->tokenStore().load();
    const std::int64_t invoices = count(*environment, "SELECT COUNT(*) FROM draft_invoice");
    const std::vector<std::string> files = testing::filesUnder(root);

    fillUp(disk / "vulling");
    try {
        environment->signOut();
        FAIL() << "sign-out went through on a full disk";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("niets gewist"), std::string::npos) << error.what();
    }
    EXPECT_EQ(environment->sessionState(), SessionState::signedIn);
    EXPECT_EQ(environment->deviceId(), device);
    EXPECT_EQ(environment->tokenStore().load(), tokens);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM draft_invoice"), invoices);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM outbox_change"), 1);
    EXPECT_EQ(testing::filesUnder(root), files);  // nothing half-made left behind

    std::filesystem::remove(disk / "vulling");
    environment->signOut();
    EXPECT_EQ(environment->sessionState(), SessionState::signedOut);
    EXPECT_NE(environment->deviceId(), device);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM draft_invoice"), 0);
}

TEST(DataFolderIntegrationTest, AReadOnlyDataFolderStopsStartUpWithADutchMessageAndTouchesNothing) {
    TempDir root;
    { makeEnvironment(root.path(), "http://127.0.0.1:9/"); }
    const std::filesystem::path database = root / "Zelvorin" / "zelvorin.sqlite";
    const std::string before = testing::readFile(database);
    if (::geteuid() == 0) {
        if (!enterPrivateMounts()) GTEST_SKIP() << "no mount namespace here";
        ASSERT_EQ(::mount(root.path().c_str(), root.path().c_str(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(::mount(nullptr, root.path().c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
                  0);
    } else {
        std::filesystem::permissions(root / "Zelvorin",
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
    try {
        makeEnvironment(root.path(), "http://127.0.0.1:9/");
        FAIL() << "started on a read-only folder";
    } catch (const DatabaseUnavailableError& error) {
        EXPECT_NE(std::string(error.what()).find("niets aan gewijzigd"), std::string::npos) << error.what();
    }
    EXPECT_EQ(testing::readFile(database), before);
    if (::geteuid() != 0) std::filesystem::permissions(root / "Zelvorin", std::filesystem::perms::owner_all);
}

TEST(DataFolderIntegrationTest, NothingTheDeviceKeepsIsReadableByOthers) {
    ::umask(022);  // the usual umask: the files must be private by themselves
    ServiceProcess service(ServiceProcess::demo());
    TempDir scratch;
    const std::filesystem::path root = scratch / "gegevens";  // made by the program itself
    auto environment = makeEnvironment(root, service.baseUrl());
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment)));
    ASSERT_TRUE(std::filesystem::exists(environment->paths().groupContainer / "snapshot.json"));
    ASSERT_TRUE(std::filesystem::exists(root / "tokens.json"));
    std::vector<std::string> names = testing::filesUnder(root);
    names.push_back(".");
    for (const std::string& name : names) {
        const auto permissions = std::filesystem::status(root / name).permissions();
        EXPECT_EQ(permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
                  std::filesystem::perms::none)
            << name;
    }
}

}  // namespace
}  // namespace zelvorin
