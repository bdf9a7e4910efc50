#pragma once

#include <functional>

namespace zelvorin {
class Clock;
class ManualClock;
}  // namespace zelvorin

namespace zelvorin::service {

class RouteTable;

// The service's clock, for the test harness (behind the admin token like the other admin routes):
//   GET  admin/clock                                  {"now": "...", "settable": bool}
//   POST admin/clock {"advanceSeconds": n} | {"now"}  moves a clock that stands still forward
// Only a service started with --now has a settable clock; on the system's clock the POST is a 409,
// so a running service's time is never moved by accident. The clock never goes back: revisions,
// audit entries and scheduled sends assume time only grows. `afterMove` runs after every move
// (the scheduled sends that came due), so a test sees their effect when the POST answers.
void addClockRoutes(RouteTable& routes, const Clock& clock, ManualClock* settable,
                    std::function<void()> afterMove = {});

}  // namespace zelvorin::service
