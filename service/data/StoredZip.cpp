#include "service/data/StoredZip.h"

#include <zlib.h>

#include <cstdint>
#include <stdexcept>

namespace zelvorin::service {

namespace {

constexpr std::uint16_t kVersion = 20;  // 2.0: what a stored entry needs
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kDosDate = 0x0021;  // 1 January 1980

void put16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}
void put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

// The fields a local header and a central-directory entry share, from "version needed" on.
void putCommon(std::string& out, std::uint32_t crc, std::uint32_t size, std::uint16_t nameLength) {
    put16(out, kVersion);
    put16(out, kUtf8Names);
    put16(out, 0);  // stored
    put16(out, 0);  // time 00:00
    put16(out, kDosDate);
    put32(out, crc);
    put32(out, size);  // compressed
    put32(out, size);  // uncompressed
    put16(out, nameLength);
    put16(out, 0);  // no extra field
}

}  // namespace

void StoredZip::add(std::string name, std::string_view contents) {
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos)
        throw std::invalid_argument("ongeldige naam in het archief: " + name);
    for (const Entry& entry : entries_)
        if (entry.name == name) throw std::invalid_argument("dubbele naam in het archief: " + name);
    // Without ZIP64 an archive ends at 4 GiB; the privacy export is far below it.
    if (contents.size() > 0xffffffffu || entries_.size() >= 0xffff)
        throw std::invalid_argument("het archief wordt te groot");
    const unsigned long crc = ::crc32(::crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(contents.data()),
                                      static_cast<uInt>(contents.size()));
    entries_.push_back(Entry{std::move(name), std::string(contents), crc});
}

std::string StoredZip::finish() const {
    std::string archive, directory;
    for (const Entry& entry : entries_) {
        const auto offset = static_cast<std::uint32_t>(archive.size());
        const auto size = static_cast<std::uint32_t>(entry.contents.size());
        const auto nameLength = static_cast<std::uint16_t>(entry.name.size());
        const auto crc = static_cast<std::uint32_t>(entry.crc);

        put32(archive, 0x04034b50);
        putCommon(archive, crc, size, nameLength);
        archive += entry.name;
        archive += entry.contents;

        put32(directory, 0x02014b50);
        put16(directory, kVersion);  // made by: MS-DOS attributes, version 2.0
        putCommon(directory, crc, size, nameLength);
        put16(directory, 0);  // comment length
        put16(directory, 0);  // disk number
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put16(archive, 0);  // this disk
    put16(archive, 0);  // disk of the directory
    put16(archive, static_cast<std::uint16_t>(entries_.size()));
    put16(archive, static_cast<std::uint16_t>(entries_.size()));
    put32(archive, static_cast<std::uint32_t>(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);  // comment length
    return archive;
}

}  // namespace zelvorin::service
