#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/cli/CliError.h"
#include "app/cli/Commands.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/LanguageModelInvoiceStructurer.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"

namespace zelvorin::cli {

namespace {

// The model server named by ZELVORIN_LLM_URL when it answers, else the rules (they need nothing
// installed, so a receipt can always be read).
std::shared_ptr<const InvoiceStructurer> chooseStructurer(CliContext& context) {
    const char* url = std::getenv("ZELVORIN_LLM_URL");
    if (url != nullptr && *url != '\0') {
        const char* model = std::getenv("ZELVORIN_LLM_MODEL");
        auto language = std::make_shared<LanguageModelInvoiceStructurer>(url, model ? model : "");
        if (language->isAvailable()) return language;
        context.err() << "zelvorin-cli: de taalmodelserver op " << url
                      << " antwoordt niet; de bon wordt met de vaste regels gelezen.\n";
    }
    return std::make_shared<RuleBasedInvoiceStructurer>();
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw CliError(CliError::Kind::fileNotFound, path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void readReceipt(CliContext& context, const std::string& path) {
    const std::string document = readWholeFile(path);
    const FoundationModelsExtractionPipeline pipeline(std::make_shared<TesseractOCRProvider>(),
                                                      chooseStructurer(context));
    const ReceiptReading reading = pipeline.read(document);
    if (context.json) {
        context.out() << toJson(reading).dump() << '\n';
    } else {
        context.out() << describe(reading);
    }
}

}  // namespace

void addReadReceiptCommand(CLI::App& app, CliContext& context) {
    auto path = std::make_shared<std::string>();
    auto* command =
        app.add_subcommand("read-receipt", "Lees een bon of factuur (PDF, JPEG of PNG) op dit apparaat");
    command->add_option("file", *path, "Het bestand")->required();
    command->callback([&context, path] { readReceipt(context, *path); });
}

}  // namespace zelvorin::cli
