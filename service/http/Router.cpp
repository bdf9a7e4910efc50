#include "service/http/Router.h"

#include <httplib.h>

#include <cctype>
#include <iostream>

#include "domain/Timestamps.h"
#include "persistence/sqlite/SqliteError.h"
#include "service/http/JsonBody.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr int kSqliteBusy = 5;    // SQLITE_BUSY
constexpr int kSqliteLocked = 6;  // SQLITE_LOCKED
constexpr int kSqliteFull = 13;   // SQLITE_FULL

void write(const Reply& reply, httplib::Response& response) {
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        response.set_header(name, value);
    if (!reply.body.empty() || !reply.contentType.empty())
        response.set_content(reply.body, reply.contentType);
}

// The media type of a Content-Type value, lower-cased, without its parameters.
std::string mediaTypeOf(std::string_view contentType) {
    std::string type(contentType.substr(0, contentType.find(';')));
    std::erase_if(type, [](char c) { return c == ' ' || c == '\t'; });
    for (char& c : type)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type;
}

// A browser sends text/plain, form and multipart bodies to any address without asking first; a
// JSON body is something only a program that means to call us can send. So a body that changes
// state must say it is JSON, and a route that reads none accepts no other body either.
void requireJsonBody(const httplib::Request& request, bool bodyExpected) {
    if (!bodyExpected && request.body.empty()) return;
    if (mediaTypeOf(request.get_header_value("Content-Type")) != "application/json")
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           "Verwacht een verzoek met Content-Type application/json.");
}

const char* verbOf(HttpMethod method) {
    switch (method) {
        case HttpMethod::get:
            return "read";
        case HttpMethod::post:
            return "create";
        case HttpMethod::put:
            return "replace";
        case HttpMethod::patch:
            return "update";
        case HttpMethod::del:
            return "delete";
    }
    return "change";
}

// What the route's audit entry says until the route's work names more: the caller, the action,
// and the thing the path names (its first literal after the prefix and its first parameter).
AuditedRequest auditedRequest(const Route& route, const RequestContext& context) {
    AuditedRequest audited;
    audited.kind = route.audit.kind;
    audited.action =
        route.audit.action.empty() ? derivedAuditAction(route.method, route.pattern) : route.audit.action;
    audited.entityType = audited.action.substr(0, audited.action.find('.'));
    const PathParameters& parameters = context.parameters();
    if (!parameters.empty()) audited.entityId = parameters.front().second;
    if (route.access == Access::operator_) {
        audited.source = "admin";
    } else if (route.access != Access::open) {
        const Caller& caller = context.caller();
        audited.identity = AuditIdentity{caller.organizationId, caller.userId, caller.deviceId};
    }
    audited.ipAddress = context.request().remote_addr;
    audited.at = formatTimestampMillis(context.now());
    return audited;
}

}  // namespace

Router::Router(RouteTable table, const Clock& clock, Authenticate authenticate, AfterRoute afterRoute)
    : table_(std::move(table)),
      clock_(clock),
      authenticate_(std::move(authenticate)),
      afterRoute_(std::move(afterRoute)) {}

void Router::install(httplib::Server& server) const {
    const auto handlerFor = [this](HttpMethod method) {
        return [this, method](const httplib::Request& request, httplib::Response& response) {
            dispatch(method, request, response);
        };
    };
    server.Get(".*", handlerFor(HttpMethod::get));
    server.Post(".*", handlerFor(HttpMethod::post));
    server.Put(".*", handlerFor(HttpMethod::put));
    server.Patch(".*", handlerFor(HttpMethod::patch));
    server.Delete(".*", handlerFor(HttpMethod::del));
}

void Router::dispatch(HttpMethod method, const httplib::Request& request, httplib::Response& response) const {
    write(answer(method, request), response);
    if (afterRoute_) afterRoute_(request, response);
}

