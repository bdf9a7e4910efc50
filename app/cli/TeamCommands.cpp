#include <memory>
#include <ostream>

#include "api-client/TeamActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace teamactions;
using namespace teamrecords;

void requireRole(const std::string& role) {
    if (role != "owner" && role != "admin" && role != "member")
        throw InputError(InputError::Kind::invalidValue, "Rol '" + role + "': kies owner, admin of member.");
}

void printTeam(CliContext& context, const NativeTeam& team) {
    if (context.json) return printJson(context, team.toJson());
    for (const NativeTeamMember& member : team.members) {
        context.out() << column(member.name, 24) << column(member.email, 30) << column(member.role, 8)
                      << member.userId << '\n';
    }
    for (const NativeTeamInvite& invite : team.invites) {
        context.out() << column("(uitgenodigd)", 24) << column(invite.email, 30)
                      << column(invite.role.value_or(""), 8) << invite.id << "  tot "
                      << invite.expiresAt.substr(0, 10) << '\n';
    }
}

void printDetail(CliContext& context, const NativeMemberDetail& detail) {
    if (context.json) return printJson(context, detail.toJson());
    const Profile& profile = detail.profile;
    context.out() << profile.name << " <" << profile.email << ">, " << profile.role << '\n';
    context.out() << "Sessies: " << detail.sessions.size() << '\n';
    for (const NativeMemberSession& session : detail.sessions)
        context.out() << "  " << session.id << "  sinds " << session.createdAt << '\n';
    context.out() << "Recente acties:\n";
    for (const NativeMemberActivity& item : detail.activity)
        context.out() << "  " << item.timestamp << "  " << column(item.action, 28) << item.entityType << ' '
                      << item.entityId << '\n';
}

// Runs a change on the service and prints what was done.
template <class Call>
void change(CliContext& context, const Json& done, const std::string& text, Call call) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    call(client);
    if (context.json) return printJson(context, done);
    context.out() << text << '\n';
}

struct MemberOptions {
    std::string userId;
    std::string email;
    std::string role = "member";
    std::string firstName;
    std::string lastName;
    std::string name;
    std::string sessionId;
    std::string inviteId;
};

void addMemberCommands(CLI::App& app, CliContext& context) {
    auto* members = app.add_subcommand("members", "Het team: leden en uitnodigingen (vereist verbinding)");
    members->require_subcommand(1);
    auto options = std::make_shared<MemberOptions>();

    members->add_subcommand("list", "Leden en openstaande uitnodigingen")->callback([&context] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        printTeam(context, teamactions::members(client));
    });
    auto* show = members->add_subcommand("show", "Eén lid met sessies en recente acties");
    show->add_option("user", options->userId, "Id van het lid")->required();
    show->callback([&context, options] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        printDetail(context, member(client, options->userId));
    });
    auto* invitation = members->add_subcommand("invite", "Iemand uitnodigen");
    invitation->add_option("email", options->email, "E-mailadres")->required();
    invitation->add_option("--role", options->role, "owner, admin of member (standaard member)");
    invitation->add_option("--first-name", options->firstName, "Voornaam");
    invitation->add_option("--last-name", options->lastName, "Achternaam");
    invitation->callback([&context, options] {
        requireRole(options->role);
        change(context, Json{{"invited", options->email}, {"role", options->role}},
               options->email + " is uitgenodigd als " + options->role + ".", [&](SyncAPIClient& client) {
                   invite(client, {options->email, options->role, options->firstName, options->lastName});
               });
    });
    auto* role = members->add_subcommand("role", "De rol van een lid wijzigen");
    role->add_option("user", options->userId, "Id van het lid")->required();
    role->add_option("role", options->role, "owner, admin of member")->required();
    role->callback([&context, options] {
        requireRole(options->role);
        change(context, Json{{"userId", options->userId}, {"role", options->role}},
               "Rol gewijzigd in " + options->role + ".",
               [&](SyncAPIClient& client) { setRole(client, options->userId, options->role); });
    });
    auto* name = members->add_subcommand("name", "De naam van een lid wijzigen");
    name->add_option("user", options->userId, "Id van het lid")->required();
    name->add_option("name", options->name, "De nieuwe naam")->required();
    name->callback([&context, options] {
        change(context, Json{{"userId", options->userId}, {"name", options->name}}, "Naam gewijzigd.",
               [&](SyncAPIClient& client) { setName(client, options->userId, options->name); });
    });
    auto* reset =
        members->add_subcommand("reset-password", "Een lid een mail sturen om opnieuw in te loggen");
    reset->add_option("user", options->userId, "Id van het lid")->required();
    reset->callback([&context, options] {
        change(context, Json{{"userId", options->userId}, {"mailed", true}}, "Mail verstuurd.",
               [&](SyncAPIClient& client) { resetPassword(client, options->userId); });
    });
    auto* revoke =
        members->add_subcommand("revoke", "De sessies van een lid intrekken (of één met --session)");
    revoke->add_option("user", options->userId, "Id van het lid")->required();
    revoke->add_option("--session", options->sessionId, "Alleen deze sessie");
    revoke->callback([&context, options] {
        change(context, Json{{"userId", options->userId}, {"revoked", true}}, "Ingetrokken.",
               [&](SyncAPIClient& client) {
                   if (options->sessionId.empty()) return revokeSessions(client, options->userId);
                   revokeSession(client, options->userId, options->sessionId);
               });
    });
    auto* remove = members->add_subcommand("rm", "Een lid uit de organisatie verwijderen");
    remove->add_option("user", options->userId, "Id van het lid")->required();
    remove->callback([&context, options] {
        change(context, Json{{"removed", options->userId}}, "Lid verwijderd.",
               [&](SyncAPIClient& client) { removeMember(client, options->userId); });
    });
    auto* invites = members->add_subcommand("invites", "Uitnodigingen opnieuw sturen of intrekken");
    invites->require_subcommand(1);
    auto* resend = invites->add_subcommand("resend", "Een uitnodiging opnieuw sturen");
    resend->add_option("id", options->inviteId, "Id van de uitnodiging")->required();
    resend->callback([&context, options] {
        change(context, Json{{"resent", options->inviteId}}, "Uitnodiging opnieuw verstuurd.",
               [&](SyncAPIClient& client) { resendInvite(client, options->inviteId); });
    });
    auto* withdraw = invites->add_subcommand("rm", "Een uitnodiging intrekken");
    withdraw->add_option("id", options->inviteId, "Id van de uitnodiging")->required();
    withdraw->callback([&context, options] {
        change(context, Json{{"removed", options->inviteId}}, "Uitnodiging ingetrokken.",
               [&](SyncAPIClient& client) { removeInvite(client, options->inviteId); });
    });
}

