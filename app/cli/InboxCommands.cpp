#include <memory>
#include <ostream>

#include "api-client/FileTransfers.h"
#include "api-client/KvitraActions.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "persistence/PersistenceError.h"
#include "screens/InputError.h"

namespace zelvorin::cli {

namespace {

struct FixOptions {
    std::string id, sender, email, amount, date;
};

// The service acts on its own copy; the device sees the change after the pull that follows.
void syncAfter(CliContext& context) {
    context.environment().syncNow();
}

IncomingInvoiceRecord requireItem(CliContext& context, const std::string& id) {
    std::optional<IncomingInvoiceRecord> item = context.environment().repositories().inbox.item(id);
    if (!item) throw PersistenceError::notFound("Stuk '" + id + "'");
    return std::move(*item);
}

void showItem(CliContext& context, const std::string& id) {
    context.requireSignedIn();
    const IncomingInvoiceRecord item = requireItem(context, id);
    if (context.json) return printJson(context, recordJson(item));
    const auto line = [&](const char* label, const std::optional<std::string>& value) {
        if (value) context.out() << column(label, 18) << *value << '\n';
    };
    line("Afzender", item.extractedSenderCompany ? item.extractedSenderCompany : item.senderName);
    line("Onderwerp", item.subject);
    if (item.extractedAmount) line("Bedrag", formatEuro(*item.extractedAmount));
    line("Datum", item.extractedInvoiceDate);
    line("Nummer", item.extractedInvoiceNumber);
    line("Categorie", item.category);
    line("Status", std::optional<std::string>(item.status));
    line("Gelezen door", item.extractionSource);
    line("Fout bij lezen", item.extractionError);
}

void done(CliContext& context, const std::string& id, const std::string& what) {
    syncAfter(context);
    if (context.json) return printJson(context, Json{{"id", id}, {"done", what}});
    context.out() << what << ": " << id << '\n';
}

void fixItem(CliContext& context, const FixOptions& options) {
    context.requireSignedIn();
    kvitra::ExtractedFieldsPatch patch;
    if (!options.sender.empty()) patch.extractedSenderCompany = options.sender;
    if (!options.email.empty()) patch.senderEmail = options.email;
    if (!options.date.empty()) patch.extractedInvoiceDate = options.date;
    if (!options.amount.empty()) {
        patch.extractedAmount = parseAmountCents(options.amount);
        if (!patch.extractedAmount)
            throw InputError(InputError::Kind::invalidValue, "Ongeldig bedrag: '" + options.amount + "'.");
    }
    SyncAPIClient client = context.apiClient();
    kvitra::correct(client, options.id, patch);
    done(context, options.id, "bijgewerkt");
}

// An option left empty is not given.
std::optional<std::string> given(const std::string& value) {
    return value.empty() ? std::nullopt : std::optional<std::string>(value);
}

struct FolderOptions {
    std::string zakelijk, prive, gemengd;
};

void showSettings(CliContext& context, const FolderOptions& options) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const kvitra::KvitraFoldersPatch patch{given(options.zakelijk), given(options.prive),
                                           given(options.gemengd)};
    if (patch.zakelijk || patch.prive || patch.gemengd) kvitra::patchSettings(client, patch);
    const kvitra::NativeKvitraSettings settings = kvitra::settings(client);
    if (context.json) {
        Json rules = Json::array();
        for (const kvitra::NativeKvitraRule& rule : settings.rules)
            rules.push_back(
                Json{{"id", rule.id},
                     {"senderEmailPattern", rule.senderEmailPattern},
                     {"subjectPattern", rule.subjectPattern ? Json(*rule.subjectPattern) : Json()},
                     {"suggestedCategory", rule.suggestedCategory},
                     {"isSkip", rule.isSkip},
                     {"matchCount", rule.matchCount}});
        return printJson(context, Json{{"folderZakelijk", settings.folderZakelijk},
                                       {"folderPrive", settings.folderPrive},
                                       {"folderGemengd", settings.folderGemengd},
                                       {"rules", std::move(rules)}});
    }
    context.out() << column("Map zakelijk", 18) << settings.folderZakelijk << '\n'
                  << column("Map privé", 18) << settings.folderPrive << '\n'
                  << column("Map gemengd", 18) << settings.folderGemengd << '\n';
    if (settings.rules.empty()) {
        context.out() << "Geen regels.\n";
        return;
    }
    context.out() << "Regels:\n";
    for (const kvitra::NativeKvitraRule& rule : settings.rules)
        context.out() << "  " << column(rule.senderEmailPattern, 30)
                      << column(rule.isSkip ? "overslaan" : rule.suggestedCategory, 12) << rule.matchCount
                      << "× toegepast  (" << rule.id << ")\n";
}

}  // namespace

