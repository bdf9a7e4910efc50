#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/DocumentPipelineChoice.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"

namespace zelvorin::cli {

namespace {

void readReceipt(CliContext& context, const std::string& path) {
    const std::string document = readWholeFile(path);
    const auto pipeline = makeDocumentPipeline(
        [&context](const std::string& warning) { context.err() << "zelvorin-cli: " << warning << '\n'; });
    const ReceiptReading reading = pipeline->read(document);
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
