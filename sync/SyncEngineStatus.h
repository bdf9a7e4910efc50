#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "domain/TimePoint.h"

namespace zelvorin {

// What the engine is doing, published to the application environment after every change:
// idle at creation, syncing at the start of a cycle and again after each pulled page with the
// pull's progress, waitingForServer during a rate-limit wait,
// and exactly one of idle, conflictsNeedAttention, offline or failed at the end of a cycle.
class SyncEngineStatus {
public:
    struct Idle {
        std::optional<TimePoint> lastSyncedAt;
        std::int64_t setAside = 0;  // pulled records that did not fit this device, kept apart
        bool operator==(const Idle&) const = default;
    };
    struct WaitingForServer {
        TimePoint retryAt;
        bool operator==(const WaitingForServer&) const = default;
    };
    struct Offline {
        std::int64_t pendingChanges = 0;
        bool operator==(const Offline&) const = default;
    };
    struct Failed {
        std::string message;
        TimePoint at;
        bool operator==(const Failed&) const = default;
    };
    struct ConflictsNeedAttention {
        std::int64_t count = 0;
        bool operator==(const ConflictsNeedAttention&) const = default;
    };
    // How far the pull of this cycle got: both counts grow with every page applied, so a first
    // sync of a large book can show them.
    struct Syncing {
        std::int64_t pagesPulled = 0;
        std::int64_t recordsApplied = 0;
        bool operator==(const Syncing&) const = default;
    };

    // The cases in declared order; the index of each in Value.
    enum class Case { idle, waitingForServer, offline, failed, conflictsNeedAttention, syncing };
    using Value = std::variant<Idle, WaitingForServer, Offline, Failed, ConflictsNeedAttention, Syncing>;

    // Idle without a date. Not defaulted: a nested case with member initialisers is not yet known to be
    // default-constructible where the defaulted constructor would be checked.
    SyncEngineStatus() : value_(Idle{}) {}
    explicit SyncEngineStatus(Value value) : value_(std::move(value)) {}

    static SyncEngineStatus idle(std::optional<TimePoint> lastSyncedAt = std::nullopt,
                                 std::int64_t setAside = 0) {
        return SyncEngineStatus(Idle{lastSyncedAt, setAside});
    }
    static SyncEngineStatus waitingForServer(TimePoint retryAt) {
        return SyncEngineStatus(WaitingForServer{retryAt});
    }
    static SyncEngineStatus offline(std::int64_t pendingChanges) {
        return SyncEngineStatus(Offline{pendingChanges});
    }
    static SyncEngineStatus failed(std::string message, TimePoint at) {
        return SyncEngineStatus(Failed{std::move(message), at});
    }
    static SyncEngineStatus conflictsNeedAttention(std::int64_t count) {
        return SyncEngineStatus(ConflictsNeedAttention{count});
    }
    static SyncEngineStatus syncing(std::int64_t pagesPulled = 0, std::int64_t recordsApplied = 0) {
        return SyncEngineStatus(Syncing{pagesPulled, recordsApplied});
    }

    Case statusCase() const { return static_cast<Case>(value_.index()); }
    const Value& value() const { return value_; }

    // The payload of one case, or null when the status is another case.
    template <class Payload>
    const Payload* get() const {
        return std::get_if<Payload>(&value_);
    }

    // Equal when case and payloads are equal.
    bool operator==(const SyncEngineStatus&) const = default;

private:
    Value value_;
};

std::string_view caseName(SyncEngineStatus::Case statusCase);

}  // namespace zelvorin
