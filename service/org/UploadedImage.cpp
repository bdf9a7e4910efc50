#include "service/org/UploadedImage.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "layout/ImageSource.h"
#include "layout/SvgImage.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {
namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

bool isWebp(std::string_view b) {
    return b.size() >= 30 && b.substr(0, 4) == "RIFF" && b.substr(8, 4) == "WEBP";
}

// The canvas of a WebP file from its first chunk (lossy, lossless or extended).
std::optional<ImageSize> webpSize(std::string_view b) {
    const std::string_view chunk = b.substr(12, 4);
    if (chunk == "VP8X") return ImageSize{littleEndian(b, 24, 3) + 1.0, littleEndian(b, 27, 3) + 1.0};
    if (chunk == "VP8L" && static_cast<unsigned char>(b[20]) == 0x2F) {
        const std::uint32_t bits = littleEndian(b, 21, 4);
        return ImageSize{(bits & 0x3FFF) + 1.0, ((bits >> 14) & 0x3FFF) + 1.0};
    }
    if (chunk == "VP8 " && b.substr(23, 3) == "\x9D\x01\x2A")
        return ImageSize{static_cast<double>(littleEndian(b, 26, 2) & 0x3FFF),
                         static_cast<double>(littleEndian(b, 28, 2) & 0x3FFF)};
    return std::nullopt;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == ':';
}

std::size_t skipSpace(const std::string& text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0)
        ++at;
    return at;
}

// The value of the attribute whose "=" is at `equals` (quoted or bare).
std::string attributeValue(const std::string& text, std::size_t equals) {
    std::size_t at = skipSpace(text, equals + 1);
    if (at >= text.size()) return {};
    const char quote = text[at];
    if (quote == '"' || quote == '\'') {
        const std::size_t end = text.find(quote, at + 1);
        return text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    }
    std::size_t end = at;
    while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end])) == 0 && text[end] != '>')
        ++end;
    return text.substr(at, end - at);
}

// A reference that stays inside the document: a fragment, or an embedded picture.
bool isInternalReference(std::string value) {
    value.erase(0, value.find_first_not_of(" \t\r\n"));
    return value.empty() || value[0] == '#' || value.starts_with("data:image/png") ||
           value.starts_with("data:image/jpeg") || value.starts_with("data:image/gif");
}

// Attributes: an event handler (on...=) or a link (href, xlink:href, src) to the outside.
std::string attributeHazard(const std::string& text) {
    for (std::size_t equals = text.find('='); equals != std::string::npos;
         equals = text.find('=', equals + 1)) {
        std::size_t end = equals;
        while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0)
            --end;
        std::size_t start = end;
        while (start > 0 && isNameChar(text[start - 1]))
            --start;
        if (start == end || start == 0 || std::isspace(static_cast<unsigned char>(text[start - 1])) == 0)
            continue;
        const std::string name = text.substr(start, end - start);
        if (name.size() > 2 && name.starts_with("on")) return "een gebeurtenis-handler (" + name + ")";
        const bool link = name == "href" || name.ends_with(":href") || name == "src";
        if (link && !isInternalReference(attributeValue(text, equals)))
            return "een verwijzing naar buiten het bestand (" + name + ")";
    }
    return {};
}

}  // namespace

std::string svgHazard(std::string_view svg) {
    const std::string text = lowered(svg);
    if (text.find("<script") != std::string::npos) return "een script";
    if (text.find("<!entity") != std::string::npos) return "een entiteitsdeclaratie";
    if (text.find("<foreignobject") != std::string::npos) return "een foreignObject-element";
    if (text.find("javascript:") != std::string::npos) return "een javascript:-adres";
    if (text.find("@import") != std::string::npos) return "een verwijzing naar buiten het bestand (@import)";
    for (std::size_t at = text.find("url("); at != std::string::npos; at = text.find("url(", at + 4)) {
        std::string target = text.substr(at + 4, 256);
        target.erase(0, target.find_first_not_of(" \t\r\n\"'"));
        if (!isInternalReference(target)) return "een verwijzing naar buiten het bestand (url)";
    }
    return attributeHazard(text);
}

namespace {

// A harmless SVG that can be drawn: refused with what it holds, or when it cannot be read.
UploadedImage checkedSvg(std::string_view bytes) {
    if (const std::string hazard = svgHazard(bytes); !hazard.empty())
        throw ServiceError(ErrorKind::badRequest,
                           "Dit SVG-bestand bevat " + hazard + " en wordt daarom niet gebruikt.");
    const std::optional<SvgImage> svg = SvgImage::parse(bytes);
    if (!svg)
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           "Dit SVG-bestand kan niet worden getekend: het is beschadigd, of het geeft geen "
                           "afmetingen en geen viewBox op.");
    return {ImageKind::svg, "svg", "image/svg+xml", 0, 0};
}

}  // namespace

UploadedImage checkUploadedImage(std::string_view bytes, const ImageRules& rules) {
    const std::string what = rules.what;
    if (bytes.empty()) throw ServiceError(ErrorKind::badRequest, what + " is een leeg bestand.");
    if (bytes.size() > rules.maxBytes)
        throw ServiceError(
            ErrorKind::payloadTooLarge,
            what + " is te groot: maximaal " + std::to_string(rules.maxBytes / (1024 * 1024)) + " MB.");
    UploadedImage image;
    std::optional<ImageSize> size;
    if (bytes.starts_with("\x89PNG\r\n\x1a\n")) {
        image = {ImageKind::png, "png", "image/png", 0, 0};
        size = imageSize(bytes);
    } else if (bytes.starts_with("\xFF\xD8\xFF")) {
        image = {ImageKind::jpeg, "jpg", "image/jpeg", 0, 0};
        size = imageSize(bytes);
    } else if (isWebp(bytes) && rules.webpAllowed) {
        image = {ImageKind::webp, "webp", "image/webp", 0, 0};
        size = webpSize(bytes);
    } else if (isWebp(bytes)) {
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           what +
                               " kan geen WebP-afbeelding zijn: een factuur kan die niet afdrukken. "
                               "Sla het op als PNG of JPEG en probeer het opnieuw.");
    } else if (rules.svgAllowed && looksLikeSvg(bytes)) {
        return checkedSvg(bytes);
    } else {
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           what + " moet een PNG-" + (rules.webpAllowed ? ", JPEG- of WebP-" : " of JPEG-") +
                               "afbeelding zijn" +
                               (rules.svgAllowed ? std::string(", of een SVG") : std::string()) +
                               "; de inhoud van dit bestand is dat niet.");
    }
    if (!size || size->width < 1 || size->height < 1)
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           what + " is beschadigd: de afmetingen zijn niet te lezen.");
    if (size->width > rules.maxSide || size->height > rules.maxSide)
        throw ServiceError(ErrorKind::payloadTooLarge, what + " is te groot: maximaal " +
                                                           std::to_string(rules.maxSide) + " × " +
                                                           std::to_string(rules.maxSide) + " pixels.");
    image.width = static_cast<int>(size->width);
    image.height = static_cast<int>(size->height);
    return image;
}

}  // namespace zelvorin::service
