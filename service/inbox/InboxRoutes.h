#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The Kvitra inbox and the files behind it:
//   POST api/native/v1/kvitra/upload          multipart {source, needsServerExtraction, file} -> {ids}
//   GET  api/native/v1/kvitra/{id}/document   the incoming invoice's document (conditional)
//   GET  api/uploads/{key*}                   a stored file by its key (conditional)
void addInboxRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
