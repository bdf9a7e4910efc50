#include "layout/ImageSource.h"

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include "layout/SvgImage.h"

namespace zelvorin {

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 4);
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        if (c == '\n' || c == '\r' || c == ' ') continue;
        int v = base64Value(c);
        if (v < 0) return std::nullopt;
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool isPng(std::string_view b) {
    return b.size() >= 24 && b.substr(0, 8) == "\x89PNG\r\n\x1a\n";
}
bool isJpeg(std::string_view b) {
    return b.size() >= 4 && b.substr(0, 2) == "\xFF\xD8";
}

std::optional<ImageSize> jpegSize(std::string_view b) {
    std::size_t pos = 2;
    while (pos + 9 < b.size()) {
        if (static_cast<unsigned char>(b[pos]) != 0xFF) return std::nullopt;
        unsigned marker = static_cast<unsigned char>(b[pos + 1]);
        std::uint32_t length = bigEndian(b, pos + 2, 2);
        bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            return ImageSize{static_cast<double>(bigEndian(b, pos + 7, 2)),
                             static_cast<double>(bigEndian(b, pos + 5, 2))};
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

struct PngReader {
    std::string_view bytes;
    std::size_t offset = 0;
};

cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->offset + length > reader->bytes.size()) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(reader->bytes.data() + reader->offset, length, data);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// libjpeg reports errors by longjmp; nothing with a destructor may live between setjmp and the
// calls that can fail, so the pixels go to a plain buffer first.
bool decodeJpegPixels(std::string_view bytes, std::vector<unsigned char>& rgb, unsigned& width,
                      unsigned& height) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFail;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = info.output_width;
    height = info.output_height;
    if (width == 0 || height == 0 || static_cast<double>(width) * height > kMaxImagePixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        unsigned char* row = rgb.data() + static_cast<std::size_t>(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

CairoSurface decodeJpeg(std::string_view bytes) {
    std::vector<unsigned char> rgb;
    unsigned width = 0, height = 0;
    if (!decodeJpegPixels(bytes, rgb, width, height)) return {};
    CairoSurface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width), static_cast<int>(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    for (unsigned y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        const unsigned char* in = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (unsigned x = 0; x < width; ++x) {
            out[x] = 0xFF000000u | (in[3 * x] << 16) | (in[3 * x + 1] << 8) | in[3 * x + 2];
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

std::string loweredHead(std::string_view text) {
    std::string out(text.substr(0, 4096));
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool looksLikeSvg(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return false;
    const std::string head = loweredHead(bytes);
    const std::size_t svg = head.find("<svg");
    if (svg == std::string::npos) return false;
    const std::size_t firstTag = head.find('<');
    return firstTag == svg || head.compare(firstTag, 2, "<?") == 0 ||
           head.compare(firstTag, 4, "<!--") == 0 || head.compare(firstTag, 9, "<!doctype") == 0;
}

std::optional<std::string> dataUrlBytes(std::string_view url) {
    if (url.substr(0, 5) != "data:" || url.size() > kMaxImageUrlBytes) return std::nullopt;
    std::size_t comma = url.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    if (url.substr(0, comma).find(";base64") == std::string_view::npos) return std::nullopt;
    std::optional<std::string> bytes = decodeBase64(url.substr(comma + 1));
    if (bytes && bytes->size() > kMaxImageBytes) return std::nullopt;
    return bytes;
}

std::optional<ImageSize> imageSize(std::string_view bytes) {
    if (isPng(bytes)) {
        double w = bigEndian(bytes, 16, 4), h = bigEndian(bytes, 20, 4);
        if (w <= 0 || h <= 0) return std::nullopt;
        return ImageSize{w, h};
    }
    if (isJpeg(bytes)) return jpegSize(bytes);
    if (looksLikeSvg(bytes)) {
        if (const std::optional<SvgImage> svg = SvgImage::parse(bytes)) return svg->size();
    }
    return std::nullopt;
}

CairoSurface decodeImage(std::string_view bytes) {
    if (!isPng(bytes) && !isJpeg(bytes)) return {};
    // A few hundred bytes may declare 20 000 × 20 000 pixels: 1.6 GB once decoded.
    const std::optional<ImageSize> size = imageSize(bytes);
    if (!size || size->width * size->height > kMaxImagePixels) return {};
    if (isPng(bytes)) {
        PngReader reader{bytes};
        CairoSurface surface(cairo_image_surface_create_from_png_stream(readPng, &reader));
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
        return surface;
    }
    if (isJpeg(bytes)) return decodeJpeg(bytes);
    return {};
}

std::string dataUrlOf(std::string_view bytes, std::string_view mediaType) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string url = "data:" + std::string(mediaType) + ";base64,";
    url.reserve(url.size() + (bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0U);
        for (std::size_t i = 0; i < 4; ++i)
            url += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
    return url;
}

std::optional<std::string> drawableDataUrl(std::string_view bytes) {
    if (bytes.size() > kMaxImageBytes) return std::nullopt;
    const std::optional<ImageSize> size = imageSize(bytes);
    if (!size) return std::nullopt;
    const bool raster = isPng(bytes) || isJpeg(bytes);
    // A vector picture is drawn into its box at any declared size; pixels are a raster's cost.
    if (raster && size->width * size->height > kMaxImagePixels) return std::nullopt;
    if (isPng(bytes)) return dataUrlOf(bytes, "image/png");
    if (isJpeg(bytes)) return dataUrlOf(bytes, "image/jpeg");
    return dataUrlOf(bytes, "image/svg+xml");
}

std::optional<std::string> loadImageBytes(std::string_view url) {
    return dataUrlBytes(url);
}

}  // namespace zelvorin
