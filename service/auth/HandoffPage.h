#pragma once

#include <string>
#include <vector>

#include "service/store/Accounts.h"

namespace zelvorin::service {

// The development sign-in page: one link per account, each carrying `deviceQuery` (the device's
// query items, already encoded, each starting with "&") so the choice keeps them.
std::string handoffPage(const std::vector<UserAccount>& accounts, const std::string& deviceQuery);

}  // namespace zelvorin::service
