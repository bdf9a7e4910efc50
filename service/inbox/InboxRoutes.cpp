#include "service/inbox/InboxRoutes.h"

#include <httplib.h>

#include "service/http/ConditionalAnswer.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxActions.h"

namespace zelvorin::service {

namespace {

std::string formField(const httplib::Request& request, const char* name) {
    if (!request.has_file(name))
        throw ServiceError(ErrorKind::badRequest, std::string("Het veld \"") + name + "\" ontbreekt.");
    return request.get_file_value(name).content;
}

InboxUpload inboxUpload(const httplib::Request& request) {
    InboxUpload upload;
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

void addInboxRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::post, "api/native/v1/kvitra/upload", Access::member, BodyRule::multipart(),
               [&](RequestContext& context) {
                   const std::string id = storeInboxDocument(database, context.caller(),
                                                             inboxUpload(context.request()), context.now());
                   return Reply::json(Json{{"ids", Json::array({id})}});
               });
    routes.get("api/native/v1/kvitra/{id}/document", Access::member, [&](RequestContext& context) {
        StoredFile file = inboxDocument(database, context.caller(), context.parameter("id"));
        return conditionalReply(context, std::move(file.bytes), file.contentType);
    });
    routes.get("api/uploads/{key*}", Access::member, [&](RequestContext& context) {
        StoredFile file = storedFile(database, context.caller(), context.parameter("key"));
        return conditionalReply(context, std::move(file.bytes), file.contentType);
    });
}

}  // namespace zelvorin::service
