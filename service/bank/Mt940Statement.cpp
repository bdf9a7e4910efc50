#include "service/bank/Mt940Statement.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

using namespace statementtext;

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::badRequest, "Het MT940-afschrift is niet te lezen: " + text);
}

struct Field {
    std::string tag;    // "61", "86", "60F", …
    std::string value;  // continuation lines joined with '\n'
};

// The fields of the text block, in order. Lines that do not start a field continue the last one.
std::vector<Field> fieldsOf(std::string_view text) {
    std::vector<Field> fields;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        const std::size_t close =
            line.size() > 1 && line[0] == ':' ? line.find(':', 1) : std::string_view::npos;
        if (close != std::string_view::npos && close <= 4) {
            fields.push_back({std::string(line.substr(1, close - 1)), std::string(line.substr(close + 1))});
        } else if (line == "-" || line == "-}" || line.starts_with("{") || line.empty()) {
            continue;  // the end of a message or the blocks around it
        } else if (!fields.empty()) {
            fields.back().value += "\n" + std::string(line);
        }
    }
    return fields;
}

// A balance field: C or D, yymmdd, currency, amount ("C260316EUR1234,56").
std::int64_t balanceCents(const Field& field) {
    const std::string& value = field.value;
    if (value.size() < 11 || (value[0] != 'C' && value[0] != 'D'))
        refuse("saldo :" + field.tag + ": '" + value + "'.");
    const std::int64_t cents = parseAmountCents(value.substr(10));
    return value[0] == 'D' ? -cents : cents;
}

std::string dateFromYymmdd(std::string_view yymmdd) {
    if (yymmdd.size() != 6) refuse("datum '" + std::string(yymmdd) + "'.");
    return calendarDate("20" + std::string(yymmdd));
}

// A :61: line: yymmdd, optional mmdd entry date, C/D/RC/RD, optional funds code, amount with a
// decimal comma, a transaction type of four characters, the owner's reference, optionally "//" and
// the bank's reference; a second line with supplementary details.
StatementEntry statementLine(const Field& field) {
    const std::string_view value = field.value;
    const std::string_view first = value.substr(0, value.find('\n'));
    StatementEntry entry;
    entry.bookingDate = dateFromYymmdd(first.substr(0, 6));
    std::size_t at = 6;
    if (first.size() >= at + 4 && std::isdigit(static_cast<unsigned char>(first[at]))) at += 4;
    bool debit = false;
    if (first.substr(at, 2) == "RC" || first.substr(at, 2) == "RD") {
        debit = first[at + 1] == 'C';  // a reversal of a credit takes money off
        at += 2;
    } else if (at < first.size() && (first[at] == 'C' || first[at] == 'D')) {
        debit = first[at] == 'D';
        at += 1;
    } else {
        refuse("boekingsregel zonder C of D: '" + std::string(first) + "'.");
    }
    if (at < first.size() && std::isalpha(static_cast<unsigned char>(first[at]))) ++at;  // funds code
    const std::size_t amountEnd = first.find_first_not_of("0123456789,.", at);
    if (amountEnd == std::string_view::npos || amountEnd == at)
        refuse("boekingsregel zonder bedrag: '" + std::string(first) + "'.");
    const std::int64_t cents = parseAmountCents(first.substr(at, amountEnd - at));
    entry.amountCents = debit ? -cents : cents;
    const std::string_view rest = first.substr(amountEnd);
    if (const std::size_t bank = rest.find("//"); bank != std::string_view::npos) {
        const std::string reference(trimmed(rest.substr(bank + 2)));
        if (!reference.empty() && reference != "NONREF") entry.entryReference = reference;
    }
    return entry;
}

