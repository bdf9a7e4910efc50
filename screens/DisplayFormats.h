#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {

// How the screens show money and dates. Money is always Dutch ("€ 1.234,56"); dates follow the
// organisation's notation (org_settings.date_format): "en-us" MM/dd/yyyy, "en-gb" dd/MM/yyyy,
// "iso" yyyy-MM-dd, anything else dd-MM-yyyy.
struct DisplayFormats {
    std::optional<std::string> dateNotation;

    std::string money(std::int64_t cents) const;
    // A stored date or timestamp ("2026-03-16", "2026-03-16T10:00:00Z"); text that is no date is
    // shown as it is, nothing as empty.
    std::string date(const std::optional<std::string>& stored) const;
};

// A count with Dutch thousands separators: "12.345".
std::string groupedNumber(std::int64_t value);

// "Concept", "Verzonden", "Deels betaald", …; an unknown status as it is stored.
std::string invoiceStatusLabel(const std::string& rawStatus);

}  // namespace zelvorin
