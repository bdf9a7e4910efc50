#include "domain/AttachmentRule.h"

namespace zelvorin {

std::string attachmentContentType(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view() : fileName.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (extension == "pdf") return "application/pdf";
    if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
    if (extension == "png") return "image/png";
    if (extension == "gif") return "image/gif";
    return "application/octet-stream";
}

bool isAcceptableAttachment(std::string_view contentType, std::string_view bytes) {
    if (contentType == "application/pdf") return bytes.starts_with("%PDF-");
    if (contentType == "image/jpeg") return bytes.starts_with("\xFF\xD8\xFF");
    if (contentType == "image/png") return bytes.starts_with("\x89PNG\r\n\x1A\n");
    if (contentType == "image/gif") return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
    return contentType == "application/octet-stream";
}

}  // namespace zelvorin
