#include <gtest/gtest.h>

#include <vector>

#include "domain/AppLockPolicy.h"
#include "domain/BankIgnoreRuleMatching.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

TEST(AppLockPolicyTest, LocksOnceAwayForTheTimeout) {
    const TimePoint now = sys_days{2026y / 6 / 1} + 9h;
    const auto ago = [&](double seconds) {
        return now - duration_cast<system_clock::duration>(duration<double>(seconds));
    };
    EXPECT_FALSE(AppLockPolicy::shouldLock(true, ago(299.9), now));
    EXPECT_TRUE(AppLockPolicy::shouldLock(true, ago(300.0), now));
    EXPECT_TRUE(AppLockPolicy::shouldLock(true, std::nullopt, now));
    EXPECT_FALSE(AppLockPolicy::shouldLock(false, std::nullopt, now));
    EXPECT_FALSE(AppLockPolicy::shouldLock(false, ago(1e6), now));
    EXPECT_TRUE(AppLockPolicy::shouldLock(true, ago(10), now, seconds{10}));
    EXPECT_FALSE(AppLockPolicy::shouldLock(true, ago(-3600), now));  // clock moved backwards
}

TEST(BankIgnoreRuleMatchingTest, CategoryLabels) {
    using namespace BankIgnoreRuleMatching;
    std::vector<CategoryOption> options{
        {"Kantoor", "office", false}, {"Eigen rekening", "own", true}, {"Ook kantoor", "office", false}};
    EXPECT_EQ(categoryLabel("office", options), "Kantoor");
    EXPECT_EQ(categoryLabel(kInternalTransferCategory, options), "Eigen rekening");
    EXPECT_EQ(categoryLabel("Office", options), std::nullopt);
    options[1].isInternalTransfer = false;
    options.push_back({"Intern", std::string(kInternalTransferCategory), false});
    // The reserved value is looked up by the flag only, never by value.
    EXPECT_EQ(categoryLabel(kInternalTransferCategory, options), std::nullopt);

    const std::set<std::string, std::less<>> ignored{"Bakkerij Visser", "Drukkerij Jansen"};
    EXPECT_TRUE(isNotYetPresent("Bakkerij Vissers", ignored));
    EXPECT_FALSE(isNotYetPresent("Drukkerij Jansen", ignored));
    EXPECT_FALSE(isNotYetPresent("NS", std::unordered_set<std::string>{"NS"}));
}

}  // namespace
}  // namespace zelvorin
