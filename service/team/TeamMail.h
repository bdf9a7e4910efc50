#pragma once

#include <filesystem>
#include <string>

#include "domain/TimePoint.h"
#include "service/store/Accounts.h"
#include "service/store/MemberInvites.h"

namespace zelvorin::service {

class MailOutbox;

// A plain-text message of the service to one address, written to the outbox under a name that
// starts with `kind`; returns its path.
std::filesystem::path mailFromService(const MailOutbox& outbox, const std::string& kind,
                                      const std::string& from, const std::string& to, std::string subject,
                                      std::string body, TimePoint now);

// The messages the team sends, written to the outbox (and relayed when a server is configured).
// Each returns the message's path so that a transaction that does not commit can take it back.
std::filesystem::path mailInvitation(const MailOutbox& outbox, const MemberInvite& invite,
                                     const std::string& organizationName, const std::string& inviterName,
                                     TimePoint now);
std::filesystem::path mailPasswordReset(const MailOutbox& outbox, const UserAccount& user,
                                        const std::string& organizationName, TimePoint now);

}  // namespace zelvorin::service
