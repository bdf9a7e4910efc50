#include "service/admin/ClockRoutes.h"

#include "domain/Clock.h"
#include "domain/Timestamps.h"
#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

// Where a POST wants the clock: `advanceSeconds` (≥ 0) from now, or the instant `now`.
TimePoint requestedTime(const Json& body, TimePoint now) {
    const bool advances = body.contains("advanceSeconds");
    if (advances == body.contains("now"))
        throw ServiceError(ErrorKind::badRequest, "Geef precies één van 'advanceSeconds' en 'now' op.");
    if (advances) {
        const std::int64_t seconds = requiredInteger(body, "advanceSeconds");
        if (seconds < 0)
            throw ServiceError(ErrorKind::unprocessable,
                               "De klok gaat alleen vooruit: 'advanceSeconds' < 0.");
        return now + std::chrono::seconds(seconds);
    }
    const std::string text = requiredText(body, "now");
    const std::optional<TimePoint> time = parseTimestamp(text);
    if (!time)
        throw ServiceError(ErrorKind::badRequest,
                           "'now' moet een tijdstip zijn zoals 2026-03-16T10:00:00Z, niet '" + text + "'.");
    if (*time < now)
        throw ServiceError(ErrorKind::unprocessable, "De klok gaat alleen vooruit: " + text + " ligt voor " +
                                                         formatTimestampSeconds(now) + ".");
    return *time;
}

}  // namespace

void addClockRoutes(RouteTable& routes, const Clock& clock, ManualClock* settable,
                    std::function<void()> afterMove) {
    routes.get("admin/clock", Access::operator_, [&clock, settable](RequestContext&) {
        return Reply::json(
            Json{{"now", formatTimestampMillis(clock.now())}, {"settable", settable != nullptr}});
    });
    routes.add(
        HttpMethod::post, "admin/clock", Access::operator_, BodyRule::json(),
        [settable, afterMove = std::move(afterMove)](RequestContext& context) {
            if (!settable)
                throw ServiceError(ErrorKind::conflict,
                                   "Deze dienst volgt de systeemklok; start haar met --now om de klok "
                                   "te kunnen verzetten.");
            const TimePoint to = requestedTime(context.body(), settable->now());
            settable->set(to);
            if (afterMove) afterMove();
            return Reply::json(Json{{"now", formatTimestampMillis(to)}, {"settable", true}});
        },
        AuditRule::nothing("moves the operator's test clock; what comes due is audited by the work it runs"));
}

}  // namespace zelvorin::service
