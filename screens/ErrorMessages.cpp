#include "screens/ErrorMessages.h"

#include <exception>

#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {
namespace {

std::string_view format(PersistenceError::Kind kind) {
    switch (kind) {
        case PersistenceError::Kind::notFound:
            return "{} staat niet in de lokale database.";
        case PersistenceError::Kind::invalidInput:
            return "{}";
        case PersistenceError::Kind::conflict:
            return "De lokale database weigerde de wijziging: {}";
        case PersistenceError::Kind::databaseBusy:
            return "De lokale database is bezig voor een ander programma. Probeer het zo opnieuw.";
        case PersistenceError::Kind::diskFull:
            return "De schijf is vol; er is niets opgeslagen. Maak ruimte vrij en probeer het opnieuw.";
        case PersistenceError::Kind::databaseUnavailable:
            return "Fout in de lokale database: {}";
    }
    return {};
}

// The texts of rate limits, expired sessions and conflicts are the ones APIError::userMessage
// gives (a test holds them together).
std::string_view format(APIError::Kind kind) {
    switch (kind) {
        case APIError::Kind::rateLimited:
            return "Te veel verzoeken. Wacht even en probeer opnieuw.";
        case APIError::Kind::httpError:
            return "De dienst weigerde het verzoek (HTTP {}).";
        case APIError::Kind::conflict:
            return "{}";
        case APIError::Kind::unauthorized:
            return "Je sessie is verlopen. Log opnieuw in.";
        case APIError::Kind::forbidden:
            return "Je hebt binnen deze organisatie geen toegang tot dit onderdeel.";
        case APIError::Kind::notFound:
            return "De dienst kent het gevraagde niet (meer).";
        case APIError::Kind::invalidResponse:
            return "De dienst gaf een antwoord dat niet te lezen is.";
    }
    return {};
}

std::string_view format(TransportError::Kind kind) {
    switch (kind) {
        case TransportError::Kind::notConnected:
            return "De dienst is niet bereikbaar: {}";
        case TransportError::Kind::connectionLost:
            return "De dienst is niet bereikbaar: de verbinding viel weg ({}).";
        case TransportError::Kind::other:
            return "De dienst is niet bereikbaar: {}";
    }
    return {};
}

std::string_view format(HandoffError::Kind kind) {
    switch (kind) {
        case HandoffError::Kind::onboarding:
            return "Dit account hoort nog bij geen organisatie; rond eerst de onboarding af.";
        case HandoffError::Kind::invalidCallback:
            return "Aanmelden mislukt: de terugkoppeling van de browser klopt niet.";
        case HandoffError::Kind::deviceMismatch:
            return "Aanmelden mislukt: de terugkoppeling van de browser hoort bij een ander apparaat.";
        case HandoffError::Kind::cancelled:
            return "Aanmelden afgebroken.";
        case HandoffError::Kind::presentationFailed:
            return "Aanmelden mislukt: er kon geen browser worden geopend.";
    }
    return {};
}

std::string_view format(SyncError::Kind kind) {
    switch (kind) {
        case SyncError::Kind::rateLimited:
            return "Te veel verzoeken. Wacht even en probeer opnieuw.";
        case SyncError::Kind::invalidBody:
            return "De dienst stuurde gegevens die niet te lezen zijn ({}).";
        case SyncError::Kind::pageLimitExceeded:
            return "De synchronisatie is gestopt: de dienst bleef nieuwe pagina's aankondigen.";
    }
    return {};
}

std::string_view format(LayoutError::Kind kind) {
    switch (kind) {
        case LayoutError::Kind::invalidDocument:
        case LayoutError::Kind::fontUnavailable:
        case LayoutError::Kind::invalidRequest:
            return "De factuur kon niet worden opgemaakt: {}";
        case LayoutError::Kind::outputFailed:
            return "Het document kon niet worden gemaakt: {}";
    }
    return {};
}

std::string_view format(ExtractionError::Kind kind) {
    switch (kind) {
        case ExtractionError::Kind::lowConfidence:
            return "De bon is te onzeker gelezen om over te nemen.";
        case ExtractionError::Kind::modelUnavailable:
            return "Het taalmodel is niet beschikbaar.";
        case ExtractionError::Kind::unreadableDocument:
            return "Het bestand is geen leesbare PDF, JPEG of PNG, of er staat geen tekst op.";
    }
    return {};
}

std::string_view format(LanguageModelError::Kind kind) {
    switch (kind) {
        case LanguageModelError::Kind::serverFailed:
        case LanguageModelError::Kind::unusableAnswer:
            return "{}";
    }
    return {};
}

// The screens word their own validation texts.
std::string_view format(InputError::Kind kind) {
    switch (kind) {
        case InputError::Kind::invalidValue:
        case InputError::Kind::unknownField:
        case InputError::Kind::missingValue:
            return "{}";
    }
    return {};
}

std::string_view format(UnexpectedError kind) {
    switch (kind) {
        case UnexpectedError::unexpected:
            return "Er ging iets mis: {}";
    }
    return {};
}

std::string apiDetail(const APIError& error) {
    if (const auto* conflict = std::get_if<APIError::Conflict>(&error.value())) return conflict->message;
    if (const auto* http = std::get_if<APIError::HttpError>(&error.value()))
        return std::to_string(http->status);
    return {};
}

template <class Kinds>
void append(std::vector<ErrorKind>& all, const Kinds& kinds) {
    all.insert(all.end(), kinds.begin(), kinds.end());
}

}  // namespace

ClassifiedError classifyCurrentException() {
    try {
        throw;
    } catch (const PersistenceError& error) {
        return {error.kind(), error.detail()};
    } catch (const SqliteError& error) {
        return {persistenceErrorKind(error), error.what()};
    } catch (const InputError& error) {
        return {error.kind(), error.what()};
    } catch (const TransportError& error) {
        return {error.kind(), error.what()};
    } catch (const APIError& error) {
        return {error.kind(), apiDetail(error)};
    } catch (const HandoffError& error) {
        return {error.kind(), {}};
    } catch (const SyncError& error) {
        return {error.kind(), error.what()};
    } catch (const LayoutError& error) {
        return {error.kind(), error.what()};
    } catch (const ExtractionError& error) {
        return {error.kind(), {}};
    } catch (const LanguageModelError& error) {
        return {error.kind(), error.what()};
    } catch (const std::exception& error) {
        return {UnexpectedError::unexpected, error.what()};
    } catch (...) {
        return {UnexpectedError::unexpected, "onbekende fout"};
    }
}

std::string_view messageFormat(const ErrorKind& kind) {
    return std::visit([](auto value) { return format(value); }, kind);
}

std::string errorMessage(const ClassifiedError& error) {
    return withDetail(messageFormat(error.kind), error.detail);
}

std::string withDetail(std::string_view format, const std::string& detail) {
    std::string text(format);
    if (const std::size_t slot = text.find("{}"); slot != std::string::npos) text.replace(slot, 2, detail);
    return text;
}

std::vector<ErrorKind> allErrorKinds() {
    std::vector<ErrorKind> all;
    append(all, PersistenceError::allKinds);
    append(all, APIError::allKinds);
    append(all, TransportError::allKinds);
    append(all, HandoffError::allKinds);
    append(all, SyncError::allKinds);
    append(all, LayoutError::allKinds);
    append(all, ExtractionError::allKinds);
    append(all, LanguageModelError::allKinds);
    append(all, InputError::allKinds);
    all.emplace_back(UnexpectedError::unexpected);
    return all;
}

}  // namespace zelvorin
