#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "persistence/repositories/DashboardRepository.h"

namespace zelvorin {

// What a home-screen widget shows: open and overdue invoices, as "snapshot.json" at the top of the
// group container.
struct WidgetSnapshot {
    std::int64_t outstandingCents = 0;
    std::int64_t outstandingCount = 0;
    std::int64_t overdueCents = 0;
    std::int64_t overdueCount = 0;
    std::string generatedAt;  // ISO-8601 UTC, seconds

    bool operator==(const WidgetSnapshot&) const = default;

    static WidgetSnapshot from(const DashboardSummary& summary, std::string generatedAt);
};

class WidgetSnapshotWriter {
public:
    // `groupContainer` empty: no container, hence no snapshot.
    explicit WidgetSnapshotWriter(std::filesystem::path groupContainer)
        : container_(std::move(groupContainer)) {}

    std::optional<std::filesystem::path> location() const;
    // Atomically replaces the file (0600); throws std::system_error when it cannot be written.
    void write(const WidgetSnapshot& snapshot) const;
    // Nothing when the file is absent, is not JSON, or lacks a member of the right type.
    std::optional<WidgetSnapshot> read() const;

private:
    std::filesystem::path container_;
};

}  // namespace zelvorin
