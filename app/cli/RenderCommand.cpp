#include <chrono>
#include <fstream>
#include <memory>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/InvoiceSourceReader.h"
#include "app/cli/CliError.h"
#include "app/cli/Commands.h"
#include "layout/DocumentRenderer.h"
#include "layout/LayoutEngine.h"
#include "layout/LayoutError.h"

namespace zelvorin::cli {

namespace {

struct RenderOptions {
    std::string invoiceId;
    std::string pdfPath;
    std::string pngPath;
};

void render(CliContext& context, const RenderOptions& options) {
    std::optional<InvoiceSource> source =
        readInvoiceSource(context.environment().database(), options.invoiceId);
    if (!source) {
        throw CliError(CliError::Kind::notFound,
                       "Onbekende factuur '" + options.invoiceId + "' in de lokale database.");
    }
    try {
        const BuiltInvoiceDocument built = buildInvoiceDocument(*source);
        for (const std::string& notice : built.notices)
            context.err() << "zelvorin-cli: " << notice << '\n';
        FontSet fonts;
        TextMeasurer measurer(fonts);
        const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
        const LaidOutDocument laidOut = layoutDocument(built.document, measurer, today);
        DocumentRenderer renderer(fonts);
        PdfOptions pdf;
        pdf.creationDate = source->issueDate.substr(0, 10) + "T00:00:00Z";
        pdf.title = built.document.content.invoiceNumber;
        renderer.writePdf(laidOut, options.pdfPath, pdf);
        if (!options.pngPath.empty()) {
            std::ofstream png(options.pngPath, std::ios::binary);
            png << renderer.png(laidOut, 0, 2.0);
            if (!png)
                throw LayoutError("Het PNG-bestand " + options.pngPath + " kon niet worden geschreven.");
        }
        if (context.json) {
            nlohmann::ordered_json body{{"invoiceId", options.invoiceId},
                                        {"pdf", options.pdfPath},
                                        {"pages", laidOut.pages.size()},
                                        {"notices", built.notices}};
            context.out() << body.dump() << '\n';
        } else {
            context.out() << "Factuur " << options.invoiceId << ": " << laidOut.pages.size()
                          << " pagina('s) geschreven naar " << options.pdfPath << '\n';
        }
    } catch (const LayoutError& error) {
        throw CliError(CliError::Kind::failed,
                       std::string("De factuur kon niet worden opgemaakt: ") + error.what());
    }
}

}  // namespace

void addRenderCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<RenderOptions>();
    auto* command = app.add_subcommand("render", "Maak een PDF (en PNG van pagina 1) van een factuur");
    command->add_option("invoice", options->invoiceId, "Id van de factuur")->required();
    command->add_option("--pdf", options->pdfPath, "Pad van het PDF-bestand")->required();
    command->add_option("--png", options->pngPath, "Pad van een PNG van de eerste pagina");
    command->callback([&context, options] { render(context, *options); });
}

}  // namespace zelvorin::cli
