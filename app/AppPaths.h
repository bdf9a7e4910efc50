#pragma once

#include <filesystem>
#include <optional>

namespace zelvorin {

// Where this installation keeps its files on Linux.
//   applicationSupport  $ZELVORIN_DATA_DIR, else $XDG_DATA_HOME, else ~/.local/share
//   defaultsFile        <config>/Zelvorin/defaults.json, where <config> is $XDG_CONFIG_HOME
//                       (default ~/.config) — or the data directory when ZELVORIN_DATA_DIR is set,
//                       so that several devices on one machine each keep their own device id
//   groupContainer      <applicationSupport>/group.nl.zelvorin.app (pending uploads, widget snapshot)
//   tokenFile           <applicationSupport>/tokens.json under ZELVORIN_DATA_DIR (one device per
//                       folder: the Secret Service keeps one item per service name); else none and
//                       the pair lives in the Secret Service
struct AppPaths {
    std::filesystem::path applicationSupport;
    std::filesystem::path defaultsFile;
    std::filesystem::path groupContainer;
    std::optional<std::filesystem::path> tokenFile;

    static AppPaths fromEnvironment();
    // Everything under one root: for tests and for tools that run several devices side by side.
    static AppPaths under(const std::filesystem::path& root);
};

}  // namespace zelvorin