void addInboxCommands(CLI::App& app, CliContext& context) {
    CLI::App* inbox = app.get_subcommand("inbox");

    auto showId = std::make_shared<std::string>();
    auto* show = inbox->add_subcommand("show", "Toon één stuk uit de inbox (na sync)");
    show->add_option("id", *showId, "Het stuk")->required();
    show->callback([&context, showId] { showItem(context, *showId); });

    auto fix = std::make_shared<FixOptions>();
    auto* fixCommand = inbox->add_subcommand("fix", "Verbeter wat er van een stuk gelezen is");
    fixCommand->add_option("id", fix->id, "Het stuk")->required();
    fixCommand->add_option("--sender", fix->sender, "Afzender");
    fixCommand->add_option("--email", fix->email, "E-mailadres van de afzender");
    fixCommand->add_option("--amount", fix->amount, "Bedrag, bijvoorbeeld 12,50");
    fixCommand->add_option("--date", fix->date, "Factuurdatum (DD-MM-JJJJ)");
    fixCommand->callback([&context, fix] { fixItem(context, *fix); });

    auto categorizeId = std::make_shared<std::string>();
    auto category = std::make_shared<std::string>();
    auto type = std::make_shared<std::string>();
    auto* categorize = inbox->add_subcommand("categorize", "Deel een stuk in: zakelijk, prive of gemengd");
    categorize->add_option("id", *categorizeId, "Het stuk")->required();
    categorize->add_option("category", *category, "zakelijk, prive of gemengd")->required();
    categorize->add_option("--type", *type, "Soort factuur");
    categorize->callback([&context, categorizeId, category, type] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        kvitra::categorize(client, *categorizeId, *category, given(*type));
        done(context, *categorizeId, "ingedeeld");
    });

    auto archiveId = std::make_shared<std::string>();
    auto* archive = inbox->add_subcommand("archive", "Archiveer een stuk");
    archive->add_option("id", *archiveId, "Het stuk")->required();
    archive->callback([&context, archiveId] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        kvitra::archive(client, *archiveId);
        done(context, *archiveId, "gearchiveerd");
    });

    auto rereadId = std::make_shared<std::string>();
    auto* reread = inbox->add_subcommand("reread", "Laat de dienst een stuk opnieuw lezen");
    reread->add_option("id", *rereadId, "Het stuk")->required();
    reread->callback([&context, rereadId] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        const bool dispatched = kvitra::reextract(client, *rereadId);
        done(context, *rereadId, dispatched ? "wordt opnieuw gelezen" : "niet opnieuw gelezen");
    });

    auto removeId = std::make_shared<std::string>();
    auto* remove = inbox->add_subcommand("rm", "Verwijder een stuk uit de inbox");
    remove->add_option("id", *removeId, "Het stuk")->required();
    remove->callback([&context, removeId] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        kvitra::remove(client, *removeId);
        done(context, *removeId, "verwijderd");
    });

    auto billedId = std::make_shared<std::string>();
    auto* reverseBilling = inbox->add_subcommand(
        "reverse-billing", "Maak een factuur bij een stuk dat je klant voor je opstelde");
    reverseBilling->add_option("id", *billedId, "Het stuk")->required();
    reverseBilling->callback([&context, billedId] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        const std::string invoiceId = kvitra::createReverseBilling(client, *billedId);
        syncAfter(context);
        if (context.json) return printJson(context, Json{{"id", *billedId}, {"invoiceId", invoiceId}});
        context.out() << "Conceptfactuur gemaakt: " << invoiceId << '\n';
    });

    auto orderId = std::make_shared<std::string>();
    auto orderAction = std::make_shared<std::string>();
    auto preset = std::make_shared<std::string>();
    auto linked = std::make_shared<std::string>();
    auto* order = inbox->add_subcommand("order-confirmation", "Behandel een opdrachtbevestiging");
    order->add_option("id", *orderId, "Het stuk")->required();
    order->add_option("action", *orderAction, "link, remind of dismiss")->required();
    order->add_option("--preset", *preset, "Herinner over 1w, 2w of 1m (bij remind)");
    order->add_option("--linked", *linked, "Het stuk waar het bij hoort (bij link)");
    order->callback([&context, orderId, orderAction, preset, linked] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        kvitra::confirmOrder(client, *orderId, *orderAction, given(*preset), given(*linked));
        done(context, *orderId, "opdrachtbevestiging bijgewerkt");
    });

    auto folders = std::make_shared<FolderOptions>();
    auto* settings = inbox->add_subcommand("settings", "Toon (of wijzig) de mappen en regels van de inbox");
    settings->add_option("--zakelijk", folders->zakelijk, "Map voor zakelijke stukken");
    settings->add_option("--prive", folders->prive, "Map voor privéstukken");
    settings->add_option("--gemengd", folders->gemengd, "Map voor gemengde stukken");
    settings->callback([&context, folders] { showSettings(context, *folders); });

    auto documentId = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto thumbnail = std::make_shared<bool>(false);
    auto* document = inbox->add_subcommand("document", "Sla het document van een stuk op");
    document->add_option("id", *documentId, "Het stuk")->required();
    document->add_option("--out", *out, "Waar het bestand heen moet")->required();
    document->add_flag("--thumbnail", *thumbnail, "Alleen een klein plaatje van de eerste pagina (PNG)");
    document->callback([&context, documentId, out, thumbnail] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        const ConditionalDownload file = *thumbnail ? downloadKvitraThumbnail(client, *documentId)
                                                    : downloadKvitraDocument(client, *documentId);
        writeOutputFile(*out, file.data);
        if (context.json)
            return printJson(context, Json{{"id", *documentId}, {"file", *out}, {"bytes", file.data.size()}});
        context.out() << *out << " (" << file.data.size() << " bytes)\n";
    });
}

}  // namespace zelvorin::cli
