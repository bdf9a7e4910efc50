#include "service/store/RequestAudit.h"

#include <nlohmann/json.hpp>

#include "persistence/ScalarStatements.h"
#include "service/store/AuditLog.h"

namespace zelvorin::service {

namespace {

thread_local RequestAudit* current = nullptr;

}  // namespace

RequestAudit::RequestAudit(AuditedRequest request) : request_(std::move(request)), outer_(current) {
    current = this;
}

RequestAudit::~RequestAudit() {
    current = outer_;
}

void RequestAudit::identify(const AuditIdentity& identity) {
    // A record written before the session was issued named the organisation but not the user.
    if (current != nullptr && (!current->request_.identity || !current->request_.identity->userId))
        current->request_.identity = identity;
}

void RequestAudit::describe(std::string entityType, std::string entityId,
                            std::optional<std::string> detailsJson) {
    if (current == nullptr) return;
    current->request_.entityType = std::move(entityType);
    current->request_.entityId = std::move(entityId);
    if (detailsJson) current->detailsJson_ = std::move(detailsJson);
    current->entityNamed_ = true;
}

bool RequestAudit::coversRecordChange(const std::string& organizationId, const std::string& entityType,
                                      const std::string& entityId, std::int64_t sequence,
                                      std::int64_t revision) {
    if (current == nullptr || current->request_.kind != AuditKind::perRequest) return false;
    RequestAudit& audit = *current;
    if (!audit.request_.identity) audit.request_.identity = AuditIdentity{organizationId, {}, {}};
    // A second transaction of a request that already has its entry: the record still needs one.
    if (audit.written_) return false;
    if (audit.recordsCovered_++ == 0 && !audit.entityNamed_) {
        audit.request_.entityType = entityType;
        audit.request_.entityId = entityId;
        audit.sequence_ = sequence;
        audit.revision_ = revision;
    }
    return true;
}

std::int64_t RequestAudit::changesSoFar(Connection& db) {
    if (current == nullptr) return 0;
    return countRows(db, "SELECT total_changes()");
}

void RequestAudit::beforeCommit(Connection& db, std::int64_t changesBefore) {
    if (current != nullptr && changesSoFar(db) != changesBefore) writeNow(db);
}

void RequestAudit::writeNow(Connection& db) {
    if (current == nullptr || current->request_.kind != AuditKind::perRequest || current->written_) return;
    RequestAudit& audit = *current;
    if (!audit.request_.identity) return;
    std::optional<std::string> details = audit.detailsJson_;
    if (!details && audit.recordsCovered_ > 1)
        details = nlohmann::json{{"records", audit.recordsCovered_}}.dump();
    const AuditIdentity& who = *audit.request_.identity;
    auditlog::append(
        db, {0, who.organizationId, audit.request_.at, audit.request_.source, who.userId, who.deviceId,
             audit.request_.action, audit.request_.entityType, audit.request_.entityId, audit.sequence_,
             audit.revision_, std::move(details), audit.request_.ipAddress, std::nullopt, std::nullopt});
    audit.written_ = true;
}

}  // namespace zelvorin::service
