#include "layout/SvgImage.h"

#include <librsvg/rsvg.h>

#include <cmath>
#include <utility>

#include "domain/UniqueHandle.h"

namespace zelvorin {
namespace {

using GInputStreamHandle = UniqueHandle<GInputStream*, g_object_unref>;
using RsvgHandleOwner = UniqueHandle<RsvgHandle*, g_object_unref>;
using GErrorHandle = UniqueHandle<GError*, g_error_free>;

bool usable(double side) {
    return std::isfinite(side) && side > 0;
}

// The size the SVG declares in absolute units; else its viewBox, which gives the proportions.
std::optional<ImageSize> declaredSize(RsvgHandle* handle) {
    double width = 0, height = 0;
    if (rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) && usable(width) && usable(height))
        return ImageSize{width, height};
    gboolean hasWidth = FALSE, hasHeight = FALSE, hasViewBox = FALSE;
    RsvgLength ignoredWidth{}, ignoredHeight{};
    RsvgRectangle viewBox{};
    rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &ignoredWidth, &hasHeight, &ignoredHeight,
                                         &hasViewBox, &viewBox);
    if (hasViewBox && usable(viewBox.width) && usable(viewBox.height))
        return ImageSize{viewBox.width, viewBox.height};
    return std::nullopt;
}

}  // namespace

std::optional<SvgImage> SvgImage::parse(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kMaxImageBytes) return std::nullopt;
    // The stream reads the caller's bytes in place; the handle is complete before this returns.
    GInputStreamHandle stream(
        g_memory_input_stream_new_from_data(bytes.data(), static_cast<gssize>(bytes.size()), nullptr));
    GErrorHandle error;
    RsvgHandleOwner handle(rsvg_handle_new_from_stream_sync(stream.get(), nullptr, RSVG_HANDLE_FLAGS_NONE,
                                                            nullptr, error.out()));
    if (!handle) return std::nullopt;
    rsvg_handle_set_dpi(handle.get(), 72);  // a CSS pixel is a point, as everywhere on the page
    const std::optional<ImageSize> size = declaredSize(handle.get());
    if (!size) return std::nullopt;
    return SvgImage(handle.release(), *size);
}

SvgImage::SvgImage(SvgImage&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), size_(other.size_) {}

SvgImage& SvgImage::operator=(SvgImage&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) g_object_unref(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        size_ = other.size_;
    }
    return *this;
}

SvgImage::~SvgImage() {
    if (handle_ != nullptr) g_object_unref(handle_);
}

bool SvgImage::draw(cairo_t* cr, double x, double y, double width, double height) const {
    if (handle_ == nullptr || !usable(width) || !usable(height)) return false;
    const RsvgRectangle viewport{x, y, width, height};
    GErrorHandle error;
    return rsvg_handle_render_document(handle_, cr, &viewport, error.out()) != FALSE;
}

}  // namespace zelvorin
