#pragma once

#include <filesystem>
#include <string>

namespace zelvorin::testing {

// A fresh directory under the system temporary directory, removed with everything in it when
// the owner goes away. Move-only.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "zelvorin-test");
    ~TempDir();
    TempDir(TempDir&& other) noexcept;
    TempDir& operator=(TempDir&& other) noexcept;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Writes `contents` to `path`, creating parent folders.
void writeFile(const std::filesystem::path& path, const std::string& contents);
std::string readFile(const std::filesystem::path& path);

}  // namespace zelvorin::testing
