#pragma once

#include <string>
#include <string_view>

namespace zelvorin {

// A multipart/form-data body, built by hand with CRLF line ends throughout. The boundary is the
// upload's prefix ("ZelvorinBoundary-", "zelvorin-" or "Boundary-") and a fresh upper-case UUID.
class MultipartBody {
public:
    explicit MultipartBody(std::string_view boundaryPrefix);
    // A fixed boundary, for tests that compare whole bodies.
    static MultipartBody withBoundary(std::string boundary);

    MultipartBody& field(std::string_view name, std::string_view value);
    MultipartBody& file(std::string_view name, std::string_view fileName, std::string_view contentType,
                        std::string_view bytes);
    // The body with its closing boundary line; the builder can still be read afterwards.
    std::string finish() const;

    const std::string& boundary() const { return boundary_; }
    std::string contentType() const { return "multipart/form-data; boundary=" + boundary_; }

private:
    struct FixedBoundary {};
    MultipartBody(FixedBoundary, std::string boundary) : boundary_(std::move(boundary)) {}

    std::string boundary_;
    std::string parts_;
};

}  // namespace zelvorin
