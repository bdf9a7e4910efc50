// The record types of the local database: one struct per table that has a record type, fields in
// column order, read from a row by column name and written back as (column, value) pairs.
#include <sstream>
#include <string>

#include "persistence/codegen/Codegen.h"

namespace zelvorin::codegen {

namespace {

using zelvorin::ColumnDescription;
using zelvorin::FieldKind;
using zelvorin::TableDescription;

bool isEnum(const ColumnDescription& column) {
    return !column.enumType.empty();
}

std::string cppType(const ColumnDescription& column) {
    if (isEnum(column)) return column.enumType;
    switch (column.kind) {
        case FieldKind::text:
            return "std::string";
        case FieldKind::optionalText:
            return "std::optional<std::string>";
        case FieldKind::integer:
            return "std::int64_t";
        case FieldKind::optionalInteger:
            return "std::optional<std::int64_t>";
        case FieldKind::boolean:
            return "bool";
        case FieldKind::optionalBoolean:
            return "std::optional<bool>";
        case FieldKind::optionalReal:
            return "std::optional<double>";
        case FieldKind::none:
            break;
    }
    return {};
}

std::string cppStringLiteral(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        out += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

// The column's DEFAULT as a C++ initialiser, so a new record starts as a new row would.
std::string initialiser(const ColumnDescription& column) {
    auto at = column.constraints.find("DEFAULT ");
    std::string value = at == std::string::npos ? "" : column.constraints.substr(at + 8);
    bool textDefault = value.size() >= 2 && value.front() == '\'' && value.back() == '\'';
    if (textDefault) value = value.substr(1, value.size() - 2);
    if (isEnum(column))
        return " = " + column.enumType + "::" + (value.empty() ? column.enumValues.front() : value);
    switch (column.kind) {
        case FieldKind::integer:
            return " = " + (value.empty() ? std::string("0") : value);
        case FieldKind::boolean:
            return value.empty() || value == "0" ? " = false" : " = true";
        case FieldKind::text:
            return textDefault ? " = " + cppStringLiteral(value) : "";
        default:
            return "";
    }
}

std::string reader(const ColumnDescription& column) {
    if (isEnum(column)) return "readEnum";
    switch (column.kind) {
        case FieldKind::text:
            return "readText";
        case FieldKind::optionalText:
            return "readOptionalText";
        case FieldKind::integer:
            return "readInteger";
        case FieldKind::optionalInteger:
            return "readOptionalInteger";
        case FieldKind::boolean:
            return "readBoolean";
        case FieldKind::optionalBoolean:
            return "readOptionalBoolean";
        case FieldKind::optionalReal:
            return "readOptionalReal";
        case FieldKind::none:
            break;
    }
    return {};
}

void writeEnumDeclaration(std::ostream& out, const ColumnDescription& column) {
    out << "    enum class " << column.enumType << " {";
    for (std::size_t i = 0; i < column.enumValues.size(); ++i)
        out << (i == 0 ? " " : ", ") << column.enumValues[i];
    out << " };\n"
        << "    // Nothing for a raw value outside the enumeration.\n"
        << "    static std::optional<" << column.enumType << "> parse" << column.enumType
        << "(std::string_view raw);\n"
        << "    static std::string_view rawValue(" << column.enumType << " value);\n\n";
}

void writeRecordDeclaration(std::ostream& out, const TableDescription& table) {
    out << "\n// A row of `" << table.name << "`.\nstruct " << table.recordType << " {\n"
        << "    static constexpr std::string_view tableName = \"" << table.name << "\";\n\n";
    for (const auto& column : table.columns) {
        if (isEnum(column)) writeEnumDeclaration(out, column);
    }
    for (const auto& column : table.columns) {
        if (column.kind == FieldKind::none) continue;
        out << "    " << cppType(column) << " " << column.fieldName << initialiser(column) << ";\n";
    }
    out << "\n    bool operator==(const " << table.recordType << "&) const = default;\n"
        << "    // Columns are matched by name; columns the record does not know are ignored. A query\n"
        << "    // resolves its layout once and reads each of its rows with it.\n"
        << "    static RowLayout layoutOf(const Statement& row);\n"
        << "    static " << table.recordType << " fromRow(const Statement& row, const RowLayout& layout);\n"
        << "    static " << table.recordType
        << " fromRow(const Statement& row) { return fromRow(row, layoutOf(row)); }\n"
        << "    ColumnValues columnValues() const;\n"
        << "    // Takes over the fields named (lowerCamelCase, as the payload keys) from `from`; a name "
           "the\n"
        << "    // record does not have throws std::invalid_argument.\n"
        << "    void assign(const " << table.recordType
        << "& from, std::span<const std::string_view> fields);\n};\n";
}

void writeHeader(std::ostream& out, const zelvorin::Schema& schema) {
    out << kBanner
        << "#pragma once\n\n#include <cstdint>\n#include <optional>\n#include <string>\n"
           "#include <span>\n#include <string_view>\n#include <utility>\n#include <vector>\n\n"
           "#include \"persistence/sqlite/Statement.h\"\n\nnamespace zelvorin {\n\n"
           "using ColumnValues = std::vector<std::pair<std::string_view, SqlValue>>;\n"
           "// The field each result column fills, by column index; -1 for a column the record does not "
           "know.\n"
           "using RowLayout = std::vector<int>;\n";
    for (const TableDescription& table : schema.tables()) {
        if (!table.recordType.empty()) writeRecordDeclaration(out, table);
    }
    out << "\n}  // namespace zelvorin\n";
}

void writeEnumDefinitions(std::ostream& out, const std::string& type, const ColumnDescription& column) {
    const std::string qualified = type + "::" + column.enumType;
    out << "\nstd::optional<" << qualified << "> " << type << "::parse" << column.enumType
        << "(std::string_view raw) {\n";
    for (const auto& value : column.enumValues)
        out << "    if (raw == \"" << value << "\") return " << qualified << "::" << value << ";\n";
    out << "    return std::nullopt;\n}\n\n"
        << "std::string_view " << type << "::rawValue(" << column.enumType << " value) {\n"
        << "    switch (value) {\n";
    for (const auto& value : column.enumValues)
        out << "        case " << column.enumType << "::" << value << ":\n            return \"" << value
            << "\";\n";
    out << "    }\n    return {};\n}\n";
}

void writeFromRow(std::ostream& out, const TableDescription& table) {
    const std::string& type = table.recordType;
    out << "\nRowLayout " << type << "::layoutOf(const Statement& row) {\n"
        << "    static const std::unordered_map<std::string_view, int> fields = {\n";
    int index = 0;
    for (const auto& column : table.columns) {
        if (column.kind != FieldKind::none)
            out << "        {\"" << column.name << "\", " << index++ << "},\n";
    }
    out << "    };\n"
        << "    RowLayout layout(static_cast<std::size_t>(row.columnCount()), -1);\n"
        << "    for (std::size_t i = 0; i < layout.size(); ++i) {\n"
        << "        auto field = fields.find(row.columnName(static_cast<int>(i)));\n"
        << "        if (field != fields.end()) layout[i] = field->second;\n"
        << "    }\n    return layout;\n}\n\n"
        << type << " " << type << "::fromRow(const Statement& row, const RowLayout& layout) {\n"
        << "    " << type << " record;\n"
        << "    for (int i = 0, n = static_cast<int>(layout.size()); i < n; ++i) {\n"
        << "        switch (layout[static_cast<std::size_t>(i)]) {\n";
    index = 0;
    for (const auto& column : table.columns) {
        if (column.kind == FieldKind::none) continue;
        out << "            case " << index++ << ": " << reader(column) << "(row, i, record."
            << column.fieldName;
        if (isEnum(column)) out << ", &" << type << "::parse" << column.enumType;
        out << "); break;\n";
    }
    out << "            default: break;\n        }\n    }\n    return record;\n}\n";
}

void writeColumnValues(std::ostream& out, const TableDescription& table) {
    out << "\nColumnValues " << table.recordType << "::columnValues() const {\n    return {\n";
    for (const auto& column : table.columns) {
        if (column.kind == FieldKind::none) continue;
        std::string value =
            isEnum(column) ? "std::string(rawValue(" + column.fieldName + "))" : column.fieldName;
        out << "        {\"" << column.name << "\", sqlValue(" << value << ")},\n";
    }
    out << "    };\n}\n";
}

void writeAssign(std::ostream& out, const TableDescription& table) {
    const std::string& type = table.recordType;
    out << "\nvoid " << type << "::assign(const " << type
        << "& from, std::span<const std::string_view> fields) {\n"
        << "    for (const std::string_view field : fields) {\n        ";
    for (const auto& column : table.columns) {
        if (column.kind == FieldKind::none) continue;
        out << "if (field == \"" << column.fieldName << "\") " << column.fieldName << " = from."
            << column.fieldName << ";\n        else ";
    }
    out << "throw std::invalid_argument(\"" << type << " has no field \" + std::string(field));\n    }\n}\n";
}

void writeSource(std::ostream& out, const zelvorin::Schema& schema) {
    out << kBanner
        << "#include \"persistence/generated/Records.h\"\n\n#include <stdexcept>\n#include <string>\n"
           "#include <string_view>\n#include <unordered_map>\n\n"
           "#include \"persistence/RecordReading.h\"\n\nnamespace zelvorin {\n";
    for (const TableDescription& table : schema.tables()) {
        if (table.recordType.empty()) continue;
        for (const auto& column : table.columns) {
            if (isEnum(column)) writeEnumDefinitions(out, table.recordType, column);
        }
        writeFromRow(out, table);
        writeColumnValues(out, table);
        writeAssign(out, table);
    }
    out << "\n}  // namespace zelvorin\n";
}

}  // namespace

std::string recordsHeader(const Schema& schema) {
    std::ostringstream out;
    writeHeader(out, schema);
    return out.str();
}

std::string recordsSource(const Schema& schema) {
    std::ostringstream out;
    writeSource(out, schema);
    return out.str();
}

}  // namespace zelvorin::codegen
