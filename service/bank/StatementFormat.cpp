#include "service/bank/StatementFormat.h"

#include <string>

#include "service/ServiceTunables.h"
#include "service/bank/CamtStatement.h"
#include "service/bank/CsvStatement.h"
#include "service/bank/Mt940Statement.h"
#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80           ? 1
                                   : (c >> 5) == 0x6  ? 2
                                   : (c >> 4) == 0xE  ? 3
                                   : (c >> 3) == 0x1E ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += length;
    }
    return true;
}

// Some banks still export in ISO-8859-1; their names with accents must reach the records intact.
std::string asUtf8(std::string_view text) {
    if (isUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

}  // namespace

ParsedStatement readStatement(std::string_view bytes) {
    if (bytes.size() > tunables::kMaxStatementBytes)
        throw ServiceError(ErrorKind::badRequest,
                           "Het bankafschrift is groter dan " +
                               std::to_string(tunables::kMaxStatementBytes / (1024 * 1024)) +
                               " MB en wordt niet ingelezen.");
    if (statementtext::trimmed(bytes).empty())
        throw ServiceError(ErrorKind::badRequest, "Het bankafschrift is leeg.");
    if (looksLikeXml(bytes)) return parseCamtStatement(bytes);
    const std::string text = asUtf8(bytes);
    if (looksLikeMt940(text)) return parseMt940Statement(text);
    if (looksLikeBankCsv(text)) return parseBankCsv(text);
    throw ServiceError(
        ErrorKind::unsupportedMediaType,
        "Dit bestand is geen bankafschrift dat Zelvorin kent: alleen CAMT.053 (XML), MT940 en de "
        "CSV-export van de bank worden ingelezen.");
}

}  // namespace zelvorin::service
