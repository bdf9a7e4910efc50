#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// POST api/native/v1/btw/export {"year", "quarter"}: the quarter's sent invoices as CSV for the
// VAT return (semicolons, amounts with a decimal comma, a totals line), as an attachment named
// "btw-aangifte-Q<quarter>-<year>.csv". A quarter outside 1-4 or a year outside 2000-2100 is 422.
void addVatExportRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
