#pragma once

#include <string_view>

namespace zelvorin {

// Named places in the storage code where a crash test can stop the process dead (SIGKILL), to
// prove that what was committed survives and what was not leaves no trace. Inert unless a test
// arms one; an armed point fires on its n-th pass and the process does not come back.
void faultPoint(std::string_view name);

// Arms `name` to fire on pass number `pass` (1 = the first). Only for crash tests, which arm a
// point in a child process and look at the database from the parent.
void armFaultPoint(std::string_view name, int pass);

}  // namespace zelvorin
