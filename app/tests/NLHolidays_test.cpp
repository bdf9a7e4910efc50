#include "app/NLHolidays.h"

#include <gtest/gtest.h>

#include <atomic>

#include "api-client/HttpSession.h"
#include "api-client/tests/LoopbackServer.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

// A public-holiday service on loopback that counts its requests and answers what the test sets.
class NLHolidaysTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.server.Get(R"(/api/v3/publicholidays/(\d+)/NL)", [this](const httplib::Request& request,
                                                                       httplib::Response& response) {
            ++requests;
            response.status = status;
            response.set_content(body.empty() ? answerFor(request.matches[1]) : body, "application/json");
        });
        server.start();
    }

    static std::string answerFor(const std::string& year) {
        return R"([{"date":")" + year +
               R"(-04-06","localName":"Tweede Paasdag","name":"Easter Monday","types":["Public"]},
                   {"date":")" +
               year + R"(-04-03","localName":"Goede Vrijdag","name":"Good Friday","types":["Observance"]},
                   {"date":")" +
               year + R"(-12-31","localName":"Oudjaar","name":"Bank closing","types":["Optional","Bank"]}])";
    }

    NLHolidays holidays() { return NLHolidays(session, BaseUrl::parse(server.baseURL()), clock); }

    testing::LoopbackServer server;
    std::atomic<int> requests{0};
    std::atomic<int> status{200};
    std::string body;
    std::shared_ptr<HttpSession> session = std::make_shared<HttpSession>("test");
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(sys_days{2026y / 3 / 16});
};

TEST_F(NLHolidaysTest, KeepsPublicAndBankDaysAndFetchesAYearOnceAWeek) {
    NLHolidays provider = holidays();
    const std::vector<NLHolidayRecord> expected{{"2026-04-06", "Tweede Paasdag"}, {"2026-12-31", "Oudjaar"}};
    EXPECT_EQ(provider.records(2026), expected);
    clock->advance(hours{24 * 7} - seconds{1});
    EXPECT_EQ(provider.records(2026), expected);
    EXPECT_EQ(requests, 1);

    // Stale after seven days: fetched again, and when that fails the old records still answer.
    clock->advance(seconds{1});
    status = 503;
    EXPECT_EQ(provider.records(2026), expected);
    EXPECT_EQ(requests, 2);
    status = 200;
    EXPECT_EQ(provider.records(2026), expected);
    EXPECT_EQ(requests, 3);
}

TEST_F(NLHolidaysTest, AFailureIsNotCachedAndABodyThatDoesNotFitIsAFailure) {
    NLHolidays provider = holidays();
    body = R"([{"date":"2027-04-06","name":"Easter Monday","types":["Public"]}])";  // no localName
    EXPECT_TRUE(provider.records(2027).empty());
    body = R"({"error":"niet hier"})";
    EXPECT_TRUE(provider.records(2027).empty());
    body.clear();
    EXPECT_EQ(provider.records(2027).size(), 2u);
    EXPECT_EQ(requests, 3);

    NLHolidays offline(session, std::nullopt, clock);
    EXPECT_TRUE(offline.records(2027).empty());
    NLHolidays unreachable(session, BaseUrl::parse("http://127.0.0.1:1/"), clock);
    EXPECT_TRUE(unreachable.records(2027).empty());
}

}  // namespace
}  // namespace zelvorin
