#include <memory>
#include <string>

#include "api-client/BankActions.h"
#include "app/AppEnvironment.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "screens/InputError.h"

// Reviewing bank transactions by hand and the rules that spare the review: categorising, finding
// the invoice to link, naming accounts, and the organisation's bank rules with their suggestions.
namespace zelvorin::cli {
namespace {

Json optionalJson(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// The service changes the records; the pull that follows brings them to this device.
void categorize(CliContext& context, const std::string& transactionId, const std::string& category, bool rule,
                const std::optional<std::string>& pattern) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    bank::categorize(client, transactionId, category, rule, pattern);
    context.environment().syncNow();
    if (context.json)
        return printJson(context,
                         Json{{"transactionId", transactionId}, {"category", category}, {"rule", rule}});
    context.out() << "Categorie '" << category << "' gegeven"
                  << (rule ? "; voortaan krijgen transacties van deze tegenpartij dezelfde categorie.\n"
                           : ".\n");
}

void search(CliContext& context, const std::string& query, bool outgoing) {
    // The service answers an empty search with a bare refusal; say what is missing before asking.
    if (query.find_first_not_of(" \t") == std::string::npos)
        throw InputError(InputError::Kind::missingValue, "Geef een zoekterm op.");
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::vector<bank::BankInvoiceSearchResult> found =
        bank::searchInvoices(client, query, outgoing ? std::optional<std::string>("out") : std::nullopt);
    if (context.json) {
        Json results = Json::array();
        for (const auto& result : found)
            results.push_back(Json{{"id", result.id},
                                   {"invoiceNumber", result.invoiceNumber},
                                   {"customerName", optionalJson(result.customerName)},
                                   {"totalCents", result.totalCents},
                                   {"type", result.type}});
        return printJson(context, Json{{"results", results}});
    }
    if (found.empty()) {
        context.out() << "Geen facturen gevonden voor '" << query << "'.\n";
        return;
    }
    for (const auto& result : found)
        context.out() << column(result.invoiceNumber, 16) << column(result.customerName.value_or(""), 28)
                      << rightColumn(formatEuro(result.totalCents), 14) << "  " << result.id << '\n';
}

void renameAccount(CliContext& context, const std::string& accountId, const std::optional<std::string>& name,
                   const std::optional<std::string>& type) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    bank::updateAccount(client, accountId, name, type);
    context.environment().syncNow();
    if (context.json)
        return printJson(
            context,
            Json{{"accountId", accountId}, {"name", optionalJson(name)}, {"type", optionalJson(type)}});
    context.out() << "Rekening bijgewerkt.\n";
}

void listRules(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const bank::BankRulesResponse answer = bank::rules(client);
    if (context.json) {
        Json rules = Json::array(), suggestions = Json::array();
        for (const auto& rule : answer.rules)
            rules.push_back(Json{{"id", rule.id},
                                 {"counterpartyPattern", rule.counterpartyPattern},
                                 {"counterpartyIban", optionalJson(rule.counterpartyIban)},
                                 {"isInternalTransfer", rule.isInternalTransfer},
                                 {"matchCount", rule.matchCount},
                                 {"createdAt", rule.createdAt}});
        for (const auto& suggestion : answer.suggestions)
            suggestions.push_back(Json{{"type", suggestion.type},
                                       {"label", suggestion.label},
                                       {"description", suggestion.description},
                                       {"pattern", suggestion.pattern},
                                       {"transactionCount", suggestion.transactionCount},
                                       {"enabled", suggestion.enabled}});
        return printJson(context, Json{{"rules", rules}, {"suggestions", suggestions}});
    }
    context.out() << (answer.rules.empty() ? "Nog geen bankregels.\n" : "Bankregels:\n");
    for (const auto& rule : answer.rules)
        context.out() << "  " << column(rule.counterpartyPattern, 32)
                      << column(rule.isInternalTransfer ? "eigen rekening" : "genegeerd", 16)
                      << rule.matchCount << (rule.matchCount == 1 ? " transactie  " : " transacties  ")
                      << rule.id << '\n';
    for (const auto& suggestion : answer.suggestions) {
        if (suggestion.enabled) continue;
        context.out() << "Voorstel: " << suggestion.label << " — " << suggestion.description
                      << " (zet aan met: bank rules activate '" << suggestion.pattern << "')\n";
    }
}

void changeRule(CliContext& context, const std::string& verb, const std::string& argument) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    std::int64_t count = 0;
    if (verb == "add")
        bank::addRule(client, argument);
    else if (verb == "rm")
        bank::deleteRule(client, argument);
    else
        count = bank::activateRule(client, argument);
    context.environment().syncNow();
    if (context.json)
        return printJson(context, verb == "activate" ? Json{{"count", count}} : Json{{verb, argument}});
    if (verb == "add") context.out() << "Regel toegevoegd voor '" << argument << "'.\n";
    if (verb == "rm") context.out() << "Regel verwijderd.\n";
    if (verb == "activate")
        context.out() << "Regel aan: " << count << (count == 1 ? " transactie" : " transacties")
                      << " bijgewerkt.\n";
}

}  // namespace

