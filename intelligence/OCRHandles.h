#pragma once

#include <leptonica/allheaders.h>

#include <memory>

#include "domain/UniqueHandle.h"

namespace zelvorin {

inline void destroyPix(PIX* pix) noexcept {
    pixDestroy(&pix);  // takes the owner's variable to null it; ours is a copy
}

// Owners of Leptonica's images and of the buffers it allocates for us (encoded PNG bytes).
using PixHandle = UniqueHandle<PIX*, destroyPix>;
using LeptonicaBytes = UniqueHandle<l_uint8*, lept_free>;

// Text and arrays Tesseract hands out with new[]; its engine and iterators are C++ objects
// deleted by std::unique_ptr (the engine's destructor ends it).
template <typename T>
using TesseractArray = std::unique_ptr<T[]>;

}  // namespace zelvorin
