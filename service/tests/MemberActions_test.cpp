#include "service/team/MemberActions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/MailOutbox.h"
#include "service/notifications/NotificationActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

const TimePoint kNow = sys_days{2026y / March / 16} + hours{10};

// The kind of the ServiceError `action` throws, whose Dutch text must not be empty.
template <class Action>
std::optional<ErrorKind> thrownKind(Action&& action) {
    try {
        action();
    } catch (const ServiceError& error) {
        EXPECT_FALSE(std::string(error.what()).empty());
        return error.kind();
    }
    return std::nullopt;
}

class MemberActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, 2026y / March / 16));
        owner = callerFor(demoOwnerUserId());
        member = callerFor(demoMemberUserId());
    }

    Caller callerFor(const std::string& userId) const {
        return database.read([&](Connection& db) {
            return Caller{userId, demoOrganizationId(), "apparaat", "sessie",
                          accounts::membership(db, demoOrganizationId(), userId)};
        });
    }
    std::size_t messages() const {
        if (!std::filesystem::exists(outbox.folder())) return 0;
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(outbox.folder()),
                                                      std::filesystem::directory_iterator()));
    }
    std::string roleOf(const std::string& userId) const {
        return database.read(
            [&](Connection& db) { return accounts::membership(db, demoOrganizationId(), userId)->role; });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    MailOutbox outbox{dir.path() / "data"};
    Caller owner;
    Caller member;
};

TEST_F(MemberActionsTest, AnInvitationIsMailedOnceAndRefusedForMembersAndBadAddresses) {
    const MemberInvite invite =
        inviteMember(database, outbox, owner, {"Noor@Voorbeeld.nl", "admin", "Noor", "Bakker"}, kNow);
    EXPECT_EQ(invite.expiresAt, "2026-03-23T10:00:00Z");
    ASSERT_EQ(messages(), 1u);
    EXPECT_EQ(listTeam(database, owner).invites.size(), 1u);

    // The same address again, in other case; an address that is already a member (in other
    // case); no address at all; a role that does not exist: refused, and nothing is mailed.
    const std::string memberEmail = memberDetail(database, owner, demoMemberUserId()).member.user.email;
    std::string shouted = memberEmail;
    for (char& c : shouted)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(thrownKind([&] {
                  inviteMember(database, outbox, owner, {"noor@voorbeeld.nl", "member", "", ""}, kNow);
              }),
              ErrorKind::conflict);
    EXPECT_EQ(thrownKind([&] {
                  inviteMember(database, outbox, owner, {shouted, "member", "", ""}, kNow);
              }),
              ErrorKind::conflict);
    EXPECT_EQ(thrownKind([&] {
                  inviteMember(database, outbox, owner, {"geen-adres", "member", "", ""}, kNow);
              }),
              ErrorKind::badRequest);
    EXPECT_EQ(thrownKind([&] {
                  inviteMember(database, outbox, owner, {"a@b.nl", "baas", "", ""}, kNow);
              }),
              ErrorKind::badRequest);
    // A member invites nobody.
    EXPECT_EQ(thrownKind([&] {
                  inviteMember(database, outbox, member, {"a@b.nl", "member", "", ""}, kNow);
              }),
              ErrorKind::forbidden);
    EXPECT_EQ(messages(), 1u);
    EXPECT_EQ(listTeam(database, owner).invites.size(), 1u);

    // Resending mails again and starts the term anew; withdrawing removes it.
    resendInvite(database, outbox, owner, invite.id, kNow + days{3});
    EXPECT_EQ(messages(), 2u);
    EXPECT_EQ(listTeam(database, owner).invites[0].expiresAt, "2026-03-26T10:00:00Z");
    removeInvite(database, owner, invite.id);
    EXPECT_TRUE(listTeam(database, owner).invites.empty());
    EXPECT_EQ(thrownKind([&] { removeInvite(database, owner, invite.id); }), ErrorKind::notFound);
}

