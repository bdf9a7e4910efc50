#include "app/PendingUploadStore.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/PrivateFiles.h"

namespace zelvorin {

namespace {

std::string prefix(PendingUploadStoreError::Kind kind) {
    return kind == PendingUploadStoreError::Kind::cannotCreateDirectory
               ? "Kan de uploadmap niet aanmaken: "
               : "Kon het bon-bestand niet opslaan: ";
}

}  // namespace

PendingUploadStoreError::PendingUploadStoreError(Kind kind, const std::string& underlying)
    : std::runtime_error(prefix(kind) + underlying), kind_(kind) {}

PendingUploadStore::PendingUploadStore(std::filesystem::path groupContainer, FileWriter writer)
    : container_(std::move(groupContainer)),
      folder_(container_ / kFolderName),
      writer_(writer ? std::move(writer) : FileWriter(&writePrivateFileAtomically)) {}

std::filesystem::path PendingUploadStore::absolutePath(const std::string& relativePath) const {
    return container_ / relativePath;
}

std::string PendingUploadStore::relativePath(const std::string& fileName) {
    return std::string(kFolderName) + "/" + fileName;
}

std::string PendingUploadStore::store(const std::string& fileName, const std::string& bytes) const {
    try {
        makePrivateFolder(folder_);
    } catch (const std::exception& error) {
        throw PendingUploadStoreError(PendingUploadStoreError::Kind::cannotCreateDirectory, error.what());
    }
    try {
        writer_(folder_ / fileName, bytes);
    } catch (const std::exception& error) {
        throw PendingUploadStoreError(PendingUploadStoreError::Kind::writeFailed, error.what());
    }
    return relativePath(fileName);
}

std::optional<std::string> PendingUploadStore::read(const std::string& relativePath) const {
    std::ifstream file(absolutePath(relativePath), std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void PendingUploadStore::remove(const std::string& relativePath) const {
    std::error_code ignored;
    std::filesystem::remove(absolutePath(relativePath), ignored);
    syncFolder(folder_);
}

std::vector<std::string> PendingUploadStore::entries() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zelvorin
