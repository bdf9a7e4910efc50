// Bank statement files as a person uploads them: any bytes are read as CAMT.053, MT940 or a bank's
// CSV export, or refused with a ServiceError — never a crash, a hang or an entry the bookkeeping
// cannot hold (a booking date that is not a date, a currency that is not a three-letter code).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "domain/Timestamps.h"
#include "service/bank/StatementFormat.h"
#include "service/http/ServiceError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zelvorin::service::ParsedStatement statement = zelvorin::service::readStatement(bytes);
        for (const zelvorin::service::StatementEntry& entry : statement.entries) {
            if (entry.bookingDate.size() != 10 || !zelvorin::parseCalendarDate(entry.bookingDate))
                std::abort();
            if (entry.currency.size() != 3) std::abort();
        }
    } catch (const zelvorin::service::ServiceError&) {
    }
    return 0;
}
