#include "app/cli/AttachmentFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/cli/CliError.h"
#include "screens/InvoiceActionRules.h"

namespace zelvorin::cli {

namespace rules = InvoiceActionRules;

std::vector<AttachmentFile> readAttachmentFiles(const std::vector<std::string>& paths) {
    std::vector<rules::Attachment> chosen;
    for (const std::string& path : paths) {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (error) throw CliError(CliError::Kind::fileNotFound, path);
        chosen.push_back({std::filesystem::path(path).filename().string(), static_cast<std::int64_t>(size)});
    }
    rules::checkAttachments({}, chosen);
    std::vector<AttachmentFile> files;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::ifstream in(paths[i], std::ios::binary);
        if (!in) throw CliError(CliError::Kind::fileNotFound, paths[i]);
        files.push_back({chosen[i].fileName, rules::attachmentContentType(chosen[i].fileName),
                         std::string(std::istreambuf_iterator<char>(in), {})});
    }
    return files;
}

std::vector<std::string> uploadAttachmentFiles(SyncAPIClient& client,
                                               const std::vector<AttachmentFile>& files) {
    std::vector<std::string> keys;
    for (const UploadedAttachment& uploaded : uploadInvoiceAttachments(client, files))
        keys.push_back(uploaded.key);
    return keys;
}

}  // namespace zelvorin::cli
