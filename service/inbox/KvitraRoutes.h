#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// The inbox's files:
//   POST api/native/v1/kvitra/upload (multipart: source, needsServerExtraction, file) stores the
//        document and makes one incoming invoice ("nieuw") for it; {"ids": [id]}. A file that is
//        not a PDF, JPEG or PNG by its content is 415, one over 25 MB 413.
//   GET  api/native/v1/kvitra/<id>/document the stored document (conditional, see ConditionalAnswer)
//   GET  api/uploads/<key> any stored file of the organisation by key (conditional)
void addKvitraRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