// The :86: information: structured ("/IBAN/…/NAME/…/REMI/…" or "/CNTP/iban/bic/name/city/") or
// free text, which then is the description.
void readInformation(std::string_view raw, StatementEntry& entry) {
    std::string text;
    for (char c : raw)
        if (c != '\n' && c != '\r') text += c;
    if (!text.starts_with("/")) {
        entry.description = folded(raw);
        return;
    }
    static constexpr std::array<std::string_view, 19> kCodes{
        "TRTP", "IBAN", "BIC",  "NAME", "REMI", "EREF", "MARF", "CSID", "CNTP", "ORDP",
        "BENM", "ULTC", "ULTD", "PURP", "RTRN", "ADDR", "ISDT", "SVCL", "ID"};
    std::vector<std::string> tokens;
    for (std::size_t at = 1; at <= text.size();) {
        std::size_t slash = text.find('/', at);
        if (slash == std::string::npos) slash = text.size();
        tokens.push_back(text.substr(at, slash - at));
        at = slash + 1;
    }
    std::string code;
    std::vector<std::string> values;
    auto flush = [&] {
        auto joined = [&](std::size_t from) {
            std::string out;
            for (std::size_t i = from; i < values.size(); ++i)
                if (!values[i].empty()) out += (out.empty() ? "" : "/") + values[i];
            return out;
        };
        if (code == "IBAN") entry.counterpartyIban = compactIban(joined(0));
        if (code == "NAME") entry.counterpartyName = folded(joined(0));
        if (code == "REMI") {
            // "/REMI/USTD//text/" carries free text; without the marker the value is the text.
            const bool marked = !values.empty() && (values[0] == "USTD" || values[0] == "STRD");
            entry.description = folded(joined(marked ? 1 : 0));
        }
        if (code == "CNTP" || code == "ORDP" || code == "BENM") {
            if (!values.empty() && entry.counterpartyIban.empty())
                entry.counterpartyIban = compactIban(values[0]);
            if (values.size() > 2 && entry.counterpartyName.empty())
                entry.counterpartyName = folded(values[2]);
        }
        values.clear();
    };
    for (const std::string& token : tokens) {
        if (std::find(kCodes.begin(), kCodes.end(), token) != kCodes.end()) {
            flush();
            code = token;
        } else {
            values.push_back(token);
        }
    }
    flush();
}

}  // namespace

bool looksLikeMt940(std::string_view bytes) {
    const std::string_view head = bytes.substr(0, 512);
    return head.find(":20:") != std::string_view::npos &&
           (head.find(":25:") != std::string_view::npos || head.find("{4:") != std::string_view::npos ||
            bytes.find(":60F:") != std::string_view::npos);
}

ParsedStatement parseMt940Statement(std::string_view bytes) {
    ParsedStatement parsed;
    parsed.format = "mt940";
    std::int64_t running = 0;             // opening balance plus the movements so far
    bool opened = false;                  // the current statement's opening balance was read
    std::vector<StatementEntry> pending;  // the current statement's lines, kept until its closing balance
    bool open = false;
    for (const Field& field : fieldsOf(bytes)) {
        if (field.tag == "20") {
            if (open) refuse("een afschrift eindigt zonder slotsaldo (:62F:).");
            open = true;
            opened = false;
        } else if (field.tag == "25") {
            std::string account(trimmed(field.value));
            // "NL91ABNA0417164300EUR" or "NL91ABNA0417164300 EUR": the currency is not part of the IBAN.
            if (account.size() > 3 && account.ends_with("EUR")) account.resize(account.size() - 3);
            if (parsed.accountIban.empty()) parsed.accountIban = compactIban(account);
        } else if (field.tag == "60F" || field.tag == "60M") {
            running = balanceCents(field);
            opened = true;
        } else if (field.tag == "61") {
            if (!open || !opened) refuse("een boekingsregel staat voor het beginsaldo (:60F:).");
            pending.push_back(statementLine(field));
            running += pending.back().amountCents;
        } else if (field.tag == "86") {
            if (!pending.empty()) readInformation(field.value, pending.back());
        } else if (field.tag == "62F" || field.tag == "62M") {
            if (!open || !opened) refuse("een slotsaldo zonder beginsaldo.");
            if (balanceCents(field) != running)
                refuse(
                    "beginsaldo plus de boekingen komt niet uit op het slotsaldo; het bestand is "
                    "onvolledig.");
            for (StatementEntry& entry : pending)
                parsed.entries.push_back(std::move(entry));
            pending.clear();
            open = false;
        }
    }
    if (open || !pending.empty())
        refuse("het bestand houdt op voor het slotsaldo (:62F:); het is onvolledig.");
    if (parsed.entries.empty() && !opened) refuse("geen afschrift met begin- en slotsaldo gevonden.");
    return parsed;
}

}  // namespace zelvorin::service
