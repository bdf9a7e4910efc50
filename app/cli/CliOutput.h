#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "app/cli/CliContext.h"
#include "persistence/generated/Records.h"
#include "persistence/repositories/InvoiceListItem.h"

namespace zelvorin::cli {

using Json = nlohmann::ordered_json;

// A stored row for scripts: every column by its name, NULL as null.
Json columnsJson(const ColumnValues& columns);
template <class Record>
Json recordJson(const Record& record) {
    return columnsJson(record.columnValues());
}
Json listItemJson(const InvoiceListItem& item);

// The invoice's number, else its draft number, else its id.
std::string invoiceLabel(const InvoiceListItem& item);

// Text cut or padded to a column width counted in characters, not bytes; the last is a space.
std::string column(const std::string& text, std::size_t width);
// Right-aligned, for amounts.
std::string rightColumn(const std::string& text, std::size_t width);

void printJson(CliContext& context, const Json& body);

}  // namespace zelvorin::cli
