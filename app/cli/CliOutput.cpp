#include "app/cli/CliOutput.h"
#include "app/cli/CliError.h"

#include <fstream>

#include <ostream>
#include <sstream>

#include "persistence/Schema.h"

namespace zelvorin::cli {
namespace {

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

// The byte length of the first `characters` characters.
std::size_t prefixBytes(const std::string& text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == characters) return i;
    }
    return text.size();
}

}  // namespace

Json columnsJson(std::string_view table, const ColumnValues& columns) {
    const TableDescription* description = Schema::shared().table(table);
    Json body = Json::object();
    for (const auto& [name, value] : columns) {
        const ColumnDescription* column = description ? description->column(name) : nullptr;
        Json& member = body[column ? column->fieldName : lowerCamelCase(name)];
        const bool boolean =
            column && (column->kind == FieldKind::boolean || column->kind == FieldKind::optionalBoolean);
        if (const auto* number = std::get_if<std::int64_t>(&value))
            member = boolean ? Json(*number != 0) : Json(*number);
        else if (const auto* real = std::get_if<double>(&value))
            member = *real;
        else if (const auto* text = std::get_if<std::string>(&value))
            member = *text;
    }
    return body;
}

Json listItemJson(const InvoiceListItem& item) {
    return Json{{"id", item.id},
                {"invoiceNumber", item.invoiceNumber ? Json(*item.invoiceNumber) : Json()},
                {"localDraftNumber", item.localDraftNumber ? Json(*item.localDraftNumber) : Json()},
                {"status", item.status},
                {"issueDate", item.issueDate},
                {"dueDate", item.dueDate ? Json(*item.dueDate) : Json()},
                {"totalCents", item.totalCents},
                {"syncState", item.syncState},
                {"customerName", item.customerName ? Json(*item.customerName) : Json()}};
}

std::string column(const std::string& text, std::size_t width) {
    // Always at least one space before the next column.
    const std::size_t count = characterCount(text);
    if (count >= width) return text.substr(0, prefixBytes(text, width - 2)) + "… ";
    return text + std::string(width - count, ' ');
}

std::string rightColumn(const std::string& text, std::size_t width) {
    const std::size_t count = characterCount(text);
    return count >= width ? text : std::string(width - count, ' ') + text;
}

void printJson(CliContext& context, const Json& body) {
    context.out() << body.dump() << '\n';
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw CliError(CliError::Kind::fileNotFound, path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeOutputFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file) throw CliError(CliError::Kind::fileNotWritable, path);
}

}  // namespace zelvorin::cli
