#include "api-client/TeamRecords.h"

#include <gtest/gtest.h>

#include "api-client/APIError.h"
#include "api-client/ProposalActions.h"

namespace zelvorin::teamrecords {
namespace {

TEST(ProposalActionBodyTest, TheWordIsWrittenAsTextWithoutTheEncoder) {
    EXPECT_EQ(proposalactions::actionBody("archive"), R"({"action":"archive"})");
    // Nothing is escaped: a quote would break the body, which is why the command line only
    // passes plain words.
    EXPECT_EQ(proposalactions::actionBody("a\"b"), R"({"action":"a"b"})");
}

TEST(TeamRecordsTest, OptionalMembersMayBeMissingOrNullRequiredOnesMayNot) {
    const nlohmann::json team = {
        {"members",
         {{{"userId", "u1"}, {"name", "Eva"}, {"email", "eva@x.nl"}, {"role", "owner"}, {"image", nullptr}}}},
        {"invites", {{{"id", "i1"}, {"email", "sam@x.nl"}, {"expiresAt", "2026-03-23T10:00:00Z"}}}},
        {"callerUserId", "u1"},
        {"callerIsAdmin", true}};
    const NativeTeam read = NativeTeam::fromJson(team);
    EXPECT_FALSE(read.members[0].image);
    EXPECT_FALSE(read.invites[0].role);
    EXPECT_FALSE(read.callerRole);
    // Written back: the same keys, absent optionals left out.
    nlohmann::json expected = team;
    expected["members"][0].erase("image");
    EXPECT_EQ(nlohmann::json::parse(read.toJson().dump()), expected);

    for (const char* key : {"callerUserId", "callerIsAdmin", "members"}) {
        nlohmann::json missing = team;
        missing.erase(key);
        EXPECT_THROW(NativeTeam::fromJson(missing), APIError) << key;
    }
    nlohmann::json noExpiry = team;
    noExpiry["invites"][0].erase("expiresAt");
    EXPECT_THROW(NativeTeam::fromJson(noExpiry), APIError);
}

TEST(TeamRecordsTest, AnAuditPageEndsPagingWithHasMore) {
    const nlohmann::json page = {{"entries",
                                  {{{"id", "7"},
                                    {"timestamp", "2026-03-16T10:00:00.000Z"},
                                    {"userId", "u1"},
                                    {"action", "members.invite"},
                                    {"entityType", "memberInvite"},
                                    {"entityId", "i1"}}}},
                                 {"hasMore", false}};
    const AuditLogPage read = AuditLogPage::fromJson(page);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].action, "members.invite");
    EXPECT_FALSE(read.entries[0].userName);
    EXPECT_FALSE(read.hasMore);
    nlohmann::json noFlag = page;
    noFlag.erase("hasMore");
    EXPECT_THROW(AuditLogPage::fromJson(noFlag), APIError);
}

}  // namespace
}  // namespace zelvorin::teamrecords
