#include <memory>
#include <ostream>

#include "api-client/OrgActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace orgactions;

// PNG, JPEG or WebP by the bytes; anything else goes up as JPEG and the service refuses it in words.
std::string portraitTypeOf(const std::string& bytes) {
    if (bytes.starts_with("\x89PNG")) return "image/png";
    if (bytes.starts_with("RIFF") && bytes.size() > 12 && bytes.substr(8, 4) == "WEBP") return "image/webp";
    return "image/jpeg";
}

void printProfile(CliContext& context, const org::NativeProfile& profile) {
    if (context.json) return printJson(context, profile.toJson());
    context.out() << "Naam:      " << profile.name << "\nE-mail:    " << profile.email
                  << "\nTelefoon:  " << profile.phone.value_or("-")
                  << "\nFoto:      " << profile.image.value_or("-") << '\n';
}

struct ProfileOptions {
    std::string name;
    std::string phone;
    bool clearPhone = false;
    std::string file;
};

void showProfile(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    printProfile(context, profile(client));
}

// The name is always sent; what is left out keeps its value.
void setProfile(CliContext& context, const ProfileOptions& options) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const org::NativeProfile current = profile(client);
    std::optional<std::string> phone = current.phone;
    if (options.clearPhone) phone.reset();
    if (!options.phone.empty()) phone = options.phone;
    printProfile(context, patchProfile(client, options.name.empty() ? current.name : options.name, phone));
}

void uploadPhoto(CliContext& context, const std::string& path) {
    const std::string bytes = readWholeFile(path);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::string image = uploadProfilePhoto(client, portraitTypeOf(bytes), bytes);
    if (context.json) return printJson(context, Json{{"image", image}});
    context.out() << "Profielfoto opgeslagen: " << image << '\n';
}

struct AvatarOptions {
    std::string entity;
    std::string id;
    std::string file;
};

void uploadAvatarFile(CliContext& context, const AvatarOptions& options) {
    AppEnvironment::AvatarOwner owner = AppEnvironment::AvatarOwner::customer;
    if (options.entity == "contact")
        owner = AppEnvironment::AvatarOwner::contactPerson;
    else if (options.entity != "customer")
        throw InputError(InputError::Kind::invalidValue,
                         "'" + options.entity + "': een avatar hoort bij een customer of een contact.");
    const std::string bytes = readWholeFile(options.file);
    context.requireSignedIn();
    context.environment().updateAvatar(owner, options.id, portraitTypeOf(bytes), bytes);
    CustomerRepository& customers = context.environment().repositories().customers;
    std::optional<std::string> address;
    std::int64_t revision = 0;
    if (owner == AppEnvironment::AvatarOwner::customer) {
        const auto customer = customers.customer(options.id);
        address = customer ? customer->avatarUrl : std::nullopt;
        revision = customer ? customer->revision : 0;
    } else {
        const auto person = customers.contactPerson(options.id);
        address = person ? person->avatarUrl : std::nullopt;
        revision = person ? person->revision : 0;
    }
    const Json row{{"entity", options.entity},
                   {"id", options.id},
                   {"avatarUrl", address.value_or("")},
                   {"revision", revision}};
    if (context.json) return printJson(context, row);
    context.out() << "Avatar opgeslagen: " << row.value("avatarUrl", "") << '\n';
}

void printIntegrations(CliContext& context, const org::NativeIntegrationStatus& status) {
    if (context.json) return printJson(context, status.toJson());
    const auto onOff = [](bool on) { return on ? "aan" : "uit"; };
    context.out() << "Google:    " << onOff(status.google.connected)
                  << "\nDropbox:   " << onOff(status.dropbox.connected) << " (automatisch uploaden "
                  << onOff(status.dropbox.autoUpload) << ", map " << status.dropbox.folderTemplate
                  << ")\nbunq:      " << onOff(status.bunq.connected) << "\nSleutels:  mollie "
                  << onOff(status.mollieConfigured) << ", resend " << onOff(status.resendConfigured)
                  << ", postcode " << onOff(status.postcodeConfigured) << ", anthropic "
                  << onOff(status.anthropicConfigured) << '\n';
}