TEST_F(MemberActionsTest, TheLastOwnerCanBeNeitherDemotedNorRemoved) {
    EXPECT_EQ(thrownKind([&] { changeRole(database, owner, demoOwnerUserId(), "admin"); }),
              ErrorKind::conflict);
    EXPECT_EQ(thrownKind([&] { removeMember(database, owner, demoOwnerUserId()); }), ErrorKind::conflict);
    EXPECT_EQ(roleOf(demoOwnerUserId()), "owner");

    // A member may neither make themselves owner nor remove someone else.
    EXPECT_EQ(thrownKind([&] { changeRole(database, member, demoMemberUserId(), "owner"); }),
              ErrorKind::forbidden);
    EXPECT_EQ(thrownKind([&] { removeMember(database, member, demoOwnerUserId()); }), ErrorKind::forbidden);

    // With a second owner, the first may step down.
    changeRole(database, owner, demoMemberUserId(), "owner");
    changeRole(database, owner, demoOwnerUserId(), "admin");
    EXPECT_EQ(roleOf(demoOwnerUserId()), "admin");
    EXPECT_EQ(roleOf(demoMemberUserId()), "owner");
    // An admin cannot take ownership away from the one owner left.
    const Caller admin = callerFor(demoOwnerUserId());
    EXPECT_EQ(thrownKind([&] { changeRole(database, admin, demoMemberUserId(), "member"); }),
              ErrorKind::forbidden);
}

TEST_F(MemberActionsTest, ARemovedMemberLosesTheMembershipAndEverySessionInIt) {
    database.write([&](Connection& db) {
        signins::addSession(
            db, {"sessie-lid", demoMemberUserId(), demoOrganizationId(), "apparaat-lid", "linux", "1",
                 "laptop", "", "", "2026-03-16T09:00:00Z", "2026-03-16T09:00:00Z", false});
    });
    removeMember(database, owner, demoMemberUserId());
    database.read([&](Connection& db) {
        EXPECT_FALSE(accounts::membership(db, demoOrganizationId(), demoMemberUserId()));
        EXPECT_TRUE(signins::session(db, "sessie-lid")->revoked);
    });
    EXPECT_EQ(thrownKind([&] { memberDetail(database, owner, demoMemberUserId()); }), ErrorKind::notFound);
}

TEST_F(MemberActionsTest, NamesAreTrimmedAndOnlyAdminsRenameOthers) {
    renameMember(database, member, demoMemberUserId(), "  Lid Nieuw \n");
    EXPECT_EQ(memberDetail(database, member, demoMemberUserId()).member.user.name, "Lid Nieuw");
    EXPECT_EQ(thrownKind([&] { renameMember(database, member, demoOwnerUserId(), "X"); }),
              ErrorKind::forbidden);
    EXPECT_EQ(thrownKind([&] { renameMember(database, owner, demoMemberUserId(), "   "); }),
              ErrorKind::badRequest);
    EXPECT_EQ(thrownKind([&] { memberDetail(database, member, demoOwnerUserId()); }), ErrorKind::forbidden);
}

TEST_F(MemberActionsTest, MarkingReadTouchesOnlyTheCallersUnreadNotifications) {
    const auto unread = [&] {
        std::vector<std::string> ids;
        database.read([&](Connection& db) {
            for (const StoredRecord& record :
                 records::all(db, demoOrganizationId(), std::string("appNotification")))
                if (!record.payload.contains("readAt") || record.payload["readAt"].is_null())
                    ids.push_back(record.id);
        });
        return ids;
    };
    const std::vector<std::string> before = unread();
    ASSERT_EQ(before.size(), 2u);
    // The member is not whom the demo's notifications are for.
    EXPECT_EQ(markAllNotificationsRead(database, member, kNow), 0);
    EXPECT_EQ(markNotificationsRead(database, owner, {before[0], "onbekend", before[0]}, kNow), 1);
    EXPECT_EQ(unread(), std::vector<std::string>{before[1]});
    const StoredRecord marked = database.read([&](Connection& db) {
        return *records::find(db, demoOrganizationId(), "appNotification", before[0]);
    });
    EXPECT_EQ(marked.revision, 2);  // a new revision, so devices pull it
    EXPECT_EQ(marked.payload["readAt"], "2026-03-16T10:00:00.000Z");
    EXPECT_EQ(markAllNotificationsRead(database, owner, kNow), 1);
    EXPECT_TRUE(unread().empty());
}

}  // namespace
}  // namespace zelvorin::service
