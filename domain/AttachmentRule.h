#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvorin {

// What may go with an invoice's message: at most three files of 10 MB together, each of a content
// type that follows its extension. The send sheet checks it before uploading; the service checks
// it again, since it must not trust any client.
inline constexpr std::size_t kMaxAttachments = 3;
inline constexpr std::int64_t kMaxAttachmentBytes = 10 * 1024 * 1024;

// The content type of a file by its lower-cased extension: "pdf" application/pdf, "jpg" and "jpeg"
// image/jpeg, "png" image/png, "gif" image/gif, any other application/octet-stream.
std::string attachmentContentType(std::string_view fileName);

// Whether a file declared as `contentType` may be attached: one of the types above, and for the
// document and image types bytes that begin as such a file does.
bool isAcceptableAttachment(std::string_view contentType, std::string_view bytes);

}  // namespace zelvorin
