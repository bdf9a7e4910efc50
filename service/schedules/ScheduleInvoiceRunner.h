#pragma once

#include <mutex>

#include "domain/TimePoint.h"

namespace zelvorin::service {

class ServiceDatabase;

// Generates the invoices of the organisations' active schedules at their billing moments, by the
// rules of domain/SchedulePeriods.h: an hourly schedule bills the working week's hours of its
// period, less its days off and the public holidays, at its rate; a fixed schedule bills its lines.
// The invoice is a draft with the schedule's descriptions filled in; with auto-send and a
// customer's invoice address it is sent through the scheduled sends once the review window has
// passed, otherwise it stays a draft. Devices receive it by pull.
//
// Each period is claimed in the transaction that writes its invoice (the key schedule + period), so
// a period gets one invoice however runs overlap, race or are cut off by a crash; a run after a
// restart bills what came due while the service was down. No day is billed twice either: after an
// edit of the rhythm or billing day, a period that shares days with one billed before leaves those
// days out (hourly) or is not billed (fixed). Moments before the generator first ran
// on the database are not billed: those periods were invoiced before the service took over.
class ScheduleInvoiceRunner {
public:
    explicit ScheduleInvoiceRunner(const ServiceDatabase& database) : database_(database) {}
    // Returns how many invoices were made.
    int runDue(TimePoint now);

private:
    const ServiceDatabase& database_;
    std::mutex running_;
};

}  // namespace zelvorin::service
