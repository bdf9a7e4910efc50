#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

// The plaintext inside a bundle: a row of frames, each a small JSON header saying what it is
// and a body of raw bytes (a record's payload, a table row, a file's contents):
//   header length (4, big-endian) | header JSON | body length (8, big-endian) | body
// Files travel as bytes, not base64, so a bundle of scans is not a third larger than the scans.
namespace zelvorin::service::bundle {

using Json = nlohmann::ordered_json;

struct Frame {
    Json header;  // always has "kind": "manifest", "record", "row" or "file"
    std::string body;
};

std::string encodeFrame(const Json& header, std::string_view body);
// Throws BundleError when the plaintext does not divide into frames with object headers.
std::vector<Frame> decodeFrames(std::string_view plaintext);

}  // namespace zelvorin::service::bundle
