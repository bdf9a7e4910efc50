#pragma once

#include <chrono>
#include <string>

namespace zelvorin::service {

class ServiceDatabase;

// Fills an empty database with the demo: "Studio Zelvorin" (the full set of records of every kind),
// a second, smaller organisation, and two users, one of whom belongs to both. All dates are laid
// out around `referenceDate`; the same reference date always gives byte-identical records. Writes
// everything in one transaction, through the record writer like any other change, and nothing at
// all when the database already holds an organisation. `volume` more records (customers, contacts, draft
// invoices and their lines) are added to the demo organisation for sync at volume. Returns whether it seeded.
bool seedDemo(const ServiceDatabase& database, std::chrono::year_month_day referenceDate, int volume = 0);

// The seed's fixed ids: the same on every run and for every reference date.
std::string demoOrganizationId();
std::string secondOrganizationId();
std::string demoOwnerUserId();   // owner of the demo organisation, admin of the second
std::string demoMemberUserId();  // member of the demo organisation only

}  // namespace zelvorin::service
