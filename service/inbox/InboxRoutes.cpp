#include "service/inbox/InboxRoutes.h"

#include <httplib.h>

#include "service/http/ConditionalAnswer.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxActions.h"
#include "service/inbox/InboxItemActions.h"
#include "service/inbox/InboxReader.h"
#include "service/inbox/InboxSettings.h"
#include "service/inbox/ReverseBilling.h"

namespace zelvorin::service {

namespace {

std::string formField(const httplib::Request& request, const char* name) {
    if (!request.has_file(name))
        throw ServiceError(ErrorKind::badRequest, std::string("Het veld \"") + name + "\" ontbreekt.");
    return request.get_file_value(name).content;
}

InboxUpload inboxUpload(const httplib::Request& request) {
    InboxUpload upload;
    if (request.has_header("Idempotency-Key"))
        upload.idempotencyKey = request.get_header_value("Idempotency-Key");
    upload.source = formField(request, "source");
    const std::string extraction = formField(request, "needsServerExtraction");
    if (extraction != "true" && extraction != "false")
        throw ServiceError(ErrorKind::badRequest,
                           "\"needsServerExtraction\" moet \"true\" of \"false\" zijn.");
    upload.needsServerExtraction = extraction == "true";
    if (!request.has_file("file")) throw ServiceError(ErrorKind::badRequest, "Het bestand ontbreekt.");
    httplib::MultipartFormData file = request.get_file_value("file");
    upload.fileName = std::move(file.filename);
    upload.bytes = std::move(file.content);
    return upload;
}

}  // namespace

void addInboxRoutes(RouteTable& routes, const ServiceDatabase& database, InboxReader& reader) {
    routes.add(HttpMethod::post, "api/native/v1/kvitra/upload", Access::member, BodyRule::multipart(),
               [&](RequestContext& context) {
                   const InboxUpload upload = inboxUpload(context.request());
                   const StoredUpload stored =
                       storeInboxDocument(database, context.caller(), upload, context.now());
                   if (upload.needsServerExtraction && !stored.repeated)
                       for (const std::string& id : stored.ids)
                           reader.request(context.caller().organizationId, id);
                   return Reply::json(Json{{"ids", stored.ids}});
               });
    routes.add(HttpMethod::post, "api/native/v1/kvitra/{id}/extraction", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::string id = context.parameter("id");
                   const SubmissionAnswer answer =
                       submitExtraction(database, context.caller(), id, context.body(), context.now());
                   if (answer.fallback) reader.request(context.caller().organizationId, id);
                   return Reply::json(answer.toJson());
               });
    routes.add(
        HttpMethod::post, "api/native/v1/kvitra/{id}/reextract", Access::member, BodyRule::none(),
        [&](RequestContext& context) {
            const std::string id = context.parameter("id");
            requireInboxItem(database, context.caller(), id);
            reader.request(context.caller().organizationId, id, /*force=*/true);
            return Reply::json(Json{{"dispatched", true}});
        },
        AuditRule::nothing("hands the document to the reader, whose record changes are audited one by one"));
    const auto itemAction = [&](HttpMethod method, const char* pattern, BodyRule body,
                                void (*action)(const ServiceDatabase&, const Caller&, const std::string&,
                                               const Json&, TimePoint)) {
        routes.add(method, pattern, Access::member, body, [&, action](RequestContext& context) {
            action(database, context.caller(), context.parameter("id"), context.body(), context.now());
            return Reply::json(Json::object());
        });
    };
    const auto plainAction = [&](HttpMethod method, const char* pattern,
                                 void (*action)(const ServiceDatabase&, const Caller&, const std::string&,
                                                TimePoint)) {
        routes.add(method, pattern, Access::member, BodyRule::none(), [&, action](RequestContext& context) {
            action(database, context.caller(), context.parameter("id"), context.now());
            return Reply::json(Json::object());
        });
    };
    itemAction(HttpMethod::patch, "api/native/v1/kvitra/{id}", BodyRule::json(), &correctInboxItem);
    itemAction(HttpMethod::post, "api/native/v1/kvitra/{id}/categorize", BodyRule::json(),
               &categorizeInboxItem);
    itemAction(HttpMethod::post, "api/native/v1/kvitra/{id}/invoice-type", BodyRule::json(),
               &setInboxItemType);
    itemAction(HttpMethod::post, "api/native/v1/kvitra/{id}/order-confirmation", BodyRule::json(),
               &confirmOrderInboxItem);
    routes.add(HttpMethod::post, "api/native/v1/kvitra/{id}/reverse-billing", Access::member,
               BodyRule::none(), [&](RequestContext& context) {
                   return Reply::json(
                       Json{{"invoiceId", createReverseBilling(database, context.caller(),
                                                               context.parameter("id"), context.now())}});
               });
    plainAction(HttpMethod::post, "api/native/v1/kvitra/{id}/archive", &archiveInboxItem);
    plainAction(HttpMethod::del, "api/native/v1/kvitra/{id}", &deleteInboxItem);
    plainAction(HttpMethod::del, "api/native/v1/kvitra/rules/{id}", &deleteKvitraRule);
    routes.get("api/native/v1/kvitra/sync", Access::member,
               [](RequestContext&) { return Reply::json(cloudCopyStatus()); });
    routes.add(
        HttpMethod::post, "api/native/v1/kvitra/sync", Access::member, BodyRule::none(),
        [](RequestContext&) { return Reply::json(cloudCopyStatus()); },
        AuditRule::nothing("reports the cloud copy, which cannot be connected"));
    routes.get("api/native/v1/kvitra/settings", Access::member, [&](RequestContext& context) {
        return Reply::json(inboxSettings(database, context.caller()));
    });
    routes.add(HttpMethod::patch, "api/native/v1/kvitra/settings", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   patchInboxSettings(database, context.caller(), context.body(), context.now());
                   return Reply::json(Json::object());
               });
    // The preview image is a file of its own with its own entity tag: a device keeps both.
    routes.get("api/native/v1/kvitra/{id}/document", Access::member, [&](RequestContext& context) {
        const std::string id = context.parameter("id");
        const std::optional<std::string> variant = context.query("variant");
        if (variant && *variant != "thumbnail")
            throw ServiceError(ErrorKind::badRequest, "Onbekende variant: alleen \"thumbnail\".");
        StoredFile file = variant ? inboxThumbnail(database, context.caller(), id, context.now())
                                  : inboxDocument(database, context.caller(), id);
        return conditionalReply(context, std::move(file.bytes), file.contentType);
    });
    routes.get("api/uploads/{key*}", Access::member, [&](RequestContext& context) {
        StoredFile file = storedFile(database, context.caller(), context.parameter("key"));
        return conditionalReply(context, std::move(file.bytes), file.contentType);
    });
}

}  // namespace zelvorin::service
