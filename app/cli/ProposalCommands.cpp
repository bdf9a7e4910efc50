#include <algorithm>
#include <memory>
#include <ostream>

#include "api-client/ProposalActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace proposalrecords;

struct ProposalOptions {
    std::string id;
    std::string title;
    std::string contactId;
    std::string templateId;
    std::string action;
    std::string type = "unsigned";
    std::string recipientId;
};

// The action travels inside a body written as text without escaping: a plain word only.
void requirePlainWord(const std::string& action) {
    const bool plain = !action.empty() && std::all_of(action.begin(), action.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || c == '_' || c == '-';
    });
    if (!plain)
        throw InputError(InputError::Kind::invalidValue,
                         "Actie '" + action + "': gebruik één woord in kleine letters, bijv. archive.");
}

template <class Call>
auto withClient(CliContext& context, Call call) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    return call(client);
}

void printDone(CliContext& context, const Json& done, const std::string& text) {
    if (context.json) return printJson(context, done);
    context.out() << text << '\n';
}

void printTimeline(CliContext& context, const std::vector<ProposalTimelineItem>& items) {
    if (context.json) {
        Json list = Json::array();
        for (const ProposalTimelineItem& item : items)
            list.push_back(item.toJson());
        return printJson(context, list);
    }
    for (const ProposalTimelineItem& item : items)
        context.out() << item.ts << "  " << column(item.kind, 16) << item.description << '\n';
}

void printStats(CliContext& context, const ProposalStats& stats) {
    if (context.json) return printJson(context, stats.toJson());
    context.out() << "Geopend: " << stats.totalOpens << " keer door " << stats.uniqueRecipients
                  << " ontvangers\n"
                  << "Laatst bekeken: " << stats.lastViewedAt.value_or("nooit") << '\n'
                  << "Gedeelde links: " << stats.sharedCount << '\n';
}

}  // namespace

void addProposalCommands(CLI::App& app, CliContext& context) {
    auto* proposals = app.add_subcommand("proposals", "Offertes (vereist verbinding)");
    proposals->require_subcommand(1);
    auto options = std::make_shared<ProposalOptions>();
    const auto withId = [&](CLI::App* command) {
        command->add_option("id", options->id, "Id van de offerte")->required();
        return command;
    };

    proposals->add_subcommand("list", "De sjablonen om een offerte mee te beginnen")->callback([&context] {
        const auto templates =
            withClient(context, [](SyncAPIClient& client) { return proposalactions::templates(client); });
        if (context.json) {
            Json list = Json::array();
            for (const ProposalTemplateSummary& summary : templates)
                list.push_back(summary.toJson());
            return printJson(context, Json{{"templates", std::move(list)}});
        }
        if (templates.empty()) context.out() << "Geen offertesjablonen.\n";
        for (const ProposalTemplateSummary& summary : templates)
            context.out() << column(summary.name, 30) << summary.id << '\n';
    });
    auto* create = proposals->add_subcommand("new", "Een offerte maken vanuit een sjabloon");
    create->add_option("--title", options->title, "Titel")->required();
    create->add_option("--contact", options->contactId, "Id van de klant")->required();
    create->add_option("--template", options->templateId, "Id van het sjabloon")->required();
    create->callback([&context, options] {
        const std::string id = withClient(context, [&](SyncAPIClient& client) {
            return proposalactions::create(client, options->title, options->contactId, options->templateId);
        });
        printDone(context, Json{{"id", id}}, "Offerte aangemaakt: " + id);
    });
    auto* action = withId(
        proposals->add_subcommand("action", "Een actie op een offerte (archive, unarchive, withdraw)"));
    action->add_option("action", options->action, "De actie")->required();
    action->callback([&context, options] {
        requirePlainWord(options->action);
        withClient(context, [&](SyncAPIClient& client) {
            proposalactions::applyAction(client, options->id, options->action);
            return 0;
        });
        printDone(context, Json{{"id", options->id}, {"action", options->action}},
                  "Gedaan: " + options->action + ".");
    });
    withId(proposals->add_subcommand("rm", "Een offerte verwijderen"))->callback([&context, options] {
        withClient(context, [&](SyncAPIClient& client) {
            proposalactions::remove(client, options->id);
            return 0;
        });
        printDone(context, Json{{"removed", options->id}}, "Offerte verwijderd.");
    });
    withId(proposals->add_subcommand("timeline", "Wat er met een offerte gebeurde"))
        ->callback([&context, options] {
            printTimeline(context, withClient(context, [&](SyncAPIClient& client) {
                              return proposalactions::timeline(client, options->id);
                          }));
        });
    withId(proposals->add_subcommand("stats", "Hoe vaak een offerte bekeken is"))
        ->callback([&context, options] {
            printStats(context, withClient(context, [&](SyncAPIClient& client) {
                           return proposalactions::stats(client, options->id);
                       }));
        });
    auto* remind = withId(proposals->add_subcommand("remind", "Ontvangers herinneren"));
    remind->add_option("--type", options->type, "unsigned of unviewed (standaard unsigned)");
    remind->callback([&context, options] {
        if (options->type != "unsigned" && options->type != "unviewed")
            throw InputError(InputError::Kind::invalidValue,
                             "--type '" + options->type + "': kies unsigned of unviewed.");
        const ProposalRemindResponse reminded = withClient(context, [&](SyncAPIClient& client) {
            return proposalactions::remind(client, options->id, options->type);
        });
        if (context.json) return printJson(context, reminded.toJson());
        context.out() << reminded.sent << " van " << reminded.total << " herinnerd, " << reminded.failed
                      << " mislukt.\n";
    });
    auto* resend = withId(proposals->add_subcommand("resend-invite", "Een ontvanger opnieuw uitnodigen"));
    resend->add_option("recipient", options->recipientId, "Id van de ontvanger")->required();
    resend->callback([&context, options] {
        withClient(context, [&](SyncAPIClient& client) {
            proposalactions::resendInvite(client, options->id, options->recipientId);
            return 0;
        });
        printDone(context, Json{{"resent", options->recipientId}}, "Uitnodiging opnieuw verstuurd.");
    });
    withId(proposals->add_subcommand("send", "Een offerte naar de ontvangers sturen"))
        ->callback([&context, options] {
            const std::string status = withClient(
                context, [&](SyncAPIClient& client) { return proposalactions::send(client, options->id); });
            printDone(context, Json{{"id", options->id}, {"status", status}},
                      "Offerte verstuurd (" + status + ").");
        });
}

}  // namespace zelvorin::cli