Reply Router::answer(HttpMethod method, const httplib::Request& request) const {
    try {
        return route(method, request);
    } catch (...) {
        return replyForException(std::current_exception(), request.path);
    }
}

Reply Router::route(HttpMethod method, const httplib::Request& request) const {
    const Route* chosen = nullptr;
    PathParameters parameters;
    bool pathKnown = false;
    for (const Route& candidate : table_.routes()) {
        std::optional<PathParameters> matched = candidate.pattern.match(request.path);
        if (!matched) continue;
        pathKnown = true;
        if (candidate.method != method) continue;
        if (chosen == nullptr || candidate.pattern.literalCount() > chosen->pattern.literalCount()) {
            chosen = &candidate;
            parameters = std::move(*matched);
        }
    }
    if (chosen == nullptr) {
        if (pathKnown) throw ServiceError(ErrorKind::methodNotAllowed);
        throw ServiceError(ErrorKind::notFound, "Het pad " + request.path + " bestaat niet.");
    }

    RequestContext context(request, clock_.now(), std::move(parameters));
    if (chosen->access != Access::open) context.setCaller(authenticate_(context, chosen->access));
    switch (chosen->body.kind) {
        case BodyRule::Kind::none:
            if (method != HttpMethod::get) requireJsonBody(request, false);
            break;
        case BodyRule::Kind::json:
            requireJsonBody(request, true);
            context.setBody(parseJsonObject(request.body, chosen->body.maxBytes, tunables::kMaxJsonDepth));
            break;
        case BodyRule::Kind::multipart:
            if (!request.is_multipart_form_data())
                throw ServiceError(ErrorKind::badRequest, "Verwacht multipart/form-data.");
            break;
    }
    if (method == HttpMethod::get) return chosen->handler(context);
    RequestAudit audit(auditedRequest(*chosen, context));
    return chosen->handler(context);
}

std::string derivedAuditAction(HttpMethod method, const PathPattern& pattern) {
    std::vector<std::string> literals;
    bool endsInParameter = false;
    for (std::string_view rest = pattern.text(); !rest.empty();) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        endsInParameter = segment.starts_with('{');
        if (!endsInParameter && segment != "api" && segment != "native" && segment != "v1")
            literals.emplace_back(segment);
    }
    const bool verbNeeded = endsInParameter || method != HttpMethod::post || literals.size() == 1;
    if (verbNeeded) literals.emplace_back(verbOf(method));
    std::string action;
    for (const std::string& literal : literals)
        action += (action.empty() ? "" : ".") + literal;
    return action;
}

Reply replyForException(std::exception_ptr error, const std::string& path) {
    try {
        std::rethrow_exception(error);
    } catch (const ServiceError& serviceError) {
        if (serviceError.kind() == ErrorKind::internal)
            std::cerr << "zelvorin-service: " << path << ": " << serviceError.what() << std::endl;
        return Reply::error(serviceError.kind(), serviceError.what());
    } catch (const SqliteError& sqliteError) {
        // A write that failed was rolled back whole; the client may try again.
        if (sqliteError.primaryCode() == kSqliteFull)
            return Reply::error(ErrorKind::storageFull, ServiceError(ErrorKind::storageFull).what());
        if (sqliteError.primaryCode() == kSqliteBusy || sqliteError.primaryCode() == kSqliteLocked)
            return Reply::error(ErrorKind::unavailable, ServiceError(ErrorKind::unavailable).what());
        std::cerr << "zelvorin-service: " << path << ": " << sqliteError.what() << std::endl;
    } catch (const std::exception& other) {
        std::cerr << "zelvorin-service: " << path << ": " << other.what() << std::endl;
    } catch (...) {
        std::cerr << "zelvorin-service: " << path << ": onbekende fout" << std::endl;
    }
    return Reply::error(ErrorKind::internal, ServiceError(ErrorKind::internal).what());
}

}  // namespace zelvorin::service
