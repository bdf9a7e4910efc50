#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// The service's limits and lifetimes, in one place, each with why it has the value it has.
namespace zelvorin::service::tunables {

// The largest request the HTTP library reads at all: the largest upload (an inbox document of
// kMaxDocumentBytes) with its multipart framing, with room to spare. Larger requests are refused
// with 413 before any route sees them.
inline constexpr std::size_t kMaxRequestBodyBytes = 50 * 1024 * 1024;

// An ordinary JSON body (sign-in, actions, admin writes) is a few hundred bytes; a template's
// layout configuration a few tens of kilobytes. One megabyte leaves room for any of them and
// keeps a runaway client from making the service parse megabytes it will refuse anyway.
inline constexpr std::size_t kMaxJsonBodyBytes = 1024 * 1024;

// A push of kMaxPushChanges changes of about 2 KB each (an invoice with its snapshot).
inline constexpr std::size_t kMaxPushBodyBytes = 32 * 1024 * 1024;

// The deepest nesting of arrays and objects a JSON body may have. The deepest real body is an
// admin write of an invoice template (body, payload, config, block, list, item: six); parsing is
// recursive, so a body of nothing but brackets must not reach the parser.
inline constexpr int kMaxJsonDepth = 32;

// The most changes one push may carry. Devices push 200 at a time; this only stops a client that
// sends its whole outbox in one request.
inline constexpr std::size_t kMaxPushChanges = 10000;

// A pull page: the devices ask for 500; more than 1000 makes one page a multi-megabyte answer.
inline constexpr int kDefaultPullLimit = 500;
inline constexpr int kMaxPullLimit = 1000;

// An inbox document: a scanned multi-page PDF stays well below this.
inline constexpr std::size_t kMaxDocumentBytes = 25 * 1024 * 1024;

// A bank statement: a year of a busy account in CAMT.053 (about 1 KB an entry) stays well below
// this; anything larger is refused before it is parsed.
inline constexpr std::size_t kMaxStatementBytes = 25 * 1024 * 1024;

// An organisation's logo is printed at most a few centimetres wide; 2 MB and 4000 pixels a side
// hold any sharp logo, while a picture that claims 40 000 × 40 000 pixels (6 GB decoded) is
// refused from its header before anything decodes it.
inline constexpr std::size_t kMaxLogoBytes = 2 * 1024 * 1024;
inline constexpr int kMaxLogoSide = 4000;
// A profile photo or a contact's avatar: a phone photo fits in 8 MB; the side cap as for logos.
inline constexpr std::size_t kMaxPortraitBytes = 8 * 1024 * 1024;
inline constexpr int kMaxPortraitSide = 8000;
// A font file: full CJK faces reach 20 MB, Latin text faces stay far below.
inline constexpr std::size_t kMaxFontBytes = 20 * 1024 * 1024;
// An integration's key or token is a few hundred characters at most.
inline constexpr std::size_t kMaxIntegrationKeyLength = 1024;

// Seconds an access token is valid: the app's expiresIn (tests shorten it on the command line).
inline constexpr std::int64_t kDefaultAccessTokenLifetime = 900;
// A refresh token unused this long is refused: a device that has not been opened for a month signs
// in again, and a token copied off an old backup is worth nothing.
inline constexpr std::int64_t kRefreshTokenIdleLifetime = 30 * 24 * 3600;
// However often it refreshes, a session ends this long after its sign-in: a stolen pair that is
// kept fresh still runs out.
inline constexpr std::int64_t kSessionLifetime = 90 * 24 * 3600;
// Seconds a hand-off code waits for its redeem: the browser returns to the app at once.
inline constexpr std::int64_t kHandoffCodeLifetime = 120;
// Seconds to fill in the onboarding before its token lapses.
inline constexpr std::int64_t kOnboardingTokenLifetime = 3600;

// Seconds to reach the SMTP server and to hand it one message (an invoice PDF of a few hundred
// kilobytes): a send waits for delivery inside its transaction, so a dead server must not hold the
// database's writer for long.
inline constexpr long kSmtpConnectSeconds = 5;
inline constexpr long kSmtpDeliverySeconds = 30;

// How often the service looks for scheduled sends that came due: a send is at most this late,
// and an idle service reads one indexed row range this often.
inline constexpr std::chrono::seconds kScheduledSendCheckInterval{5};

// An invitation to join an organisation stays open this long; resending it starts it again.
inline constexpr int kInviteLifetimeDays = 7;
// A member's recent actions shown with their detail.
inline constexpr int kMemberActivityEntries = 50;
// The audit log's pages: the size when none is asked, and the largest one answered.
inline constexpr int kDefaultAuditPage = 50;
inline constexpr int kMaxAuditPage = 200;

// The longer side of an inbox document's preview image, in pixels: sharp in a list at twice the
// screen's density, a few tens of kilobytes.
inline constexpr int kInboxThumbnailEdge = 480;

}  // namespace zelvorin::service::tunables
