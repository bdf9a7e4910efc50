// Writes what is derived from the schema description as source:
//   zelvorin-record-codegen <records dir> <catalogue dir>
//       writes <records dir>/Records.h, <records dir>/Records.cpp and <catalogue dir>/PayloadShapes.cpp
//   zelvorin-record-codegen --check <records dir> <catalogue dir>
//       exits 1 when any of them differs from what it would write
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "persistence/codegen/Codegen.h"

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 4 && std::string(argv[1]) == "--check";
    if (argc != 3 && !check) {
        std::cerr << "usage: zelvorin-record-codegen [--check] <records dir> <catalogue dir>\n";
        return 2;
    }
    const std::filesystem::path records = argv[argc - 2];
    const std::filesystem::path catalogue = argv[argc - 1];
    const auto& schema = zelvorin::Schema::shared();
    using zelvorin::codegen::payloadCatalogue;
    using zelvorin::codegen::recordsHeader;
    using zelvorin::codegen::recordsSource;
    const std::vector<std::pair<std::filesystem::path, std::string>> outputs{
        {records / "Records.h", recordsHeader(schema)},
        {records / "Records.cpp", recordsSource(schema)},
        {catalogue / "PayloadShapes.cpp", payloadCatalogue(schema)},
    };

    int status = 0;
    for (const auto& [path, text] : outputs) {
        if (contents(path) == text) continue;  // unchanged: keep the file's time, nothing rebuilds
        if (check) {
            std::cerr << path.string() << " is not what the schema description gives; regenerate it\n";
            status = 1;
            continue;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            std::cerr << "cannot write " << path.string() << "\n";
            status = 1;
        }
    }
    return status;
}
