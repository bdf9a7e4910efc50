#pragma once

#include <cstdint>
#include <string>

#include "persistence/repositories/BankRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/repositories/KvitraRepository.h"

namespace zelvorin {

// The filters of the list screens as a person chooses them by name. A name that is not one of the
// choices is an InputError listing them; `label` names the control.
InvoiceSegment typedInvoiceSegment(const std::string& typed, const std::string& label);
KvitraRepository::InboxFilter typedInboxStatus(const std::string& typed, const std::string& label);
KvitraRepository::CategoryFilter typedInboxCategory(const std::string& typed, const std::string& label);

// The bank list shows its transactions a page at a time.
inline constexpr int kBankPageSize = 50;
struct BankPage {
    int number = 1;  // from 1
    std::int64_t offset() const { return static_cast<std::int64_t>(number - 1) * kBankPageSize; }
};
// Throws InputError for a page number below 1.
BankPage bankPage(int number, const std::string& label);

}  // namespace zelvorin
