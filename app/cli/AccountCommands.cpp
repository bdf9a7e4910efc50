#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "api-client/AccountAPI.h"
#include "api-client/CommandLineHandoff.h"
#include "api-client/HandoffAuthenticator.h"
#include "app/cli/CliError.h"
#include "app/cli/Commands.h"

namespace zelvorin::cli {

namespace {

using Json = nlohmann::ordered_json;

// The claims of the stored access token, read without checking: the service checks them.
nlohmann::json tokenClaims(const std::string& accessToken) {
    const std::size_t first = accessToken.find('.');
    const std::size_t second = accessToken.find('.', first + 1);
    if (first == std::string::npos || second == std::string::npos) return nlohmann::json::object();
    const std::optional<std::string> payload =
        base64UrlDecode(accessToken.substr(first + 1, second - first - 1));
    if (!payload) return nlohmann::json::object();
    const nlohmann::json claims = nlohmann::json::parse(*payload, nullptr, false);
    return claims.is_object() ? claims : nlohmann::json::object();
}

std::string claim(const nlohmann::json& claims, const char* key) {
    const auto found = claims.find(key);
    return found != claims.end() && found->is_string() ? found->get<std::string>() : std::string("?");
}

void login(CliContext& context, bool automatic, const std::string& email) {
    AppEnvironment& environment = context.environment();
    HandoffAuthenticator authenticator(
        {environment.baseURL().text(), environment.deviceId(), "linux", kAppVersion, std::nullopt},
        context.apiClient());
    std::optional<TokenPair> pair;
    if (automatic) {
        AutoBrowserHandoff browser(context.httpSession(), email);
        pair = authenticator.signIn(browser);
    } else {
        PrintingBrowserHandoff browser(context.err(), std::cin);
        pair = authenticator.signIn(browser);
    }
    const nlohmann::json claims = tokenClaims(pair->accessToken);
    if (context.json) {
        context.out() << Json{{"signedIn", true},
                              {"userId", claim(claims, "sub")},
                              {"organizationId", claim(claims, "org")},
                              {"deviceId", environment.deviceId()}}
                             .dump(2)
                      << '\n';
        return;
    }
    context.out() << "Aangemeld op dit apparaat (" << environment.deviceId() << ").\n";
}

void logout(CliContext& context) {
    const bool wasSignedIn = context.tokenStore()->load().has_value();
    context.tokenStore()->clear();
    if (context.json) {
        context.out() << Json{{"signedIn", false}, {"wasSignedIn", wasSignedIn}}.dump(2) << '\n';
        return;
    }
    context.out() << (wasSignedIn ? "Afgemeld.\n" : "Je was niet aangemeld.\n");
}

void whoami(CliContext& context) {
    context.requireSignedIn();
    AccountAPI account(context.apiClient());
    const std::vector<OrgMembership> memberships = account.memberships();
    // Read after the call: a refresh on the way may have replaced the pair.
    const nlohmann::json claims = tokenClaims(context.requireSignedIn().accessToken);
    std::optional<OrgMembership> current;
    for (const OrgMembership& membership : memberships) {
        if (membership.isCurrent) current = membership;
    }
    if (context.json) {
        Json body{{"userId", claim(claims, "sub")}, {"deviceId", claim(claims, "did")}};
        body["organizationId"] = current ? current->organizationId : claim(claims, "org");
        body["organizationName"] = current ? Json(current->name) : Json(nullptr);
        body["role"] = current ? Json(current->role) : Json(nullptr);
        context.out() << body.dump(2) << '\n';
        return;
    }
    context.out() << "Gebruiker:    " << claim(claims, "sub") << '\n'
                  << "Organisatie:  "
                  << (current ? current->name + " (" + current->organizationId + ")" : claim(claims, "org"))
                  << '\n'
                  << "Rol:          " << (current ? current->role : std::string("?")) << '\n'
                  << "Apparaat:     " << claim(claims, "did") << '\n';
}

void organisations(CliContext& context) {
    context.requireSignedIn();
    const std::vector<OrgMembership> memberships = AccountAPI(context.apiClient()).memberships();
    if (context.json) {
        Json list = Json::array();
        for (const OrgMembership& membership : memberships) {
            list.push_back({{"organizationId", membership.organizationId},
                            {"name", membership.name},
                            {"role", membership.role},
                            {"isCurrent", membership.isCurrent}});
        }
        context.out() << Json{{"organizations", std::move(list)}}.dump(2) << '\n';
        return;
    }
    for (const OrgMembership& membership : memberships) {
        context.out() << (membership.isCurrent ? "* " : "  ") << membership.organizationId << "  "
                      << membership.name << " (" << membership.role << ")\n";
    }
}

void switchOrganisation(CliContext& context, const std::string& organizationId) {
    context.requireSignedIn();
    AccountAPI account(context.apiClient());
    bool known = false;
    for (const OrgMembership& membership : account.memberships())
        known = known || membership.organizationId == organizationId;
    if (!known) {
        throw CliError(CliError::Kind::unknownOrganisation, organizationId);
    }
    const SwitchOrgResponse switched = account.switchOrganization(organizationId);
    if (context.json) {
        context.out() << Json{{"organizationId", switched.organizationId},
                              {"requiresLocalWipe", switched.requiresLocalWipe}}
                             .dump(2)
                      << '\n';
        return;
    }
    context.out() << "Overgestapt naar organisatie " << switched.organizationId << ".\n";
    if (switched.requiresLocalWipe)
        context.out() << "De lokale gegevens van de vorige organisatie horen gewist te worden.\n";
}

}  // namespace

void addAccountCommands(CLI::App& app, CliContext& context) {
    auto* loginCommand = app.add_subcommand("login", "Meld dit apparaat aan via de browser");
    auto automatic = std::make_shared<bool>(false);
    auto email = std::make_shared<std::string>();
    loginCommand->add_flag("--auto", *automatic,
                           "Meld zonder browser aan bij de lokale dienst (ontwikkeling)");
    loginCommand->add_option("--email", *email, "Account voor --auto (standaard het eerste)");
    loginCommand->callback([&context, automatic, email] { login(context, *automatic, *email); });

    app.add_subcommand("logout", "Meld dit apparaat af")->callback([&context] { logout(context); });
    app.add_subcommand("whoami", "Toon gebruiker, organisatie en apparaat")->callback([&context] {
        whoami(context);
    });
    app.add_subcommand("orgs", "Toon je organisaties")->callback([&context] { organisations(context); });

    auto* switchCommand = app.add_subcommand("switch-org", "Stap over naar een andere organisatie");
    auto organizationId = std::make_shared<std::string>();
    switchCommand->add_option("ID", *organizationId, "Id van de organisatie")->required();
    switchCommand->callback([&context, organizationId] { switchOrganisation(context, *organizationId); });
}

}  // namespace zelvorin::cli
