#include "sync/SyncState.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace zelvorin {
namespace {

using S = SyncState;
using E = SyncEvent;

// Every arrow of the drawing in SyncState.h, written out as (from, event) -> to; "" is no row.
const std::map<std::pair<std::string, E>, S>& arrows() {
    static const std::map<std::pair<std::string, E>, S> all = [] {
        std::map<std::pair<std::string, E>, S> a;
        a[{"", E::localCreate}] = S::localOnly;
        a[{"", E::pulledChange}] = S::synced;
        a[{"localOnly", E::localUpdate}] = S::localOnly;
        for (const char* from : {"pendingUpload", "synced", "conflict", "failed"}) {
            a[{from, E::localUpdate}] = S::pendingUpload;
            a[{from, E::keepLocalVersion}] = S::pendingUpload;
            a[{from, E::discardLocalChanges}] = S::synced;
        }
        for (const char* from : {"localOnly", "pendingUpload", "tombstoned"})
            a[{from, E::pulledChange}] = S::conflict;
        for (const char* from : {"synced", "conflict", "failed"})
            a[{from, E::pulledChange}] = S::synced;
        for (S from : kAllSyncStates) {
            const std::string raw(rawValue(from));
            a[{raw, E::localDelete}] = S::tombstoned;
            a[{raw, E::pushAccepted}] = S::synced;
            a[{raw, E::pushConflict}] = S::conflict;
        }
        return a;
    }();
    return all;
}

TEST(SyncStateTest, TheTableHoldsExactlyTheDrawnTransitions) {
    std::vector<std::optional<S>> froms{std::nullopt};
    froms.insert(froms.end(), kAllSyncStates.begin(), kAllSyncStates.end());
    int allowed = 0;
    for (const std::optional<S> from : froms) {
        for (const E event : kAllSyncEvents) {
            const std::string raw = from ? std::string(rawValue(*from)) : "";
            const auto drawn = arrows().find({raw, event});
            const std::optional<S> expected =
                drawn == arrows().end() ? std::nullopt : std::optional<S>(drawn->second);
            EXPECT_EQ(syncTransition(from, event), expected) << "'" << raw << "' " << rawValue(event);
            allowed += expected.has_value();
        }
    }
    EXPECT_EQ(allowed, static_cast<int>(arrows().size()));
    for (const E event : kAllSyncEvents)
        EXPECT_EQ(parseSyncEvent(rawValue(event)), event);
}

TEST(SyncStateTest, ARefusedTransitionNamesStateAndEvent) {
    // A deleted row takes no edit, a row that never reached the service has nothing to discard,
    // and a row cannot be created twice.
    try {
        requireSyncTransition(S::tombstoned, E::localUpdate);
        FAIL() << "an edit of a tombstoned row was allowed";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Synchronisatiestatus tombstoned kent geen overgang bij localUpdate.");
    }
    EXPECT_THROW(requireSyncTransition(S::localOnly, E::discardLocalChanges), std::logic_error);
    EXPECT_THROW(requireSyncTransition(S::synced, E::localCreate), std::logic_error);
    EXPECT_THROW(requireSyncTransition(std::nullopt, E::localUpdate), std::logic_error);
    EXPECT_EQ(requireSyncTransition(S::localOnly, E::localUpdate), S::localOnly);
}

}  // namespace
}  // namespace zelvorin
