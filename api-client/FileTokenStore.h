#pragma once

#include <filesystem>
#include <mutex>

#include "api-client/TokenStore.h"

namespace zelvorin {

// The pair as a JSON file readable by its owner only (0600), written atomically. For devices
// kept in their own data directory (ZELVORIN_DATA_DIR): the Secret Service holds one item per
// service name, so several devices on one machine would share it; a file per directory does not.
class FileTokenStore final : public TokenStore {
public:
    explicit FileTokenStore(std::filesystem::path file) : file_(std::move(file)) {}

    // Nothing when the file is missing or does not hold a pair.
    std::optional<TokenPair> load() override;
    void save(const TokenPair& pair) override;
    bool clear() override;
    // An exclusive lock (flock) on "<file>.lock", held by every process of the device in turn.
    std::shared_ptr<void> holdForRefresh() override;

private:
    std::mutex mutex_;
    std::filesystem::path file_;
};

}  // namespace zelvorin
