#pragma once

namespace zelvorin::service {

class FaultSwitches;
class RequestLog;
class RouteTable;
class ServiceDatabase;

//   GET    healthz                                      {"status": "ok"}, open to anyone
void addHealthRoute(RouteTable& routes);

// Looking into the service and steering it, for tests and while developing: added only when the
// service has an admin token (AdminGate), and answered only to a request that presents it:
//   GET    admin/organizations                          organisations with their members
//   GET    admin/records?org=<id>[&entityType=<type>]   the stored records, in change order
//   POST   admin/records {org, entityType, id, payload} a change made on the service's side
//   DELETE admin/records?org=&entityType=&id=           tombstones a record
//   GET    admin/audit?org=<id>[&limit=<n>]             the audit log, newest first
//   GET    admin/requests, POST admin/requests/reset    how often each path was asked for
//   POST   admin/faults {...}, DELETE admin/faults      switches faults on (see FaultSwitches), or all off
void addAdminRoutes(RouteTable& routes, const ServiceDatabase& database, FaultSwitches& faults,
                    RequestLog& log);

}  // namespace zelvorin::service
