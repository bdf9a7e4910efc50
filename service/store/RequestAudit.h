#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// How a route is audited. The router opens a RequestAudit for every route that is not a GET:
//
//   perRequest  the route's first write transaction that changes a row gets one audit entry,
//               written in that transaction just before it commits; records written by the route
//               leave no entries of their own (the entry names the first of them)
//   perRecord   every record change gets its own entry (a push: each change is the user's edit)
//   nothing     the route changes nothing an organisation keeps, for the reason given
enum class AuditKind { perRequest, perRecord, nothing };

// Who acts: the caller of a route that is not open; for an open route, whoever the route's work
// names once it knows (a redeemed sign-in code, a new organisation).
struct AuditIdentity {
    std::string organizationId;
    std::optional<std::string> userId;
    std::optional<std::string> deviceId;
};

struct AuditedRequest {
    AuditKind kind = AuditKind::perRequest;
    std::string action;      // e.g. "members.invite", from the route's path unless the route names it
    std::string entityType;  // the thing the path names, until the route's work names a better one
    std::string entityId;
    std::optional<AuditIdentity> identity;
    std::optional<std::string> ipAddress;
    std::string at;
    std::string source = "route";
};

// The audit of the request this thread is answering (at most one at a time). The functions below
// do nothing on a thread that answers no request (the seed, background work), so the store code
// that calls them needs no flag.
class RequestAudit {
public:
    explicit RequestAudit(AuditedRequest request);
    ~RequestAudit();
    RequestAudit(const RequestAudit&) = delete;
    RequestAudit& operator=(const RequestAudit&) = delete;

    // True once the request's entry is written.
    bool written() const { return written_; }

    // Names who acts when the route is open and the work finds out (a session issued).
    static void identify(const AuditIdentity& identity);
    // Names what the action changed when the route's path does not say it (an invitation that
    // gets its id in the transaction); detailsJson is stored as given (a JSON text).
    static void describe(std::string entityType, std::string entityId,
                         std::optional<std::string> detailsJson = std::nullopt);
    // Writes the request's entry on this transaction now, changed rows or not: for a route whose
    // change lies outside the database (a message in the outbox).
    static void writeNow(Connection& db);
    // For the record writer: true when the request's entry stands for this record change, which
    // then gets no entry of its own.
    static bool coversRecordChange(const std::string& organizationId, const std::string& entityType,
                                   const std::string& entityId, std::int64_t sequence, std::int64_t revision);
    // Rows changed on the connection since it opened; nothing is read when no request is audited.
    static std::int64_t changesSoFar(Connection& db);
    // For ServiceDatabase::write, on its transaction just before commit: writes the request's
    // entry when this transaction changed rows and the entry is not yet written.
    static void beforeCommit(Connection& db, std::int64_t changesBefore);

private:
    AuditedRequest request_;
    std::optional<std::string> detailsJson_;
    std::optional<std::int64_t> sequence_;
    std::optional<std::int64_t> revision_;
    bool entityNamed_ = false;
    int recordsCovered_ = 0;
    bool written_ = false;
    RequestAudit* outer_ = nullptr;
};

}  // namespace zelvorin::service
