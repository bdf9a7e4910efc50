#include "app/NetlinkPathMonitor.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace zelvorin {
namespace {

// The first report tells the kernel's own view, and cancel ends the watcher promptly (it blocks in
// poll until woken). Route changes cannot be made from a test without privileges.
TEST(NetlinkPathMonitorIntegrationTest, ReportsTheCurrentPathOnceAndStopsWhenCancelled) {
    const bool expected = NetlinkPathMonitor::hasDefaultRoute();
    NetlinkPathMonitor monitor;
    std::mutex mutex;
    std::condition_variable reported;
    std::vector<bool> reports;
    monitor.start([&](bool satisfied) {
        std::lock_guard lock(mutex);
        reports.push_back(satisfied);
        reported.notify_all();
    });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(reported.wait_for(lock, std::chrono::seconds(10), [&] { return !reports.empty(); }));
    }
    monitor.cancel();
    monitor.cancel();  // a second cancel is harmless
    EXPECT_EQ(reports, std::vector<bool>{expected});
}

}  // namespace
}  // namespace zelvorin
