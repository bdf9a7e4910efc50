#include "sync/SyncState.h"

#include <iterator>
#include <stdexcept>
#include <string>

namespace zelvorin {

namespace {

using S = SyncState;

// The rows in the declared order of SyncState, then "no row"; the columns in the declared order
// of SyncEvent. Nothing where the drawing in SyncState.h has no arrow.
// clang-format off
constexpr std::optional<S> n = std::nullopt, L = S::localOnly, P = S::pendingUpload, Y = S::synced,
                           C = S::conflict, T = S::tombstoned;
constexpr std::optional<S> kTransitions[7][8] = {
    //                   create update delete accepted conflict pulled keepLocal discard
    /* localOnly     */ {n,     L,     T,     Y,       C,       C,     n,        n},
    /* pendingUpload */ {n,     P,     T,     Y,       C,       C,     P,        Y},
    /* synced        */ {n,     P,     T,     Y,       C,       Y,     P,        Y},
    /* conflict      */ {n,     P,     T,     Y,       C,       Y,     P,        Y},
    /* failed        */ {n,     P,     T,     Y,       C,       Y,     P,        Y},
    /* tombstoned    */ {n,     n,     T,     Y,       C,       C,     n,        n},
    /* (no row)      */ {L,     n,     n,     n,       n,       Y,     n,        n},
};
// clang-format on

static_assert(std::size(kTransitions) == kAllSyncStates.size() + 1);
static_assert(std::size(kTransitions[0]) == kAllSyncEvents.size());

constexpr std::string_view kEventNames[] = {"localCreate",      "localUpdate",        "localDelete",
                                            "pushAccepted",     "pushConflict",       "pulledChange",
                                            "keepLocalVersion", "discardLocalChanges"};

}  // namespace

std::string_view rawValue(SyncState state) {
    switch (state) {
        case SyncState::localOnly:
            return "localOnly";
        case SyncState::pendingUpload:
            return "pendingUpload";
        case SyncState::synced:
            return "synced";
        case SyncState::conflict:
            return "conflict";
        case SyncState::failed:
            return "failed";
        case SyncState::tombstoned:
            return "tombstoned";
    }
    return "synced";
}

std::optional<SyncState> parseSyncState(std::string_view raw) {
    for (SyncState state : kAllSyncStates) {
        if (rawValue(state) == raw) return state;
    }
    return std::nullopt;
}

std::string_view rawValue(SyncEvent event) {
    return kEventNames[static_cast<std::size_t>(event)];
}

std::optional<SyncEvent> parseSyncEvent(std::string_view raw) {
    for (SyncEvent event : kAllSyncEvents) {
        if (rawValue(event) == raw) return event;
    }
    return std::nullopt;
}

std::optional<SyncState> syncTransition(std::optional<SyncState> from, SyncEvent event) {
    const std::size_t row = from ? static_cast<std::size_t>(*from) : kAllSyncStates.size();
    return kTransitions[row][static_cast<std::size_t>(event)];
}

SyncState requireSyncTransition(std::optional<SyncState> from, SyncEvent event) {
    if (const auto to = syncTransition(from, event)) return *to;
    throw std::logic_error("Synchronisatiestatus " + std::string(from ? rawValue(*from) : "(geen rij)") +
                           " kent geen overgang bij " + std::string(rawValue(event)) + ".");
}

}  // namespace zelvorin
