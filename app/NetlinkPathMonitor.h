#pragma once

#include <functional>
#include <mutex>
#include <thread>

#include "app/FileDescriptor.h"
#include "sync/SyncScheduler.h"

namespace zelvorin {

// The network path on Linux, from rtnetlink: usable means a default route exists (IPv4 or IPv6).
// Reports the state once at start and again after every link or route change that alters it.
class NetlinkPathMonitor final : public NetworkPathMonitor {
public:
    NetlinkPathMonitor() = default;
    ~NetlinkPathMonitor() override;

    void start(std::function<void(bool satisfied)> onReport) override;
    void cancel() override;

    // Asks the kernel's main routing tables now; false when netlink cannot be used.
    static bool hasDefaultRoute();

private:
    std::mutex mutex_;
    std::jthread watcher_;
    FileDescriptor wakeFd_;  // an eventfd that ends the watcher's poll
};

}  // namespace zelvorin
