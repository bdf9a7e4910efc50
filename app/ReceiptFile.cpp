#include "app/ReceiptFile.h"

#include "intelligence/DocumentFormat.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/PageImage.h"

namespace zelvorin {

std::string receiptMimeType(const std::string& fileName, const std::string& bytes) {
    if (bytes.empty()) throw ReceiptFileError("Het bestand " + fileName + " is leeg.");
    if (bytes.size() > kMaxReceiptBytes)
        throw ReceiptFileError("Het bestand " + fileName + " is groter dan 25 MB.");
    switch (detectDocumentFormat(bytes)) {
        case DocumentFormat::pdf:
            return "application/pdf";
        case DocumentFormat::jpeg:
            return "image/jpeg";
        case DocumentFormat::png:
            return "image/png";
        case DocumentFormat::unknown:
            break;
    }
    throw ReceiptFileError("Het bestand " + fileName + " is geen PDF, JPEG of PNG.");
}

void requireDrawableFirstPage(const std::string& fileName, const std::string& bytes) {
    try {
        loadFirstPage(bytes);
    } catch (const ExtractionError&) {
        throw ReceiptFileError("De eerste pagina van " + fileName + " kan niet worden gelezen.");
    }
}

}  // namespace zelvorin
