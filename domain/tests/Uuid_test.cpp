#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "domain/Uuid.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

bool hasUuidShape(const std::string& text) {
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = text[i];
        if (dash != (c == '-')) return false;
        if (!dash && !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool hasRfcVariant(const std::string& text) {
    return std::string_view("89ab").find(text[19]) != std::string::npos;
}

TEST(UuidTest, RandomIdsAreVersion4AndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string id = randomUuid();
        ASSERT_TRUE(hasUuidShape(id)) << id;
        EXPECT_EQ(id[14], '4') << id;
        EXPECT_TRUE(hasRfcVariant(id)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 2000u);
}

TEST(UuidTest, Version7CarriesTheTimeAndSortsByTimeThenCounter) {
    const TimePoint t = sys_days{2026y / 3 / 1} + 9h + 123ms;
    const std::string id = uuidV7(t, 0);
    ASSERT_TRUE(hasUuidShape(id)) << id;
    EXPECT_EQ(id[14], '7');
    EXPECT_TRUE(hasRfcVariant(id));
    const auto millis = duration_cast<milliseconds>(t.time_since_epoch()).count();
    EXPECT_EQ(std::stoll(id.substr(0, 8) + id.substr(9, 4), nullptr, 16), millis);
    EXPECT_EQ(uuidV7(t + 999us, 0), id);  // same millisecond, same counter: same id

    std::vector<std::string> ids;
    for (std::uint64_t counter : {0ull, 1ull, 2ull, 1023ull, 1ull << 40, (1ull << 52) + 5, ~0ull}) {
        ids.push_back(uuidV7(t, counter));
    }
    ids.push_back(uuidV7(t + 1ms, 0));
    ids.push_back(uuidV7(t + days{1}, 0));
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    for (const std::string& each : ids)
        EXPECT_TRUE(hasUuidShape(each) && each[14] == '7' && hasRfcVariant(each));
}

}  // namespace
}  // namespace zelvorin
