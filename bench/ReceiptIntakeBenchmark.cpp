// Taking receipts to the inbox from the command line against the bare recogniser: one
// `zelvorin-cli receipt add` of N phone photos (read on the device, uploaded to a local service,
// the reading submitted; the service does not read them again) against `tesseract` run on the
// same N pages one after another, both with one thread. The ratio says what the reading's own
// work, the upload and the queue add to recognition.
//
//   zelvorin_bench_receipt_intake [--documents N]   (default 20)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "intelligence/IntelligenceTuning.h"
#include "intelligence/tests/SampleDocuments.h"
#include "testing/ChildProcess.h"
#include "testing/ServiceProcess.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsOf(std::vector<std::string> arguments, const std::vector<std::string>& assignments) {
    const std::string program = arguments.at(0);
    const auto began = SteadyClock::now();
    const int code = testing::waitForExit(testing::startProgram(std::move(arguments), assignments, true));
    if (code != 0) {
        std::fprintf(stderr, "%s ended with %d\n", program.c_str(), code);
        std::exit(1);
    }
    return std::chrono::duration<double>(SteadyClock::now() - began).count();
}

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    using namespace zelvorin;
    int documents = 20;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--documents") == 0 && i + 1 < argc) documents = std::atoi(argv[++i]);

    testing::TempDir dir;
    std::vector<std::filesystem::path> photos;
    for (int n = 0; n < documents; ++n) {
        const auto seed = static_cast<std::uint32_t>(2000 + n);
        testing::PhotoEffects effects;
        effects.rotationDegrees = static_cast<double>(seed % 5) - 2.0;
        effects.jpegQuality = 80;
        const std::filesystem::path path = dir / ("bon-" + std::to_string(n + 1) + ".jpg");
        std::ofstream(path, std::ios::binary)
            << testing::renderPhotoJpeg(testing::makeSampleDocument(seed), effects, seed);
        photos.push_back(path);
    }

    testing::ServiceProcess service(testing::ServiceProcess::demo());
    const std::vector<std::string> device{"ZELVORIN_DATA_DIR=" + (dir / "device").string(),
                                          "ZELVORIN_BASE_URL=" + service.baseUrl(), "OMP_THREAD_LIMIT=1"};
    secondsOf({ZELVORIN_CLI_BINARY, "login", "--auto"}, device);

    double bare = 0;
    for (const auto& photo : photos)
        bare += secondsOf({"/usr/bin/tesseract", photo.string(), "stdout", "-l", tuning::ocrLanguages},
                          {"OMP_THREAD_LIMIT=1"});
    std::vector<std::string> add{ZELVORIN_CLI_BINARY, "receipt", "add"};
    for (const auto& photo : photos)
        add.push_back(photo.string());
    const double intake = secondsOf(add, device);

    std::printf("%d phone photos, one thread each\n", documents);
    std::printf("  bare tesseract -l %s   %7.2f s  (%.2f s a page)\n", tuning::ocrLanguages, bare,
                bare / documents);
    std::printf("  zelvorin-cli receipt add     %7.2f s  (%.2f s a page)\n", intake, intake / documents);
    std::printf("  ratio                        %7.2f x  (target at most 1.30)\n", intake / bare);
    return 0;
}
