#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvorin::service {

// A ZIP archive whose entries are stored, not compressed: the privacy export is a few hundred
// kilobytes of JSON, and any unzip opens a stored archive. Entry names are UTF-8 (flag bit 11);
// times are the DOS epoch's first day, so the same data gives the same archive.
class StoredZip {
public:
    // Throws std::invalid_argument for an empty name, one that starts with "/" or holds "..",
    // or one given twice.
    void add(std::string name, std::string_view contents);
    // The archive: the entries, the central directory and its end record.
    std::string finish() const;

private:
    struct Entry {
        std::string name;
        std::string contents;
        unsigned long crc = 0;
    };
    std::vector<Entry> entries_;
};

}  // namespace zelvorin::service
