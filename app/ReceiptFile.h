#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zelvorin {

// A file offered to the inbox that cannot go there; the message is Dutch and names the file.
class ReceiptFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest document the service takes in; a larger one is refused here, before it is queued
// to be refused later.
inline constexpr std::size_t kMaxReceiptBytes = 25 * 1024 * 1024;

// The MIME type of a receipt by its content ("application/pdf", "image/jpeg", "image/png"); the
// name is never trusted. Throws ReceiptFileError for an empty file, one over kMaxReceiptBytes, or
// anything else.
std::string receiptMimeType(const std::string& fileName, const std::string& bytes);

// Whether page one of a PDF (or the image) can be drawn at all; a document nobody can read is not
// sent. Throws ReceiptFileError when it cannot.
void requireDrawableFirstPage(const std::string& fileName, const std::string& bytes);

}  // namespace zelvorin
