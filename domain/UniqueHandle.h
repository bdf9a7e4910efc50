#pragma once

#include <type_traits>
#include <utility>

namespace zelvorin {

// The one owner of a C resource: a handle (a pointer such as `sqlite3*`, or a descriptor) and the
// function that releases it. Move-only; an owner that holds the empty value (`Empty`, null for a
// pointer) releases nothing, and the destructor never throws. The release function's result, if
// it has one, is ignored: there is nothing an owner could do about a failed close.
//
//   using CurlEasy = UniqueHandle<CURL*, curl_easy_cleanup>;
//   CurlEasy curl(curl_easy_init());
//   using Descriptor = UniqueHandle<int, ::close, -1>;
//
// C functions that hand out a resource through an out-parameter fill `out()`.
//
// Objects a C++ library hands out with `new` (a poppler document, Tesseract's text) are owned by
// std::unique_ptr instead, which deletes them as the library expects.
//
// It lives in domain/ because that is the one folder every other folder may include; it does no
// I/O itself, and each folder names its owners beside the C library it wraps.
template <class Handle, auto Release, Handle Empty = Handle{}>
class UniqueHandle {
    static_assert(std::is_trivially_copyable_v<Handle>, "a C handle is a plain value");

public:
    constexpr UniqueHandle() noexcept = default;
    constexpr explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    constexpr Handle get() const noexcept { return handle_; }
    constexpr explicit operator bool() const noexcept { return handle_ != Empty; }

    // Gives the handle up without releasing it; the owner is empty afterwards.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Empty); }

    // Releases the current handle (if any) and takes `handle` over.
    void reset(Handle handle = Empty) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Empty) Release(old);
    }

    // For `open(&handle)`-style functions: releases the current handle and returns the place the
    // function writes the new one to.
    [[nodiscard]] Handle* out() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Empty;
};

}  // namespace zelvorin
