#pragma once

#include <string>
#include <vector>

#include "api-client/FileTransfers.h"

namespace zelvorin::cli {

// The files of --attach, read and checked by the send sheet's rule (at most three, 10 MB together,
// content type by extension) before anything is sent; a file that cannot be read is fileNotFound.
std::vector<AttachmentFile> readAttachmentFiles(const std::vector<std::string>& paths);
// Uploads them; the keys a send names in its attachmentKeys.
std::vector<std::string> uploadAttachmentFiles(SyncAPIClient& client,
                                               const std::vector<AttachmentFile>& files);

}  // namespace zelvorin::cli
