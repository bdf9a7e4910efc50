#include "service/CommandLine.h"

#include <gtest/gtest.h>

#include "domain/Timestamps.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

constexpr year_month_day kToday = 2025y / March / 3;

ServiceOptions parse(const std::vector<std::string>& arguments) {
    return parseCommandLine(arguments, kToday);
}

int exitCodeOf(const std::vector<std::string>& arguments) {
    try {
        parse(arguments);
    } catch (const CommandLineError& error) {
        return error.exitCode();
    }
    return -1;
}

TEST(CommandLineTest, ReadsEveryOption) {
    const ServiceOptions options =
        parse({"--port", "8123", "--data", "/tmp/x", "--seed", "demo", "--seed-date", "2024-02-29"});
    EXPECT_EQ(options.port, 8123);
    EXPECT_EQ(options.dataDir, "/tmp/x");
    EXPECT_TRUE(options.seedDemo);
    EXPECT_EQ(options.seedDate, 2024y / February / 29);

    const ServiceOptions plain = parse({"--data", "d", "--port", "0"});
    EXPECT_FALSE(plain.seedDemo);
    EXPECT_EQ(plain.seedDate, kToday);
    EXPECT_EQ(plain.accessTokenLifetime, 900);
    EXPECT_EQ(parse({"--data", "d", "--port", "0", "--access-token-lifetime", "0"}).accessTokenLifetime, 0);
    EXPECT_FALSE(plain.fixedNow);
    const ServiceOptions fixed = parse({"--data", "d", "--port", "0", "--now", "2026-03-16T11:00:00+01:00"});
    ASSERT_TRUE(fixed.fixedNow);
    EXPECT_EQ(formatTimestampSeconds(*fixed.fixedNow), "2026-03-16T10:00:00Z");
}

TEST(CommandLineTest, RefusesWhatItCannotUse) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--port", "abc", "--data", "d"},
             {"--port", "65536", "--data", "d"},
             {"--port", "-1", "--data", "d"},
             {"--port", "80x", "--data", "d"},
             {"--port", "0"},
             {"--port", "0", "--data", "d", "--seed", "full"},
             {"--port", "0", "--data", "d", "--seed-date", "2025-02-29"},
             {"--port", "0", "--data", "d", "--verbose"},
             {"--port", "0", "--data", "d", "--access-token-lifetime", "-5"},
             {"--port", "0", "--data", "d", "--access-token-lifetime", "86401"},
             {"--port", "0", "--data", "d", "--access-token-lifetime", "15m"},
             {"--port", "0", "--data", "d", "--now", "2026-03-16"},
             {"--port", "0", "--data", "d", "--now", "2026-02-30T10:00:00Z"},
         }) {
        EXPECT_EQ(exitCodeOf(arguments), 2) << arguments[1] << " " << arguments.back();
    }
    EXPECT_EQ(exitCodeOf({"--help"}), 0);
}

TEST(CommandLineTest, ExplainsABadPortInDutch) {
    try {
        parse({"--port", "abc", "--data", "d"});
        FAIL();
    } catch (const CommandLineError& error) {
        EXPECT_STREQ(error.what(), "Ongeldige poort 'abc': verwacht een getal van 0 tot en met 65535.");
    }
}

}  // namespace
}  // namespace zelvorin::service
