#pragma once

#include <memory>

#include <leptonica/allheaders.h>

namespace zelvorin {

// Move-only owner of a Leptonica image.
class PixHandle {
public:
    PixHandle() = default;
    explicit PixHandle(PIX* pix) noexcept : pix_(pix) {}
    PixHandle(PixHandle&& other) noexcept : pix_(other.release()) {}
    PixHandle& operator=(PixHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    PixHandle(const PixHandle&) = delete;
    PixHandle& operator=(const PixHandle&) = delete;
    ~PixHandle() { reset(); }

    PIX* get() const noexcept { return pix_; }
    explicit operator bool() const noexcept { return pix_ != nullptr; }
    PIX* release() noexcept {
        PIX* pix = pix_;
        pix_ = nullptr;
        return pix;
    }
    void reset(PIX* pix = nullptr) noexcept {
        if (pix_) pixDestroy(&pix_);
        pix_ = pix;
    }

private:
    PIX* pix_ = nullptr;
};

// Text and arrays Tesseract hands out with new[].
template <typename T>
using TesseractArray = std::unique_ptr<T[]>;

}  // namespace zelvorin
