#pragma once

#include <string>

#include "app/SyncDisplayStatus.h"

namespace zelvorin {

// What the sync chip in the window's top bar says for each state of the session's sync. A click
// on the chip always syncs now, so the detail (its tooltip) ends by saying so.
struct SyncChip {
    enum class Tone { calm, busy, attention, problem };
    std::string text;
    std::string detail;
    Tone tone = Tone::calm;
    bool operator==(const SyncChip&) const = default;
};

// Times are shown in the device's local time zone ("HH:mm").
SyncChip syncChip(const SyncDisplayStatus& status);

}  // namespace zelvorin