void addBankRuleCommands(CLI::App& bankCommand, CliContext& context) {
    struct Arguments {
        std::string transaction, category, query, account, argument;
        std::optional<std::string> pattern, name, type;
        bool rule = false, outgoing = false;
    };
    auto args = std::make_shared<Arguments>();
    auto* categorizeCommand =
        bankCommand.add_subcommand("categorize", "Geef een transactie een categorie (vereist verbinding)");
    categorizeCommand->add_option("transaction", args->transaction, "Id van de transactie")->required();
    categorizeCommand->add_option("category", args->category, "De categorie, bijv. zakelijk of prive")
        ->required();
    categorizeCommand->add_flag("--rule", args->rule, "Voortaan dezelfde categorie voor deze tegenpartij");
    categorizeCommand->add_option("--pattern", args->pattern,
                                  "De tegenpartij van de regel (standaard haar naam)");
    categorizeCommand->callback([&context, args] {
        categorize(context, args->transaction, args->category, args->rule, args->pattern);
    });

    auto* searchCommand = bankCommand.add_subcommand(
        "search", "Zoek de factuur bij een transactie op nummer of klant (vereist verbinding)");
    searchCommand->add_option("query", args->query, "Factuurnummer of naam")->required();
    searchCommand->add_flag("--out", args->outgoing, "Inkoopfacturen uit Kvitra, voor een afschrijving");
    searchCommand->callback([&context, args] { search(context, args->query, args->outgoing); });

    auto* accountCommand =
        bankCommand.add_subcommand("account", "Geef een rekening een naam of type (vereist verbinding)");
    accountCommand->add_option("account", args->account, "Id van de rekening")->required();
    accountCommand->add_option("--name", args->name, "De nieuwe naam");
    accountCommand->add_option("--type", args->type, "checking, savings of credit_card");
    accountCommand->callback(
        [&context, args] { renameAccount(context, args->account, args->name, args->type); });

    auto* rulesCommand = bankCommand.add_subcommand(
        "rules", "Toon de bankregels en voorstellen, of voeg toe, verwijder of zet aan (vereist verbinding)");
    rulesCommand->require_subcommand(0, 1);
    for (const auto& [verb, help, what] :
         {std::tuple{"add", "Negeer voortaan een tegenpartij", "Naam of IBAN van de tegenpartij"},
          std::tuple{"rm", "Verwijder een regel", "Id van de regel"},
          std::tuple{"activate", "Zet een voorgestelde regel aan", "Het patroon van het voorstel"}}) {
        auto* sub = rulesCommand->add_subcommand(verb, help);
        sub->add_option("argument", args->argument, what)->required();
        sub->callback(
            [&context, args, verb = std::string(verb)] { changeRule(context, verb, args->argument); });
    }
    rulesCommand->callback([&context, rulesCommand] {
        if (rulesCommand->get_subcommands().empty()) listRules(context);
    });
}

}  // namespace zelvorin::cli
