#include "app/cli/ExitCodes.h"

namespace zelvorin::cli {
namespace {

ExitCode codeOf(PersistenceError::Kind kind) {
    switch (kind) {
        case PersistenceError::Kind::notFound:
            return ExitCode::notFound;
        case PersistenceError::Kind::invalidInput:
            return ExitCode::usage;
        case PersistenceError::Kind::conflict:
        case PersistenceError::Kind::databaseBusy:
        case PersistenceError::Kind::diskFull:
        case PersistenceError::Kind::databaseUnavailable:
            return ExitCode::storage;
    }
    return ExitCode::failed;
}

ExitCode codeOf(APIError::Kind kind) {
    switch (kind) {
        case APIError::Kind::unauthorized:
            return ExitCode::configuration;
        case APIError::Kind::notFound:
            return ExitCode::notFound;
        case APIError::Kind::rateLimited:
        case APIError::Kind::httpError:
        case APIError::Kind::conflict:
        case APIError::Kind::forbidden:
        case APIError::Kind::invalidResponse:
            return ExitCode::failed;
    }
    return ExitCode::failed;
}

ExitCode codeOf(TransportError::Kind) {
    return ExitCode::network;
}

ExitCode codeOf(LanguageModelError::Kind) {
    return ExitCode::network;
}

ExitCode codeOf(InputError::Kind) {
    return ExitCode::usage;
}

// Sign-in, sync, layout and reading failures, and whatever else: the command failed.
template <class Kind>
ExitCode codeOf(Kind) {
    return ExitCode::failed;
}

}  // namespace

ExitCode exitCode(const ErrorKind& kind) {
    return std::visit([](auto value) { return codeOf(value); }, kind);
}

ExitCode exitCode(CliError::Kind kind) {
    switch (kind) {
        case CliError::Kind::invalidBaseUrl:
        case CliError::Kind::notSignedIn:
            return ExitCode::configuration;
        case CliError::Kind::unknownOrganisation:
        case CliError::Kind::fileNotFound:
            return ExitCode::notFound;
        case CliError::Kind::fileNotWritable:
            return ExitCode::storage;
        case CliError::Kind::signInNoConnection:
        case CliError::Kind::switchNoConnection:
            return ExitCode::network;
        case CliError::Kind::signInFailed:
        case CliError::Kind::noOrganisation:
        case CliError::Kind::switchRefused:
        case CliError::Kind::switchFailed:
            return ExitCode::failed;
        case CliError::Kind::notAZelvorinLink:
            return ExitCode::usage;
        case CliError::Kind::noUpdateFeed:
            return ExitCode::configuration;
        case CliError::Kind::needsConnection:
            return ExitCode::network;
    }
    return ExitCode::failed;
}

std::string_view messageFormat(CliError::Kind kind) {
    switch (kind) {
        case CliError::Kind::invalidBaseUrl:
            return "Het adres van de dienst (ZELVORIN_BASE_URL) is ongeldig: '{}'.";
        case CliError::Kind::notSignedIn:
            return "Niet aangemeld. Meld je aan met 'zelvorin-cli login'.";
        case CliError::Kind::unknownOrganisation:
            return "Onbekende organisatie '{}': je bent er geen lid van ('zelvorin-cli orgs' toont ze).";
        case CliError::Kind::fileNotFound:
            return "Het bestand {} kon niet worden geopend.";
        case CliError::Kind::fileNotWritable:
            return "Het bestand {} kon niet worden geschreven.";
        case CliError::Kind::signInNoConnection:
        case CliError::Kind::signInFailed:
            return "{}";
        case CliError::Kind::noOrganisation:
            return "Dit account heeft nog geen organisatie: maak er eerst een aan in de app.";
        case CliError::Kind::notAZelvorinLink:
            return "Dit is geen zelvorin-link.";
        case CliError::Kind::switchRefused:
            return "De dienst staat het wisselen naar deze organisatie niet toe.";
        case CliError::Kind::switchNoConnection:
            return "Geen verbinding. Controleer je internet en probeer het opnieuw.";
        case CliError::Kind::switchFailed:
            return "Wisselen van organisatie is niet gelukt. Probeer het opnieuw.";
        case CliError::Kind::noUpdateFeed:
            return "Er is geen updatefeed ingesteld (ZELVORIN_APPCAST_URL of updateFeedURL).";
        case CliError::Kind::needsConnection:
            return "{}";
    }
    return {};
}

}  // namespace zelvorin::cli
