#pragma once

#include <cstdint>

namespace zelvorin {

// The statutory collection costs ("incassokosten") a reminder may claim on an outstanding amount,
// in cents, by the Dutch scale for consumers and small businesses:
//   up to € 2.500          15 %, at least € 40
//   € 2.500 – € 5.000      € 375 + 10 % above € 2.500
//   € 5.000 – € 10.000     € 625 + 5 % above € 5.000
//   € 10.000 – € 200.000   € 875 + 1 % above € 10.000
//   above € 200.000        € 2.775 + 0,5 % above € 200.000, never more than € 6.775
// Rounded to whole cents, halves away from zero. Nothing is owed on less than one cent.
std::int64_t collectionCostsCents(std::int64_t outstandingCents);

}  // namespace zelvorin
