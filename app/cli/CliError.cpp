#include "app/cli/CliError.h"

#include <exception>
#include <ostream>

#include <nlohmann/json.hpp>

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
