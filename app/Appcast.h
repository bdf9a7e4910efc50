#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelvorin {

// One release offered by an update feed (an RSS "appcast": one <item> per release, its version in
// a <…:version> element or an enclosure's …:version attribute).
struct AppcastRelease {
    std::string version;         // the build version compared with ours
    std::string displayVersion;  // shortVersionString when given, else `version`
    std::string title;
    std::string downloadURL;  // the enclosure's url, may be empty

    bool operator==(const AppcastRelease&) const = default;
};

// A feed that is not XML, is too large, or tries entity expansion. what() is Dutch.
class AppcastError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads every release of a feed. Entities are never expanded and nothing is fetched from the
// network while parsing, so a hostile feed cannot blow up memory or reach elsewhere.
std::vector<AppcastRelease> parseAppcast(std::string_view xml);

// Compares dotted versions number by number ("1.10" > "1.9"; a missing part counts as 0); parts
// that are not numbers compare as text.
int compareVersions(std::string_view a, std::string_view b);

// The newest release that is newer than `currentVersion`, if any.
std::optional<AppcastRelease> newestReleaseAfter(const std::vector<AppcastRelease>& releases,
                                                 std::string_view currentVersion);

}  // namespace zelvorin
