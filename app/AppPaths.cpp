#include "app/AppPaths.h"

#include <cstdlib>

#include "persistence/DatabaseLocation.h"

namespace zelvorin {

namespace {

std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return {};
    std::filesystem::path path(value);
    return path.is_absolute() ? path : std::filesystem::path{};
}

std::filesystem::path homeDirectory() {
    auto home = environmentPath("HOME");
    return home.empty() ? std::filesystem::temp_directory_path() : home;
}

}  // namespace

AppPaths AppPaths::fromEnvironment() {
    if (auto dataDir = environmentPath("ZELVORIN_DATA_DIR"); !dataDir.empty()) return under(dataDir);
    AppPaths paths;
    paths.applicationSupport = applicationSupportDirectory();
    auto config = environmentPath("XDG_CONFIG_HOME");
    if (config.empty()) config = homeDirectory() / ".config";
    paths.defaultsFile = config / "Zelvorin" / "defaults.json";
    paths.groupContainer = paths.applicationSupport / "group.nl.zelvorin.app";
    return paths;
}

AppPaths AppPaths::under(const std::filesystem::path& root) {
    AppPaths paths;
    paths.applicationSupport = root;
    paths.defaultsFile = root / "Zelvorin" / "defaults.json";
    paths.groupContainer = root / "group.nl.zelvorin.app";
    paths.tokenFile = root / "tokens.json";
    return paths;
}

}  // namespace zelvorin
