// zelvorin-cli taking receipts to the inbox as separate processes: queued while the service is
// away, drained when it is back, and never lost or doubled when a drain is killed half-way.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include "app/tests/CliDevice.h"
#include "testing/ChildProcess.h"

namespace zelvorin::testing {
namespace {

const std::filesystem::path kSamples = ZELVORIN_INTELLIGENCE_SAMPLES;

class CliReceiptsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.run("login --auto").exitCode, 0) << device.errors(); }

    // `count` copies of a sample receipt under their own names.
    std::vector<std::string> receipts(int count) {
        std::vector<std::string> paths;
        for (int i = 1; i <= count; ++i) {
            const std::filesystem::path path = device.root / ("bon-" + std::to_string(i) + ".jpg");
            std::filesystem::copy_file(kSamples / (i % 2 ? "receipt-photo.jpg" : "invoice-photo.jpg"), path);
            paths.push_back(path.string());
        }
        return paths;
    }
    static std::string joined(const std::vector<std::string>& paths) {
        std::string text;
        for (const std::string& path : paths)
            text += " " + path;
        return text;
    }
    std::filesystem::path queueFolder() const {
        return device.root / "group.nl.zelvorin.app" / "PendingUploads";
    }
    std::size_t queuedFiles() const {
        if (!std::filesystem::exists(queueFolder())) return 0;
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(queueFolder()),
                                                      std::filesystem::directory_iterator()));
    }
    // How often each subject is in the device's inbox after a sync, "bon-1.jpg=1\n…".
    std::string inboxSubjects() {
        EXPECT_EQ(device.run("sync").exitCode, 0) << device.errors();
        return query(device,
                     "SELECT subject || '=' || COUNT(*) FROM incoming_invoice WHERE subject LIKE 'bon-%' "
                     "AND deleted_at IS NULL GROUP BY subject ORDER BY subject");
    }

    CliDevice device;
};

TEST_F(CliReceiptsIntegrationTest, ReceiptsQueuedWhileTheServiceIsAwayReachTheInboxWithTheirReadings) {
    const std::vector<std::string> files = receipts(3);
    device.service.stop();
    const CliRun added = device.run("receipt add" + joined(files));
    EXPECT_EQ(added.exitCode, 0) << device.errors();
    EXPECT_EQ(added.out, "bon-1.jpg: queued\nbon-2.jpg: queued\nbon-3.jpg: queued\n");
    EXPECT_EQ(query(device, "SELECT status || ' ' || attempts FROM pending_upload"),
              "wachtend 0\nwachtend 0\nwachtend 0\n");
    EXPECT_EQ(queuedFiles(), 3u);

    device.service.restart();
    const CliRun drained = device.run("drain --json");
    EXPECT_EQ(drained.exitCode, 0) << device.errors();
    EXPECT_EQ(drained.out, R"({"uploaded":3,"skipped":0,"failure":null,"waiting":0})"
                           "\n");
    EXPECT_EQ(inboxSubjects(), "bon-1.jpg=1\nbon-2.jpg=1\nbon-3.jpg=1\n");
    EXPECT_EQ(query(device,
                    "SELECT COUNT(*) FROM incoming_invoice WHERE subject LIKE 'bon-%' "
                    "AND extraction_source = 'device-fm' AND extracted_amount > 0"),
              "3\n");
    EXPECT_EQ(queuedFiles(), 0u);
    EXPECT_EQ(query(device, "SELECT COUNT(*) FROM pending_upload"), "0\n");
    // A file already given is untouched.
    EXPECT_TRUE(std::filesystem::exists(files[0]));
}

TEST_F(CliReceiptsIntegrationTest, ADrainKilledAtRandomMomentsLosesAndDoublesNothing) {
    const std::vector<std::string> files = receipts(10);
    device.service.stop();
    ASSERT_EQ(device.run("receipt add" + joined(files)).exitCode, 0) << device.errors();
    device.service.restart();

    std::mt19937 random(20260316);
    std::uniform_int_distribution<int> moment(100, 2500);
    std::vector<std::string> assignments{"ZELVORIN_DATA_DIR=" + device.root.path().string(),
                                         "ZELVORIN_BASE_URL=" + device.service.baseUrl(),
                                         "OMP_THREAD_LIMIT=1"};
    int killedWhileWorking = 0;
    for (int kill = 0; kill < 6; ++kill) {
        const pid_t pid = startProgram({ZELVORIN_CLI_BINARY, "drain"}, assignments, /*quiet=*/true);
        std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
        if (::kill(pid, SIGKILL) == 0 && waitForExit(pid) == -1) ++killedWhileWorking;
        // Whatever the moment, every queued file still has its row and every row its file or
        // an upload that already went out.
        const std::string rowFiles = query(device, "SELECT COUNT(*) FROM pending_upload");
        EXPECT_LE(queuedFiles(), static_cast<std::size_t>(std::stoul(rowFiles))) << "after kill " << kill;
    }
    EXPECT_GE(killedWhileWorking, 3);
    ASSERT_EQ(device.run("uploads").exitCode, 0) << device.errors();  // a restore, like a launch
    EXPECT_EQ(query(device, "SELECT COUNT(*) FROM pending_upload WHERE status = 'bezig'"), "0\n");

    // The next start resets what was left "bezig" and sends the rest.
    const CliRun last = device.run("drain");
    EXPECT_EQ(last.exitCode, 0) << device.errors();
    EXPECT_EQ(query(device, "SELECT COUNT(*) FROM pending_upload"), "0\n");
    EXPECT_EQ(queuedFiles(), 0u);
    std::string expected;
    for (const char* name : {"bon-1.jpg", "bon-10.jpg", "bon-2.jpg", "bon-3.jpg", "bon-4.jpg", "bon-5.jpg",
                             "bon-6.jpg", "bon-7.jpg", "bon-8.jpg", "bon-9.jpg"})
        expected += std::string(name) + "=1\n";
    EXPECT_EQ(inboxSubjects(), expected);
}

}  // namespace
}  // namespace zelvorin::testing
