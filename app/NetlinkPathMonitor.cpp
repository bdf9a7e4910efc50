#include "app/NetlinkPathMonitor.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <optional>

namespace zelvorin {
namespace {

bool dumpHasDefaultRoute(int family) {
    const FileDescriptor socket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!socket) return false;
    struct {
        nlmsghdr header;
        rtmsg route;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.route.rtm_family = static_cast<unsigned char>(family);
    if (::send(socket.get(), &request, request.header.nlmsg_len, 0) < 0) return false;

    std::array<char, 16384> buffer{};
    bool found = false;
    for (;;) {
        const ssize_t length = ::recv(socket.get(), buffer.data(), buffer.size(), 0);
        if (length <= 0) return found;
        auto remaining = static_cast<unsigned int>(length);
        for (auto* message = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(message, remaining);
             message = NLMSG_NEXT(message, remaining)) {
            if (message->nlmsg_type == NLMSG_DONE || message->nlmsg_type == NLMSG_ERROR) return found;
            if (message->nlmsg_type != RTM_NEWROUTE) continue;
            const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(message));
            // A route to everything (prefix length 0) in the main table, other than "unreachable".
            if (route->rtm_dst_len == 0 && route->rtm_table == RT_TABLE_MAIN &&
                route->rtm_type == RTN_UNICAST) {
                found = true;
            }
        }
    }
}

}  // namespace

bool NetlinkPathMonitor::hasDefaultRoute() {
    return dumpHasDefaultRoute(AF_INET) || dumpHasDefaultRoute(AF_INET6);
}

NetlinkPathMonitor::~NetlinkPathMonitor() {
    cancel();
}

void NetlinkPathMonitor::start(std::function<void(bool)> onReport) {
    cancel();
    std::lock_guard lock(mutex_);
    wakeFd_.reset(::eventfd(0, EFD_CLOEXEC));
    const int wake = wakeFd_.get();
    watcher_ = std::jthread([onReport = std::move(onReport), wake](std::stop_token stop) {
        const FileDescriptor events(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
        const bool subscribed =
            events && ::bind(events.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        bool last = hasDefaultRoute();
        onReport(last);
        if (!subscribed) return;  // without the event socket the first report is all there is
        std::array<char, 8192> buffer{};
        while (!stop.stop_requested()) {
            std::array<pollfd, 2> fds{{{events.get(), POLLIN, 0}, {wake, POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[1].revents != 0) return;
            if (::recv(events.get(), buffer.data(), buffer.size(), MSG_DONTWAIT) <= 0) continue;
            const bool now = hasDefaultRoute();
            if (now != last) onReport(now);
            last = now;
        }
    });
}

void NetlinkPathMonitor::cancel() {
    std::lock_guard lock(mutex_);
    if (watcher_.joinable()) {
        watcher_.request_stop();
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_.get(), &one, sizeof(one));
        watcher_.join();
    }
    wakeFd_.reset();
}

}  // namespace zelvorin
