#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/InvoiceSourceReader.h"
#include "app/OrgFontSync.h"
#include "app/OrgLogoCache.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "layout/DocumentRenderer.h"
#include "layout/InvoicePdf.h"
#include "layout/TemplateUploads.h"
#include "persistence/PersistenceError.h"

namespace zelvorin::cli {

namespace {

struct RenderOptions {
    std::string invoiceId;
    std::string pdfPath;
    std::string pngPath;
};

// The organisation's own faces and logo for the layout: brought up to date with the service when
// it can be reached, else those cached earlier; without either the layout uses the installed fonts
// and prints no logo.
struct OrganisationLook {
    std::vector<OrgFontVariant> fonts;
    std::optional<std::string> logoDataUrl;
    std::map<std::string, std::string> uploadDataUrls;  // the uploads `templateConfig` names
};

OrganisationLook organisationLook(CliContext& context, const std::optional<std::string>& templateConfig) {
    AppEnvironment& environment = context.environment();
    const OrgFontSync fonts(OrgFontSync::folderBeside(environment.databasePath()));
    std::optional<SyncAPIClient> client;
    if (environment.resumeStoredSession()) {
        client = context.apiClient();
        try {
            fonts.synchronise(*client);
        } catch (const std::exception& error) {
            context.err() << "zelvorin-cli: de eigen lettertypen zijn niet bijgewerkt: " << error.what()
                          << '\n';
        }
    }
    OrganisationLook look{fonts.registeredVariants(), std::nullopt, {}};
    const OrgLogoCache uploads(OrgLogoCache::folderBeside(environment.databasePath()));
    if (const auto settings = environment.repositories().organisation.settings()) {
        const std::optional<std::string> key =
            settings->logoPdfPath ? settings->logoPdfPath : settings->logoPath;
        if (key) look.logoDataUrl = uploads.dataUrl(*key, client ? &*client : nullptr);
    }
    // Fetched with this session's token: the service answers only its own organisation's keys.
    for (const std::string& key : uploadKeysOfConfig(templateConfig)) {
        if (std::optional<std::string> url = uploads.dataUrl(key, client ? &*client : nullptr))
            look.uploadDataUrls.emplace(key, std::move(*url));
    }
    return look;
}

void render(CliContext& context, const RenderOptions& options) {
    std::optional<InvoiceSource> source =
        readInvoiceSource(context.environment().repositories().invoices, options.invoiceId);
    if (!source) throw PersistenceError::notFound("Factuur '" + options.invoiceId + "'");
    OrganisationLook look = organisationLook(context, source->templateConfig);
    source->logoDataUrl = std::move(look.logoDataUrl);
    source->uploadDataUrls = std::move(look.uploadDataUrls);
    const FontSet fonts(std::move(look.fonts));
    const auto today = std::chrono::floor<std::chrono::days>(context.environment().clock()->now());
    const RenderedInvoice rendered = renderInvoice(*source, fonts, today);
    const LaidOutDocument& laidOut = rendered.laidOut;
    for (const std::string& notice : rendered.notices)
        context.err() << "zelvorin-cli: " << notice << '\n';
    writeOutputFile(options.pdfPath, rendered.pdf);
    if (!options.pngPath.empty())
        writeOutputFile(options.pngPath, DocumentRenderer(fonts).png(laidOut, 0, 2.0));
    if (context.json) {
        nlohmann::ordered_json body{{"invoiceId", options.invoiceId},
                                    {"pdf", options.pdfPath},
                                    {"pages", laidOut.pages.size()},
                                    {"notices", rendered.notices}};
        context.out() << body.dump() << '\n';
    } else {
        context.out() << "Factuur " << options.invoiceId << ": " << laidOut.pages.size()
                      << " pagina('s) geschreven naar " << options.pdfPath << '\n';
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
