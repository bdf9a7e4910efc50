#include "service/team/TeamMail.h"

#include <chrono>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/invoices/MailMessage.h"
#include "service/invoices/MailOutbox.h"

namespace zelvorin::service {

namespace {

// The team's messages come from the service itself, not from the organisation's own address.
constexpr const char* kTeamSender = "team@zelvorin.invalid";

}  // namespace

std::filesystem::path mailFromService(const MailOutbox& outbox, const std::string& kind,
                                      const std::string& from, const std::string& to, std::string subject,
                                      std::string body, TimePoint now) {
    MailMessage message;
    message.from = from;
    message.to = to;
    message.subject = std::move(subject);
    message.body = std::move(body);
    message.date = now;
    message.messageId = randomUuid() + "@zelvorin.local";
    const auto stamp = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return outbox.send(kind + "-" + std::to_string(stamp) + "-" + randomUuid().substr(0, 8),
                       rfc5322Text(message), message.from, message.to);
}

std::filesystem::path mailInvitation(const MailOutbox& outbox, const MemberInvite& invite,
                                     const std::string& organizationName, const std::string& inviterName,
                                     TimePoint now) {
    const std::string greeting = invite.firstName.empty() ? "Hallo" : "Hallo " + invite.firstName;
    return mailFromService(
        outbox, "uitnodiging", kTeamSender, invite.email, "Uitnodiging voor " + organizationName,
        greeting + ",\n\n" + inviterName + " nodigt je uit om als " + invite.role + " mee te werken aan " +
            organizationName + " in Zelvorin.\n\nLog in met " + invite.email +
            " om de uitnodiging aan te nemen. De uitnodiging is geldig tot " +
            invite.expiresAt.substr(0, 10) + ".\n",
        now);
}

std::filesystem::path mailPasswordReset(const MailOutbox& outbox, const UserAccount& user,
                                        const std::string& organizationName, TimePoint now) {
    return mailFromService(
        outbox, "wachtwoord", kTeamSender, user.email, "Opnieuw inloggen bij " + organizationName,
        "Hallo " + user.name + ",\n\nEen beheerder van " + organizationName +
            " heeft gevraagd je wachtwoord opnieuw in te stellen. Log opnieuw in met " + user.email +
            " en kies een nieuw wachtwoord.\n\nHeb je hier niet om gevraagd? Dan hoef je niets te doen.\n",
        now);
}

}  // namespace zelvorin::service
