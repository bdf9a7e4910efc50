#include "service/bank/CsvStatement.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

using namespace statementtext;
using Row = std::vector<std::string>;

// Splits the text into rows of fields: fields in double quotes may hold the delimiter, line ends
// and doubled quotes.
std::vector<Row> rowsOf(std::string_view text, char delimiter) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = any = true;
        } else if (c == delimiter) {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (any || !field.empty()) {
                row.push_back(std::move(field));
                rows.push_back(std::move(row));
            }
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) throw ServiceError(ErrorKind::badRequest, "Het CSV-bestand houdt op midden in een veld.");
    if (any || !field.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string lower(std::string_view text) {
    std::string out(trimmed(text));
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view firstLine(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

char delimiterOf(std::string_view header) {
    return std::count(header.begin(), header.end(), ';') > std::count(header.begin(), header.end(), ',')
               ? ';'
               : ',';
}

enum class Layout { directionColumn, signedAmount };

std::optional<Layout> layoutOf(const Row& header) {
    auto has = [&](std::string_view name) {
        return std::ranges::any_of(header, [&](const std::string& column) { return lower(column) == name; });
    };
    if (has("af bij") && has("bedrag (eur)") && has("datum")) return Layout::directionColumn;
    if (has("volgnr") && has("bedrag") && has("datum") && has("iban/bban")) return Layout::signedAmount;
    return std::nullopt;
}

// Reads fields of a row by their header name.
class Columns {
public:
    explicit Columns(const Row& header) {
        for (const std::string& column : header)
            names_.push_back(lower(column));
    }
    std::string operator()(const Row& row, std::string_view name) const {
        const auto found = std::ranges::find(names_, name);
        if (found == names_.end()) return {};
        const auto index = static_cast<std::size_t>(found - names_.begin());
        return index < row.size() ? std::string(trimmed(row[index])) : std::string{};
    }

private:
    std::vector<std::string> names_;
};

StatementEntry directionRow(const Columns& column, const Row& row, std::string& account) {
    StatementEntry entry;
    entry.bookingDate = calendarDate(column(row, "datum"));
    const std::int64_t cents = parseAmountCents(column(row, "bedrag (eur)"));
    const std::string direction = lower(column(row, "af bij"));
    if (direction != "af" && direction != "bij")
        throw ServiceError(ErrorKind::badRequest, "De kolom 'Af Bij' moet 'Af' of 'Bij' zijn, niet '" +
                                                      column(row, "af bij") + "'.");
    entry.amountCents = direction == "af" ? -cents : cents;
    entry.counterpartyName = folded(column(row, "naam / omschrijving"));
    entry.counterpartyIban = compactIban(column(row, "tegenrekening"));
    entry.description = folded(column(row, "mededelingen"));
    if (account.empty()) account = compactIban(column(row, "rekening"));
    return entry;
}

StatementEntry signedRow(const Columns& column, const Row& row, std::string& account) {
    StatementEntry entry;
    entry.bookingDate = calendarDate(column(row, "datum"));
    entry.amountCents = parseAmountCents(column(row, "bedrag"));
    entry.currency = currencyCode(column(row, "munt"));
    if (const std::string sequence = column(row, "volgnr"); !sequence.empty())
        entry.entryReference = sequence;
    entry.counterpartyName = folded(column(row, "naam tegenpartij"));
    entry.counterpartyIban = compactIban(column(row, "tegenrekening iban/bban"));
    std::string description;
    for (const char* part : {"omschrijving-1", "omschrijving-2", "omschrijving-3", "betalingskenmerk"})
        if (const std::string text = column(row, part); !text.empty()) description += " " + text;
    entry.description = folded(description);
    if (account.empty()) account = compactIban(column(row, "iban/bban"));
    return entry;
}

}  // namespace

bool looksLikeBankCsv(std::string_view bytes) {
    const std::string_view header = firstLine(bytes);
    const std::vector<Row> rows = rowsOf(header, delimiterOf(header));
    return !rows.empty() && layoutOf(rows.front()).has_value();
}

ParsedStatement parseBankCsv(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const std::vector<Row> rows = rowsOf(bytes, delimiterOf(firstLine(bytes)));
    const std::optional<Layout> layout = rows.empty() ? std::nullopt : layoutOf(rows.front());
    if (!layout)
        throw ServiceError(ErrorKind::unsupportedMediaType, "De kolommen van dit CSV-bestand zijn onbekend.");
    const Columns columns(rows.front());
    ParsedStatement parsed;
    parsed.format = "csv";
    for (std::size_t line = 1; line < rows.size(); ++line) {
        try {
            parsed.entries.push_back(*layout == Layout::directionColumn
                                         ? directionRow(columns, rows[line], parsed.accountIban)
                                         : signedRow(columns, rows[line], parsed.accountIban));
        } catch (const ServiceError& error) {
            throw ServiceError(error.kind(), "Regel " + std::to_string(line + 1) + ": " + error.what());
        }
    }
    return parsed;
}

}  // namespace zelvorin::service
