#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "app/PrivateFiles.h"

namespace zelvorin {

// The user defaults: a small JSON object in `defaults.json` (0600 in a 0700 folder), read once and
// written back atomically (mkstemp, fsync, rename, folder fsync) on every change, so a crash never leaves
// half a file behind. A file that is not a JSON object is set aside and replaced by an empty object; the
// caller hears about it through the diagnostic callback.
class UserDefaults {
public:
    using Diagnostic = std::function<void(const std::string&)>;

    UserDefaults(std::filesystem::path file, Diagnostic diagnostic);

    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, bool value);

    // A change already on disk beside the file but not yet in force: whatever needs space has
    // been done, commit() only renames. Dropping it uncommitted leaves the defaults as they were.
    class PendingChange {
    public:
        void commit();

    private:
        friend class UserDefaults;
        PendingChange(UserDefaults& owner, std::string key, std::string value, StagedFile file)
            : owner_(owner), key_(std::move(key)), value_(std::move(value)), file_(std::move(file)) {}
        UserDefaults& owner_;
        std::string key_;
        std::string value_;
        StagedFile file_;
    };
    PendingChange stage(const std::string& key, const std::string& value);

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
