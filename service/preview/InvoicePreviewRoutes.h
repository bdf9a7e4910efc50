#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// GET api/native/v1/invoices/<id>/preview-pdf: the invoice of the signed-in organisation as a PDF,
// laid out by the same engine as on the devices. The entity tag is a digest of the bytes, so a
// request whose If-None-Match holds it gets 304 without a body. 404 for an invoice the
// organisation does not have.
void addInvoicePreviewRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
