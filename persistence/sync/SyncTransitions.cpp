#include "persistence/sync/SyncTransitions.h"

#include <stdexcept>

namespace zelvorin {

namespace {

SyncState parsedState(std::string_view raw) {
    const auto state = parseSyncState(raw);
    if (!state) throw std::logic_error("Onbekende synchronisatiestatus '" + std::string(raw) + "'.");
    return *state;
}

std::string_view transition(std::span<const std::optional<std::string_view>> arguments) {
    const auto event = arguments[1] ? parseSyncEvent(*arguments[1]) : std::nullopt;
    if (!arguments[0] || !event) throw std::logic_error("sync_transition(<status>, <gebeurtenis>)");
    return rawValue(requireSyncTransition(parsedState(*arguments[0]), *event));
}

constexpr SqlFunction kSyncTransition{"sync_transition", 2, transition};

}  // namespace

void defineSyncTransitions(Connection& connection) {
    connection.defineFunction(kSyncTransition);
}

std::string stateAfterSql(SyncEvent event) {
    return "sync_transition(sync_state, '" + std::string(rawValue(event)) + "')";
}

std::string stateAfter(std::string_view current, SyncEvent event) {
    const std::optional<SyncState> from =
        current.empty() ? std::nullopt : std::optional(parsedState(current));
    return std::string(rawValue(requireSyncTransition(from, event)));
}

}  // namespace zelvorin
