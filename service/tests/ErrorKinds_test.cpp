#include "service/http/ErrorKinds.h"

#include <gtest/gtest.h>

#include <set>

namespace zelvorin::service {
namespace {

// A kind added without its entry would be answered as an internal error with the wrong text.
TEST(ErrorKindsTest, EveryKindHasItsOwnStatusAndADutchText) {
    std::set<int> statuses;
    for (int raw = 0; raw <= static_cast<int>(kLastErrorKind); ++raw) {
        const auto kind = static_cast<ErrorKind>(raw);
        const std::optional<ErrorAnswer> answer = errorAnswer(kind);
        ASSERT_TRUE(answer.has_value()) << "kind " << raw << " has no entry in the error table";
        EXPECT_GE(answer->status, 400);
        EXPECT_LE(answer->status, 599);
        EXPECT_TRUE(statuses.insert(answer->status).second) << "status " << answer->status << " twice";
        EXPECT_TRUE(answer->fallbackText.ends_with(".")) << answer->fallbackText;
        EXPECT_EQ(ServiceError(kind).httpStatus(), answer->status);
        EXPECT_EQ(std::string(ServiceError(kind).what()), answer->fallbackText);
    }
    EXPECT_EQ(errorAnswers().size(), statuses.size());
}

TEST(ErrorKindsTest, StatusesNoKindExplainsGetAGenericText) {
    EXPECT_EQ(fallbackTextForStatus(404), "Niet gevonden.");
    EXPECT_EQ(fallbackTextForStatus(418), "Het verzoek is mislukt.");
    EXPECT_EQ(fallbackTextForStatus(502), "Interne fout in de service.");
}

}  // namespace
}  // namespace zelvorin::service
