#include "app/cli/ExitCodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <nlohmann/json.hpp>

namespace zelvorin::cli {
namespace {

TEST(ExitCodesTest, EveryKindHasAnExitCodeAndAMissingRecordIsFourInEverySubsystem) {
    const std::vector<ErrorKind> notFound{PersistenceError::Kind::notFound, APIError::Kind::notFound};
    for (const ErrorKind& kind : allErrorKinds()) {
        const ExitCode code = exitCode(kind);
        EXPECT_NE(code, ExitCode::success);
        const bool missing = std::find(notFound.begin(), notFound.end(), kind) != notFound.end();
        EXPECT_EQ(code == ExitCode::notFound, missing) << messageFormat(kind);
    }
    for (const CliError::Kind kind : CliError::allKinds) {
        EXPECT_FALSE(messageFormat(kind).empty());
        EXPECT_NE(exitCode(kind), ExitCode::success);
    }
    EXPECT_EQ(exitCode(CliError::Kind::unknownOrganisation), ExitCode::notFound);
    EXPECT_EQ(exitCode(CliError::Kind::fileNotFound), ExitCode::notFound);
}

int reported(const std::exception_ptr& error, bool json, std::string& printed) {
    std::ostringstream err;
    int code = 0;
    try {
        std::rethrow_exception(error);
    } catch (...) {
        code = reportFailure(err, json);
    }
    printed = err.str();
    return code;
}

TEST(ExitCodesTest, AFailureIsReportedOnceAsTextOrAsJson) {
    std::string printed;
    const auto missing = std::make_exception_ptr(PersistenceError::notFound("Klant 'k-9'"));
    EXPECT_EQ(reported(missing, false, printed), 4);
    EXPECT_EQ(printed, "zelvorin-cli: Klant 'k-9' staat niet in de lokale database.\n");
    EXPECT_EQ(reported(missing, true, printed), 4);
    const auto body = nlohmann::json::parse(printed);
    EXPECT_EQ(body["error"], "Klant 'k-9' staat niet in de lokale database.");
    EXPECT_EQ(body["exitCode"], 4);

    const auto signedOut = std::make_exception_ptr(CliError(CliError::Kind::notSignedIn, {}));
    EXPECT_EQ(reported(signedOut, false, printed), 3);
    EXPECT_EQ(printed, "zelvorin-cli: Niet aangemeld. Meld je aan met 'zelvorin-cli login'.\n");
    const auto typed = std::make_exception_ptr(InputError(InputError::Kind::invalidValue, "Ongeldig."));
    EXPECT_EQ(reported(typed, false, printed), 2);
    const auto offline =
        std::make_exception_ptr(TransportError(TransportError::Kind::connectionLost, "reset"));
    EXPECT_EQ(reported(offline, false, printed), 6);
}

}  // namespace
}  // namespace zelvorin::cli
