#include <filesystem>
#include <memory>
#include <ostream>

#include "api-client/OrgActions.h"
#include "app/OrgFontSync.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace orgactions;

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The type the file's bytes say it has; the service judges the content again itself.
std::string imageTypeOf(const std::string& bytes) {
    if (bytes.starts_with("\x89PNG")) return "image/png";
    if (bytes.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
    if (bytes.starts_with("RIFF") && bytes.size() > 12 && bytes.substr(8, 4) == "WEBP") return "image/webp";
    if (bytes.find("<svg") != std::string::npos) return "image/svg+xml";
    return "application/octet-stream";
}

void printSettings(CliContext& context, const org::NativeOrgSettings& settings) {
    const Json body = settings.toJson();
    if (context.json) return printJson(context, body);
    for (const auto& [key, value] : body.items())
        context.out() << column(key, 24) << (value.is_string() ? value.get<std::string>() : value.dump())
                      << '\n';
}

void showSettings(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    printSettings(context, settings(client));
}

// KEY=VALUE pairs into a patch: numbers and true/false for the members that take them, "null"
// clears the three that can be cleared.
void setSettings(CliContext& context, const std::vector<std::string>& assignments) {
    org::OrgSettingsPatch patch;
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            throw InputError(InputError::Kind::invalidValue,
                             "'" + assignment + "' is geen instelling=waarde, bijv. paymentTermsDays=14.");
        const std::string key = assignment.substr(0, equals);
        if (!patch.set(key, assignment.substr(equals + 1)))
            throw InputError(
                InputError::Kind::invalidValue,
                "'" + assignment + "': onbekende instelling of een waarde van de verkeerde soort.");
    }
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    patchSettings(client, patch);
    // The change reaches this device's copy by pull, like every change of the service.
    context.environment().syncNow();
    printSettings(context, settings(client));
}

void uploadLogoFile(CliContext& context, const std::string& path) {
    const std::string bytes = readWholeFile(path);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const LogoUploadResult uploaded = uploadLogo(client, fileNameOf(path), imageTypeOf(bytes), bytes);
    context.environment().syncNow();
    if (context.json)
        return printJson(context,
                         Json{{"logoPath", uploaded.logoPath}, {"logoPdfPath", uploaded.logoPdfPath}});
    context.out() << "Logo opgeslagen: " << uploaded.logoPath << '\n';
}

OrgFontSync fontCache(CliContext& context) {
    return OrgFontSync(OrgFontSync::folderBeside(context.environment().databasePath()));
}

void listFonts(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::vector<org::NativeFontFamily> families = fontFamilies(client);
    fontCache(context).synchronise(client);
    if (context.json) {
        Json list = Json::array();
        for (const org::NativeFontFamily& family : families)
            list.push_back(family.toJson());
        return printJson(context, Json{{"families", std::move(list)}});
    }
    if (families.empty()) {
        context.out() << "Geen eigen lettertypen.\n";
        return;
    }
    for (const org::NativeFontFamily& family : families)
        for (const org::NativeFontVariant& variant : family.variants)
            context.out() << column(family.family, 20) << column(std::to_string(variant.weight), 5)
                          << column(variant.style, 8) << variant.id << '\n';
}

void addFont(CliContext& context, const std::string& path, const std::string& family) {
    const std::string bytes = readWholeFile(path);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const org::NativeFontUploadResult uploaded =
        uploadFont(client, fileNameOf(path), bytes, family.empty() ? std::nullopt : std::optional(family));
    fontCache(context).synchronise(client);
    if (context.json) return printJson(context, uploaded.toJson());
    context.out() << "Lettertype " << uploaded.displayName << " (" << uploaded.weight << ", "
                  << uploaded.style << ") toegevoegd: " << uploaded.id << '\n';
}

void removeFont(CliContext& context, const std::string& id) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    deleteFont(client, id);
    fontCache(context).synchronise(client);
    if (context.json) return printJson(context, Json{{"removed", id}});
    context.out() << "Lettertype " << id << " verwijderd.\n";
}

void saveFont(CliContext& context, const std::string& id, const std::string& out) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::string bytes = downloadFont(client, id);
    writeOutputFile(out, bytes);
    if (context.json) return printJson(context, Json{{"id", id}, {"out", out}, {"size", bytes.size()}});
    context.out() << "Lettertype " << id << " opgeslagen in " << out << '\n';
}

}  // namespace

void addOrgCommands(CLI::App& app, CliContext& context) {
    auto* org = app.add_subcommand("org", "Instellingen en logo van de organisatie (vereist verbinding)");
    org->require_subcommand(1);
    org->add_subcommand("show", "De instellingen van de organisatie")->callback([&context] {
        showSettings(context);
    });
    auto assignments = std::make_shared<std::vector<std::string>>();
    auto* set = org->add_subcommand("set", "Instellingen wijzigen: instelling=waarde …");
    set->add_option("assignments", *assignments, "Bijv. paymentTermsDays=14 replyToEmail=null")->required();
    set->callback([&context, assignments] { setSettings(context, *assignments); });
    auto logoPath = std::make_shared<std::string>();
    auto* logo = org->add_subcommand("logo", "Een logo (PNG, JPEG of SVG) uploaden");
    logo->add_option("file", *logoPath, "Het logobestand")->required();
    logo->callback([&context, logoPath] { uploadLogoFile(context, *logoPath); });

    auto* fonts = app.add_subcommand("fonts", "Eigen lettertypen van de organisatie (vereist verbinding)");
    fonts->require_subcommand(1);
    fonts->add_subcommand("list", "De lettertypen, per familie")->callback([&context] {
        listFonts(context);
    });
    auto file = std::make_shared<std::string>();
    auto family = std::make_shared<std::string>();
    auto* add = fonts->add_subcommand("add", "Een TrueType- of OpenType-bestand uploaden");
    add->add_option("file", *file, "Het lettertypebestand (.ttf of .otf)")->required();
    add->add_option("--family", *family, "De familienaam waarmee sjablonen het gebruiken");
    add->callback([&context, file, family] { addFont(context, *file, *family); });
    auto id = std::make_shared<std::string>();
    auto* remove = fonts->add_subcommand("rm", "Een lettertype verwijderen");
    remove->add_option("id", *id, "Id van het lettertype")->required();
    remove->callback([&context, id] { removeFont(context, *id); });
    auto out = std::make_shared<std::string>();
    auto* get = fonts->add_subcommand("get", "Het bestand van een lettertype opslaan");
    get->add_option("id", *id, "Id van het lettertype")->required();
    get->add_option("--out", *out, "Waar het bestand komt")->required();
    get->callback([&context, id, out] { saveFont(context, *id, *out); });
}

}  // namespace zelvorin::cli
