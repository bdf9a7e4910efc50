#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The VAT return:
//   POST api/native/v1/btw/export   {year, quarter} -> the quarter's CSV, named in Content-Disposition
void addBtwRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
