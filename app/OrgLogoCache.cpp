#include "app/OrgLogoCache.h"

#include <fstream>
#include <sstream>

#include "api-client/FileTransfers.h"
#include "app/PrivateFiles.h"
#include "layout/ImageSource.h"
#include "layout/TemplateUploads.h"

namespace zelvorin {
namespace {

// "logos/<uuid>/logo.png" as one file name; nothing for a key that could leave the folder.
std::optional<std::string> cacheName(const std::string& key) {
    if (key.empty() || key.size() > 200 || key.find("..") != std::string::npos) return std::nullopt;
    std::string name;
    for (const char c : key) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_';
        if (c == '/')
            name += '_';
        else if (plain)
            name += c;
        else
            return std::nullopt;
    }
    return name;
}

}  // namespace

OrgLogoCache::OrgLogoCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::optional<std::string> OrgLogoCache::dataUrl(const std::string& key, SyncAPIClient* client) const {
    const std::optional<std::string> name = cacheName(key);
    if (!name) return std::nullopt;
    const std::filesystem::path file = folder_ / *name;
    if (std::ifstream in{file, std::ios::binary}) {
        std::stringstream bytes;
        bytes << in.rdbuf();
        return drawableDataUrl(bytes.str());
    }
    if (client == nullptr) return std::nullopt;
    try {
        const ConditionalDownload downloaded = downloadUpload(*client, key);
        std::filesystem::create_directories(folder_);
        writePrivateFileAtomically(file, downloaded.data);
        return drawableDataUrl(downloaded.data);
    } catch (const std::exception&) {
        return std::nullopt;  // the invoice is printed without it; the next render tries again
    }
}

}  // namespace zelvorin
