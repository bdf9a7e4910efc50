#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelvorin {

class SyncAPIClient;

// The organisation's logo, and the uploads its templates draw, on this device, for the invoices it
// renders itself. An upload is stored on the service under a key of its own ("logos/<uuid>/logo.png"),
// so a file cached under its key never goes stale: it is fetched once (with the session's token,
// so only the organisation's own) and then read from the Logo folder, offline too.
class OrgLogoCache {
public:
    explicit OrgLogoCache(std::filesystem::path folder);
    // The Logo folder of a device: beside its database, so it goes with the session's data.
    static std::filesystem::path folderBeside(const std::filesystem::path& databasePath) {
        return databasePath.parent_path() / "Logo";
    }

    // The upload under `key` as a "data:" URL the layout draws: from the cache, else downloaded with
    // `client` (when given) and cached. Nothing for a logo the layout cannot draw (a WebP), one
    // that cannot be fetched, or a key that is no plain path.
    std::optional<std::string> dataUrl(const std::string& key, SyncAPIClient* client) const;

private:
    std::filesystem::path folder_;
};

}  // namespace zelvorin
