#pragma once

#include <string>

namespace zelvorin {

// A file a person dropped onto the window for the Kvitra inbox: only PDFs and JPEG or PNG photos
// are documents, judged by their first bytes (a renamed text file is no PDF).
struct DroppedDocument {
    std::string fileName;
    std::string contentType;  // "application/pdf", "image/jpeg" or "image/png"
    std::string bytes;
};

// Throws InputError invalidValue, naming the file, for an empty file or one that is no document.
DroppedDocument droppedDocument(const std::string& fileName, std::string bytes);

}  // namespace zelvorin
