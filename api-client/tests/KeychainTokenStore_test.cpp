#include "api-client/KeychainTokenStore.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelvorin {
namespace {

// These run twice under CTest: inside a private session bus with an unlocked keyring
// (ZELVORIN_KEYRING=real), and with a session bus address that leads nowhere (=none).
std::string keyringMode() {
    const char* mode = std::getenv("ZELVORIN_KEYRING");
    return mode ? mode : "";
}

TEST(KeychainTokenStoreIntegrationTest, APairSurvivesANewStoreAndClearRemovesIt) {
    if (keyringMode() != "real") GTEST_SKIP() << "needs the keyring session (ZELVORIN_KEYRING=real)";
    std::vector<std::string> lines;
    const std::string service = "nl.zelvorin.app.tokens.test";
    {
        KeychainTokenStore store(service, [&](const std::string& line) { lines.push_back(line); });
        EXPECT_TRUE(store.clear()) << "clearing an empty keyring succeeds";
        store.save(TokenPair{"a1", "r1", 60});
        store.save(TokenPair{"a2", "r2", 120});  // replaces, never adds a second item
    }
    KeychainTokenStore reopened(service, [&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(reopened.load(), (TokenPair{"a2", "r2", 120}));
    EXPECT_TRUE(reopened.clear());
    KeychainTokenStore afterClear(service);
    EXPECT_FALSE(afterClear.load().has_value());
    EXPECT_TRUE(lines.empty());
}

TEST(KeychainTokenStoreIntegrationTest, WithoutABusThePairLivesInMemoryForThisProcessOnly) {
    if (keyringMode() != "none") GTEST_SKIP() << "needs an unreachable bus (ZELVORIN_KEYRING=none)";
    std::vector<std::string> lines;
    KeychainTokenStore store(KeychainTokenStore::kDefaultService,
                             [&](const std::string& line) { lines.push_back(line); });
    store.save(TokenPair{"a", "r", 60});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("[KeychainTokenStore] SecItemAdd mislukt (OSStatus ", 0), 0u);
    EXPECT_NE(lines[0].find(") — token alleen in-memory bewaard voor deze sessie."), std::string::npos);
    EXPECT_EQ(store.load(), (TokenPair{"a", "r", 60}));

    KeychainTokenStore nextStart;
    EXPECT_FALSE(nextStart.load().has_value()) << "after a restart the user is signed out";
}

}  // namespace
}  // namespace zelvorin
