#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zelvorin {

// The user defaults: a small JSON object in `defaults.json`, read once and written back atomically
// (temporary file, fsync, rename) on every change, so a crash never leaves half a file behind.
// A file that is not a JSON object is set aside and replaced by an empty object; the caller hears
// about it through the diagnostic callback.
class UserDefaults {
public:
    using Diagnostic = std::function<void(const std::string&)>;

    UserDefaults(std::filesystem::path file, Diagnostic diagnostic);

    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, bool value);

    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    void save() const;  // callers hold mutex_

    std::filesystem::path file_;
    Diagnostic diagnostic_;
    mutable std::mutex mutex_;
    nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace zelvorin
