#include "app/WidgetSnapshot.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/PrivateFiles.h"

namespace zelvorin {

WidgetSnapshot WidgetSnapshot::from(const DashboardSummary& summary, std::string generatedAt) {
    return {summary.outstandingCents, summary.outstandingCount, summary.overdueCents, summary.overdueCount,
            std::move(generatedAt)};
}

std::optional<std::filesystem::path> WidgetSnapshotWriter::location() const {
    if (container_.empty()) return std::nullopt;
    return container_ / "snapshot.json";
}

void WidgetSnapshotWriter::write(const WidgetSnapshot& snapshot) const {
    const auto file = location();
    if (!file) return;
    makePrivateFolder(container_);
    const nlohmann::ordered_json body{{"outstandingCents", snapshot.outstandingCents},
                                      {"outstandingCount", snapshot.outstandingCount},
                                      {"overdueCents", snapshot.overdueCents},
                                      {"overdueCount", snapshot.overdueCount},
                                      {"generatedAt", snapshot.generatedAt}};
    writePrivateFileAtomically(*file, body.dump(2) + "\n");
}

std::optional<WidgetSnapshot> WidgetSnapshotWriter::read() const {
    const auto file = location();
    if (!file) return std::nullopt;
    std::ifstream in(*file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    const nlohmann::json json = nlohmann::json::parse(text.str(), nullptr, false);
    if (!json.is_object()) return std::nullopt;
    WidgetSnapshot snapshot;
    auto integer = [&](const char* key, std::int64_t& into) {
        const auto it = json.find(key);
        if (it == json.end() || !it->is_number_integer()) return false;
        into = it->get<std::int64_t>();
        return true;
    };
    const auto generated = json.find("generatedAt");
    if (!integer("outstandingCents", snapshot.outstandingCents) ||
        !integer("outstandingCount", snapshot.outstandingCount) ||
        !integer("overdueCents", snapshot.overdueCents) || !integer("overdueCount", snapshot.overdueCount) ||
        generated == json.end() || !generated->is_string())
        return std::nullopt;
    snapshot.generatedAt = generated->get<std::string>();
    return snapshot;
}

}  // namespace zelvorin