struct AuditOptions {
    int limit = 50;
    int offset = 0;
};

void printAudit(CliContext& context, const AuditLogPage& page) {
    if (context.json) return printJson(context, page.toJson());
    if (page.entries.empty()) context.out() << "Geen acties in het logboek.\n";
    for (const NativeAuditEntry& entry : page.entries) {
        context.out() << entry.timestamp << "  " << column(entry.userName.value_or(entry.userId), 20)
                      << column(entry.action, 30) << entry.entityType << ' ' << entry.entityId << '\n';
    }
    if (page.hasMore) context.out() << "Meer met --offset.\n";
}

}  // namespace

void addTeamCommands(CLI::App& app, CliContext& context) {
    addMemberCommands(app, context);

    auto audit = std::make_shared<AuditOptions>();
    auto* log = app.add_subcommand("audit", "Het logboek: wie deed wat, nieuwste eerst (vereist verbinding)");
    log->add_option("--limit", audit->limit, "Aantal regels (1 tot en met 200)");
    log->add_option("--offset", audit->offset, "Overslaan");
    log->callback([&context, audit] {
        if (audit->limit < 1 || audit->limit > 200)
            throw InputError(InputError::Kind::invalidValue, "--limit moet van 1 tot en met 200 zijn.");
        if (audit->offset < 0)
            throw InputError(InputError::Kind::invalidValue, "--offset kan niet negatief zijn.");
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        printAudit(context, auditLog(client, audit->limit, audit->offset));
    });

    auto ids = std::make_shared<std::vector<std::string>>();
    auto* notifications =
        app.add_subcommand("notifications", "Meldingen als gelezen markeren (vereist verbinding)");
    notifications->require_subcommand(1);
    auto* read = notifications->add_subcommand("read", "Deze meldingen als gelezen markeren");
    read->add_option("ids", *ids, "Ids van de meldingen")->required();
    read->callback([&context, ids] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        const MarkReadResponse marked = markNotificationsRead(client, *ids);
        if (context.json) return printJson(context, marked.toJson());
        context.out() << marked.updated << " meldingen als gelezen gemarkeerd.\n";
    });
    notifications->add_subcommand("read-all", "Alle meldingen als gelezen markeren")->callback([&context] {
        change(context, Json{{"allRead", true}}, "Alle meldingen zijn gelezen.",
               [](SyncAPIClient& client) { markAllNotificationsRead(client); });
    });
}

}  // namespace zelvorin::cli
