#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The VAT return:
//   GET  api/native/v1/btw/summary?year=&quarter=            -> the quarter's BtwQuarterSummary
//   POST api/native/v1/btw/export   {year, quarter}           -> the quarter's CSV, named in
//   Content-Disposition POST api/native/v1/btw/overige-kosten/{id}/vat-rate {vatRatePercent} -> the
//   other-cost line
void addBtwRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
