#include "app/cli/CliError.h"

#include <exception>
#include <ostream>

#include <nlohmann/json.hpp>

#include "api-client/APIError.h"
#include "api-client/HandoffAuthenticator.h"
#include "persistence/sqlite/SqliteError.h"

namespace zelvorin::cli {

namespace {

struct Failure {
    CliError::Kind kind;
    std::string message;
};

Failure classify() {
    try {
        throw;
    } catch (const CliError& error) {
        return {error.kind(), error.what()};
    } catch (const TransportError& error) {
        return {CliError::Kind::network, std::string("De dienst is niet bereikbaar: ") + error.what()};
    } catch (const APIError& error) {
        if (error.is<APIError::Unauthorized>()) {
            return {
                CliError::Kind::configuration,
                "Je aanmelding is verlopen of ingetrokken. Meld je opnieuw aan met 'zelvorin-cli login'."};
        }
        return {CliError::Kind::failed, error.userMessage("De dienst weigerde het verzoek.")};
    } catch (const HandoffError& error) {
        if (error.kind() == HandoffError::Kind::onboarding) {
            return {CliError::Kind::failed,
                    "Dit account hoort nog bij geen organisatie; rond eerst de onboarding af."};
        }
        if (error.kind() == HandoffError::Kind::cancelled)
            return {CliError::Kind::failed, "Aanmelden afgebroken."};
        return {CliError::Kind::failed, "Aanmelden mislukt: de terugkoppeling van de browser klopt niet."};
    } catch (const SqliteError& error) {
        return {CliError::Kind::storage, std::string("Fout in de lokale database: ") + error.what()};
    } catch (const std::exception& error) {
        return {CliError::Kind::failed, std::string("Er ging iets mis: ") + error.what()};
    } catch (...) {
        return {CliError::Kind::failed, "Er ging iets mis (onbekende fout)."};
    }
}

}  // namespace

int reportFailure(std::ostream& err, bool json) {
    Failure failure = classify();
    if (json) {
        nlohmann::ordered_json body;
        body["error"] = failure.message;
        body["exitCode"] = static_cast<int>(failure.kind);
        err << body.dump() << '\n';
    } else {
        err << "zelvorin-cli: " << failure.message << '\n';
    }
    return static_cast<int>(failure.kind);
}

}  // namespace zelvorin::cli
