#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "api-client/AccountAPI.h"
#include "api-client/CommandLineHandoff.h"
#include "api-client/HandoffAuthenticator.h"
#include "app/LoginFailure.h"
#include "app/cli/CliError.h"
#include "app/cli/Commands.h"

namespace zelvorin::cli {

namespace {

using Json = nlohmann::ordered_json;

// The claims of the stored access token, read without checking: the service checks them.
nlohmann::json tokenClaims(const std::string& accessToken) {
    return accessTokenClaims(accessToken).value_or(nlohmann::json::object());
}

std::string claim(const nlohmann::json& claims, const char* key) {
    const auto found = claims.find(key);
    return found != claims.end() && found->is_string() ? found->get<std::string>() : std::string("?");
}

// The CLI's login only signs in: syncing is the "sync" command's job, so that scripts (and the
// crash tests) decide when the first pull runs.

// A failed sign-in as the CLI's error: the login screen's text, the exit code of its kind.
[[noreturn]] void throwLoginFailure(const LoginFailure& failure) {
    const CliError::Kind kind = failure.reason == LoginFailure::Reason::network
                                    ? CliError::Kind::signInNoConnection
                                    : CliError::Kind::signInFailed;
    throw CliError(kind, failure.message);
}

void printSignedIn(CliContext& context) {
    AppEnvironment& environment = context.environment();
    const nlohmann::json claims = tokenClaims(context.tokenStore()->load().value_or(TokenPair{}).accessToken);
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

void login(CliContext& context, bool automatic, const std::string& email) {
    AppEnvironment& environment = context.environment();
    bool signedIn = false;
    if (automatic) {
        AutoBrowserHandoff browser(context.httpSession(), email);
        signedIn = environment.signIn(browser, AppEnvironment::AfterSignIn::nothing);
    } else {
        PrintingBrowserHandoff browser(context.err(), std::cin);
        signedIn = environment.signIn(browser, AppEnvironment::AfterSignIn::nothing);
    }
    if (!signedIn) {
        if (const auto failure = environment.loginError()) throwLoginFailure(*failure);
        if (environment.sessionState() == SessionState::onboarding)
            throw CliError(CliError::Kind::noOrganisation, {});
    }
    printSignedIn(context);
}

// A "zelvorin://" link as the desktop's scheme handler gets it: a sign-in callback or onboarding.
void openUrl(CliContext& context, const std::string& url) {
    AppEnvironment& environment = context.environment();
    if (!environment.handleOpenURL(url, AppEnvironment::AfterSignIn::nothing)) {
        if (const auto failure = environment.loginError()) throwLoginFailure(*failure);
        throw CliError(CliError::Kind::notAZelvorinLink, {});
    }
    if (environment.sessionState() == SessionState::onboarding) {
        context.out() << (context.json ? Json{{"sessionState", "onboarding"}}.dump(2)
                                       : std::string("Onboarding gestart."))
                      << '\n';
        return;
    }
    printSignedIn(context);
}

void logout(CliContext& context) {
    AppEnvironment& environment = context.environment();
    const bool wasSignedIn = context.tokenStore()->load().has_value();
    environment.signOut();
    if (context.json) {
        context.out() << Json{{"signedIn", false},
                              {"wasSignedIn", wasSignedIn},
                              {"deviceId", environment.deviceId()}}
                             .dump(2)
                      << '\n';
        return;
    }
    context.out() << (wasSignedIn ? "Afgemeld. De lokale gegevens van deze sessie zijn gewist.\n"
                                  : "Je was niet aangemeld. De lokale gegevens zijn gewist.\n");
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
    AppEnvironment& environment = context.environment();
    bool known = false;
    for (const OrgMembership& membership : AccountAPI(context.apiClient()).memberships())
        known = known || membership.organizationId == organizationId;
    if (!known) {
        throw CliError(CliError::Kind::unknownOrganisation, organizationId);
    }
    const AppEnvironment::SwitchOutcome outcome = environment.switchOrganization(organizationId);
    environment.stop();
    switch (outcome) {
        case AppEnvironment::SwitchOutcome::switched:
            break;
        case AppEnvironment::SwitchOutcome::refused:
            throw CliError(CliError::Kind::switchRefused, {});
        case AppEnvironment::SwitchOutcome::noConnection:
            throw CliError(CliError::Kind::switchNoConnection, {});
        case AppEnvironment::SwitchOutcome::failed:
            throw CliError(CliError::Kind::switchFailed, {});
    }
    const std::string current = claim(tokenClaims(context.tokenStore()->load()->accessToken), "org");
    if (context.json) {
        context.out() << Json{{"organizationId", current},
                              {"requiresLocalWipe", true},
                              {"sessionState", std::string(rawValue(environment.sessionState()))},
                              {"syncStatus", describe(environment.syncStatus())}}
                             .dump(2)
                      << '\n';
        return;
    }
    context.out() << "Overgestapt naar organisatie " << current << ".\n"
                  << "De lokale gegevens van de vorige organisatie zijn gewist; alles is opnieuw opgehaald ("
                  << describe(environment.syncStatus()) << ").\n";
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

    auto* openCommand =
        app.add_subcommand("open-url", "Verwerk een zelvorin://-link (aanmelden, onboarding)");
    auto url = std::make_shared<std::string>();
    openCommand->add_option("URL", *url, "De link")->required();
    openCommand->callback([&context, url] { openUrl(context, *url); });
}

}  // namespace zelvorin::cli
