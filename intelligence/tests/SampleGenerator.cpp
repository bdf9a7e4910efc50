// Writes a varied set of sample receipts and invoices with their ground truth:
//   zelvorin-sample-generator <folder> [count] [first-seed]
// Each seed gives <seed>.pdf (text layer), <seed>-scan.pdf, <seed>-photo.jpg and <seed>.json.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "intelligence/tests/SampleDocuments.h"

namespace {

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelvorin::testing;
    if (argc < 2) {
        std::cerr << "gebruik: zelvorin-sample-generator <map> [aantal] [eerste-seed]\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 24;
    const auto first = static_cast<std::uint32_t>(argc > 3 ? std::atoi(argv[3]) : 1);
    std::filesystem::create_directories(folder);
    for (std::uint32_t seed = first; seed < first + static_cast<std::uint32_t>(count); ++seed) {
        const SampleDocument doc = makeSampleDocument(seed);
        const std::string name = std::to_string(seed);
        write(folder / (name + ".pdf"), renderTextPdf(doc));
        write(folder / (name + "-scan.pdf"), renderScannedPdf(doc));
        PhotoEffects effects;
        effects.rotationDegrees = static_cast<double>(seed % 7) - 3.0;
        effects.noiseAmplitude = 10;
        effects.jpegQuality = 70;
        write(folder / (name + "-photo.jpg"), renderPhotoJpeg(doc, effects, seed));
        write(folder / (name + ".json"), zelvorin::toJson(doc.truth).dump(2) + "\n");
    }
    return 0;
}
