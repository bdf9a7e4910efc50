#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Storage;

// Read-only inspection of the storage, for tests and for looking around while developing:
//   GET /admin/organizations                         organisations with their members
//   GET /admin/records?org=<id>[&entityType=<type>]  the stored records, in change order
void addAdminRoutes(httplib::Server& server, Storage& storage);

}  // namespace zelvorin::service