struct IntegrationOptions {
    std::string autoUpload;
    std::string folderTemplate;
    std::string provider;
    std::string value;
    bool remove = false;
};

void setIntegrations(CliContext& context, const IntegrationOptions& options) {
    std::optional<bool> autoUpload;
    if (options.autoUpload == "aan" || options.autoUpload == "true")
        autoUpload = true;
    else if (options.autoUpload == "uit" || options.autoUpload == "false")
        autoUpload = false;
    else if (!options.autoUpload.empty())
        throw InputError(InputError::Kind::invalidValue,
                         "--auto-upload '" + options.autoUpload + "': kies aan of uit.");
    if (!autoUpload && options.folderTemplate.empty())
        throw InputError(InputError::Kind::missingValue, "Geef --auto-upload of --folder op.");
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    patchIntegrations(client, autoUpload,
                      options.folderTemplate.empty() ? std::nullopt : std::optional(options.folderTemplate));
    printIntegrations(context, integrations(client));
}

void setKey(CliContext& context, const IntegrationOptions& options) {
    if (options.remove == !options.value.empty())
        throw InputError(InputError::Kind::invalidValue, "Geef een sleutel óf --remove op.");
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    setIntegrationKey(client,
                      {options.provider, options.remove ? std::nullopt : std::optional(options.value)});
    printIntegrations(context, integrations(client));
}

}  // namespace

void addProfileCommands(CLI::App& app, CliContext& context) {
    auto* profileCommand = app.add_subcommand("profile", "Je eigen profiel (vereist verbinding)");
    profileCommand->require_subcommand(1);
    profileCommand->add_subcommand("show", "Naam, e-mail, telefoon en foto")->callback([&context] {
        showProfile(context);
    });
    auto options = std::make_shared<ProfileOptions>();
    auto* set = profileCommand->add_subcommand("set", "Naam of telefoon wijzigen");
    set->add_option("--name", options->name, "Je naam");
    set->add_option("--phone", options->phone, "Je telefoonnummer");
    set->add_flag("--clear-phone", options->clearPhone, "Het telefoonnummer wissen");
    set->callback([&context, options] { setProfile(context, *options); });
    auto* photo = profileCommand->add_subcommand("photo", "Een profielfoto uploaden (PNG, JPEG of WebP)");
    photo->add_option("file", options->file, "Het fotobestand")->required();
    photo->callback([&context, options] { uploadPhoto(context, options->file); });

    auto avatar = std::make_shared<AvatarOptions>();
    auto* avatarCommand = app.add_subcommand("avatar", "Een afbeelding bij een klant of contactpersoon");
    avatarCommand->add_option("entity", avatar->entity, "customer of contact")->required();
    avatarCommand->add_option("id", avatar->id, "Id van de klant of contactpersoon")->required();
    avatarCommand->add_option("file", avatar->file, "Het afbeeldingsbestand")->required();
    avatarCommand->callback([&context, avatar] { uploadAvatarFile(context, *avatar); });

    auto integration = std::make_shared<IntegrationOptions>();
    auto* integrationsCommand = app.add_subcommand("integrations", "Koppelingen met andere diensten");
    integrationsCommand->require_subcommand(1);
    integrationsCommand->add_subcommand("show", "Welke koppelingen aan staan")->callback([&context] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        printIntegrations(context, integrations(client));
    });
    auto* setCommand =
        integrationsCommand->add_subcommand("set", "Automatisch uploaden naar Dropbox instellen");
    setCommand->add_option("--auto-upload", integration->autoUpload, "aan of uit");
    setCommand->add_option("--folder", integration->folderTemplate, "De mappenstructuur");
    setCommand->callback([&context, integration] { setIntegrations(context, *integration); });
    auto* key =
        integrationsCommand->add_subcommand("key", "De sleutel van een dienst opslaan of verwijderen");
    key->add_option("provider", integration->provider, "mollie, resend, postcode of anthropic")->required();
    key->add_option("value", integration->value, "De sleutel (wordt nooit getoond)");
    key->add_flag("--remove", integration->remove, "De sleutel verwijderen");
    key->callback([&context, integration] { setKey(context, *integration); });
}

}  // namespace zelvorin::cli
