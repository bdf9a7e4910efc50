#pragma once

namespace zelvorin::service {

class InboxReader;
class RouteTable;
class ServiceDatabase;

// The Kvitra inbox and the files behind it:
//   POST api/native/v1/kvitra/upload          multipart {source, needsServerExtraction, file} -> {ids};
//                                             an Idempotency-Key seen before answers the same ids
//   POST api/native/v1/kvitra/{id}/extraction a device's reading -> {accepted, source, fallback?}
//   POST api/native/v1/kvitra/{id}/reextract  the service reads the document again -> {dispatched}
//   GET  api/native/v1/kvitra/{id}/document   the incoming invoice's document (conditional)
//   GET  api/uploads/{key*}                   a stored file by its key (conditional)
void addInboxRoutes(RouteTable& routes, const ServiceDatabase& database, InboxReader& reader);

}  // namespace zelvorin::service
