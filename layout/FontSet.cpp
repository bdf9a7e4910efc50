#include "layout/FontSet.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "layout/LayoutError.h"

#ifndef ZELVORIN_LAYOUT_RESOURCE_DIR
#define ZELVORIN_LAYOUT_RESOURCE_DIR ""
#endif

namespace zelvorin {

namespace {
constexpr const char* kFaceFile = "Roboto-Regular.ttf";
constexpr const char* kOwnFaceKey = "~roboto~";

std::filesystem::path executableDir() {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : exe.parent_path();
}

std::string findLayoutFace() {
    if (const char* overridden = std::getenv("ZELVORIN_LAYOUT_FONT"); overridden && *overridden) {
        return overridden;
    }
    std::vector<std::filesystem::path> candidates;
    auto exeDir = executableDir();
    if (!exeDir.empty()) {
        candidates.push_back(exeDir / "resources" / kFaceFile);
        candidates.push_back(exeDir / ".." / "share" / "zelvorin" / kFaceFile);
        candidates.push_back(exeDir / ".." / "layout" / "resources" / kFaceFile);
    }
    candidates.push_back(std::filesystem::path(ZELVORIN_LAYOUT_RESOURCE_DIR) / kFaceFile);
    candidates.push_back(std::filesystem::path("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF") /
                         kFaceFile);
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    throw LayoutError(LayoutError::Kind::fontUnavailable,
                      "Het lettertype van de opmaak (Roboto-Regular.ttf) is niet gevonden");
}

std::string requestKey(const FontRequest& r) {
    std::ostringstream key;
    key << r.family << '\x01' << r.weight << '\x01' << r.style;
    return key.str();
}
}  // namespace

const std::string& layoutFacePath() {
    static const std::string path = [] {
        std::string found = findLayoutFace();
        registerLayoutFace(found);
        return found;
    }();
    return path;
}

FontSet::FontSet(std::vector<OrgFontVariant> orgVariants) : orgVariants_(std::move(orgVariants)) {}

FontResolution FontSet::resolve(const FontRequest& request) const {
    layoutFacePath();  // the own face is registered before anything is looked up
    return resolveFont(request.family, request.weight, request.style, orgVariants_);
}

const FontFace& FontSet::defaultFace() const {
    FontRequest none;
    return *entry(none).face;
}

const FontFace& FontSet::face(const FontRequest& request) const {
    return *entry(request).face;
}

std::string FontSet::cacheFamily(const FontRequest& request) const {
    return entry(request).cacheFamily;
}

const FontSet::Entry& FontSet::entry(const FontRequest& request) const {
    std::string key = requestKey(request);
    {
        std::lock_guard lock(mutex_);
        if (auto it = entries_.find(key); it != entries_.end()) return it->second;
    }
    // Resolve outside our lock: the installed-font lookup takes the module's shared lock.
    FontResolution resolution = request.family.empty() ? FontResolution{} : resolve(request);
    const std::string& ownPath = layoutFacePath();
    std::lock_guard lock(mutex_);
    if (auto it = entries_.find(key); it != entries_.end()) return it->second;
    auto load = [&](const std::string& path, int index) -> const FontFace* {
        std::string fileKey = path + "#" + std::to_string(index);
        auto& slot = facesByFile_[fileKey];
        if (!slot) slot = std::make_unique<FontFace>(path, index);
        return slot.get();
    };
    Entry result;
    if (resolution.kind != FontResolution::Kind::missing) {
        try {
            result.face = load(resolution.filePath, resolution.faceIndex);
            // An uploaded face is cached under its file: two organisations may upload different
            // files that carry the same PostScript name, and the width cache is the process's.
            if (resolution.kind == FontResolution::Kind::orgVariant)
                result.cacheFamily =
                    "~org~" + resolution.filePath + "#" + std::to_string(resolution.faceIndex);
            else
                result.cacheFamily =
                    result.face->postscriptName().empty() ? resolution.name : result.face->postscriptName();
        } catch (const LayoutError&) {
            facesByFile_.erase(resolution.filePath + "#" + std::to_string(resolution.faceIndex));
            result.face = nullptr;  // an unreadable upload prints in the own face
        }
    }
    if (result.face == nullptr) {
        result.face = load(ownPath, 0);
        result.cacheFamily = kOwnFaceKey;
    }
    return entries_.emplace(key, result).first->second;
}

}  // namespace zelvorin
