#include "screens/ErrorMessages.h"

#include <gtest/gtest.h>

#include "sync/SyncDecodingError.h"

namespace zelvorin {
namespace {

template <class Error>
ClassifiedError classified(const Error& error) {
    try {
        throw error;
    } catch (...) {
        return classifyCurrentException();
    }
}

std::string kindName(const ErrorKind& kind) {
    return std::to_string(kind.index()) + "/" +
           std::to_string(std::visit([](auto value) { return static_cast<int>(value); }, kind));
}

TEST(ErrorMessagesTest, EveryKindOfEverySubsystemHasAText) {
    const std::vector<ErrorKind> kinds = allErrorKinds();
    // Each subsystem's kinds are all listed (their enumerators count from 0 without gaps).
    for (std::size_t subsystem = 0; subsystem < std::variant_size_v<ErrorKind>; ++subsystem) {
        int expected = 0;
        for (const ErrorKind& kind : kinds) {
            if (kind.index() != subsystem) continue;
            EXPECT_EQ(std::visit([](auto value) { return static_cast<int>(value); }, kind), expected++)
                << "subsystem " << subsystem;
        }
        EXPECT_GT(expected, 0) << "subsystem " << subsystem << " lists no kinds";
    }
    for (const ErrorKind& kind : kinds)
        EXPECT_FALSE(messageFormat(kind).empty()) << "no text for kind " << kindName(kind);
}

TEST(ErrorMessagesTest, ServiceErrorsReadAsTheSharedRuleWordsThem) {
    const std::string fallback = "(eigen tekst van het scherm)";
    const std::vector<APIError> errors{APIError(APIError::RateLimited{30}),
                                       APIError(APIError::HttpError{500}),
                                       APIError(APIError::Conflict{"Factuur is al verzonden."}),
                                       APIError(APIError::Unauthorized{}),
                                       APIError(APIError::Forbidden{}),
                                       APIError(APIError::NotFound{}),
                                       APIError(APIError::InvalidResponse{})};
    ASSERT_EQ(errors.size(), APIError::allKinds.size());
    for (const APIError& error : errors) {
        const std::string shared = error.userMessage(fallback);
        if (shared != fallback) {
            EXPECT_EQ(errorMessage(classified(error)), shared);
        }
    }
    EXPECT_EQ(errorMessage(classified(APIError(APIError::HttpError{503}))),
              "De dienst weigerde het verzoek (HTTP 503).");
}

TEST(ErrorMessagesTest, ExceptionsAreClassifiedByTheirSubsystemsKind) {
    const ClassifiedError missing = classified(PersistenceError::notFound("Factuur 'f-1'"));
    EXPECT_EQ(missing.kind, ErrorKind(PersistenceError::Kind::notFound));
    EXPECT_EQ(errorMessage(missing), "Factuur 'f-1' staat niet in de lokale database.");

    const ClassifiedError offline =
        classified(TransportError(TransportError::Kind::notConnected, "geweigerd"));
    EXPECT_EQ(errorMessage(offline), "De dienst is niet bereikbaar: geweigerd");
    EXPECT_EQ(classified(SyncDecodingError("changes[0]", "ontbreekt")).kind,
              ErrorKind(SyncError::Kind::invalidBody));
    EXPECT_EQ(classified(LayoutError(LayoutError::Kind::fontUnavailable, "x")).kind,
              ErrorKind(LayoutError::Kind::fontUnavailable));
    EXPECT_EQ(classified(ExtractionError::unreadableDocument()).kind,
              ErrorKind(ExtractionError::Kind::unreadableDocument));
    EXPECT_EQ(errorMessage(
                  classified(InputError(InputError::Kind::missingValue, "Een klant heeft een naam nodig."))),
              "Een klant heeft een naam nodig.");
    EXPECT_EQ(errorMessage(classified(std::logic_error("kapot"))), "Er ging iets mis: kapot");
}

}  // namespace
}  // namespace zelvorin
