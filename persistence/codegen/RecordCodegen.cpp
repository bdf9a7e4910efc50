// Writes the record types of the local database from its schema description:
//   zelvorin-record-codegen <Records.h> <Records.cpp>
// One struct per table that has a record type, fields in column order, read from a row by column
// name and written back as (column, value) pairs.
#include <fstream>
#include <iostream>
#include <sstream>

#include "persistence/Schema.h"

namespace {

using zelvorin::ColumnDescription;
using zelvorin::FieldKind;
using zelvorin::TableDescription;

const char* cppType(FieldKind kind) {
    switch (kind) {
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
            return "";
    }
    return "";
}

// The column's DEFAULT as a C++ initialiser, so a new record starts as a new row would.
std::string initialiser(const ColumnDescription& column) {
    auto at = column.constraints.find("DEFAULT ");
    if (at == std::string::npos) {
        if (column.kind == FieldKind::integer) return " = 0";
        if (column.kind == FieldKind::boolean) return " = false";
        return "";
    }
    std::string value = column.constraints.substr(at + 8);
    if (column.kind == FieldKind::boolean) return value == "0" ? " = false" : " = true";
    if (column.kind == FieldKind::integer) return " = " + value;
    if (value.size() >= 2 && value.front() == '\'') {
        std::string text = value.substr(1, value.size() - 2);
        std::string escaped;
        for (char c : text)
            escaped += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
        return " = \"" + escaped + "\"";
    }
    return "";
}

const char* reader(FieldKind kind) {
    switch (kind) {
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
            return "";
    }
    return "";
}

void writeHeader(std::ostream& out, const zelvorin::Schema& schema) {
    out << "// Generated from the schema description by zelvorin-record-codegen. Do not edit.\n"
           "#pragma once\n\n#include <cstdint>\n#include <optional>\n#include <string>\n#include "
           "<string_view>\n"
           "#include <utility>\n#include <vector>\n\n#include \"persistence/sqlite/Statement.h\"\n\n"
           "namespace zelvorin {\n\nusing ColumnValues = std::vector<std::pair<std::string_view, "
           "SqlValue>>;\n";
    for (const TableDescription& table : schema.tables()) {
        if (table.recordType.empty()) continue;
        out << "\n// A row of `" << table.name << "`.\nstruct " << table.recordType << " {\n"
            << "    static constexpr std::string_view tableName = \"" << table.name << "\";\n\n";
        for (const auto& column : table.columns) {
            if (column.kind == FieldKind::none) continue;
            out << "    " << cppType(column.kind) << " " << column.fieldName << initialiser(column) << ";\n";
        }
        out << "\n    bool operator==(const " << table.recordType << "&) const = default;\n"
            << "    // Columns are matched by name; columns the record does not know are ignored.\n"
            << "    static " << table.recordType << " fromRow(const Statement& row);\n"
            << "    ColumnValues columnValues() const;\n};\n";
    }
    out << "\n}  // namespace zelvorin\n";
}

void writeSource(std::ostream& out, const zelvorin::Schema& schema) {
    out << "// Generated from the schema description by zelvorin-record-codegen. Do not edit.\n"
           "#include \"persistence/generated/Records.h\"\n\n#include <string_view>\n#include "
           "<unordered_map>\n\n"
           "#include \"persistence/RecordReading.h\"\n\nnamespace zelvorin {\n";
    for (const TableDescription& table : schema.tables()) {
        if (table.recordType.empty()) continue;
        const std::string& type = table.recordType;
        out << "\n"
            << type << " " << type << "::fromRow(const Statement& row) {\n"
            << "    static const std::unordered_map<std::string_view, int> fields = {\n";
        int index = 0;
        for (const auto& column : table.columns) {
            if (column.kind == FieldKind::none) continue;
            out << "        {\"" << column.name << "\", " << index++ << "},\n";
        }
        out << "    };\n    " << type << " record;\n"
            << "    for (int i = 0, n = row.columnCount(); i < n; ++i) {\n"
            << "        auto field = fields.find(row.columnName(i));\n"
            << "        if (field == fields.end()) continue;\n"
            << "        switch (field->second) {\n";
        index = 0;
        for (const auto& column : table.columns) {
            if (column.kind == FieldKind::none) continue;
            out << "            case " << index++ << ": " << reader(column.kind) << "(row, i, record."
                << column.fieldName << "); break;\n";
        }
        out << "        }\n    }\n    return record;\n}\n\n"
            << "ColumnValues " << type << "::columnValues() const {\n    return {\n";
        for (const auto& column : table.columns) {
            if (column.kind == FieldKind::none) continue;
            out << "        {\"" << column.name << "\", sqlValue(" << column.fieldName << ")},\n";
        }
        out << "    };\n}\n";
    }
    out << "\n}  // namespace zelvorin\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: zelvorin-record-codegen <Records.h> <Records.cpp>\n";
        return 2;
    }
    const auto& schema = zelvorin::Schema::shared();
    std::ostringstream header, source;
    writeHeader(header, schema);
    writeSource(source, schema);
    // Rewrite only on a change, so an unchanged schema does not rebuild everything that includes it.
    auto update = [](const char* path, const std::string& text) {
        std::ifstream existing(path, std::ios::binary);
        std::stringstream current;
        current << existing.rdbuf();
        if (existing && current.str() == text) return true;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        return static_cast<bool>(out);
    };
    return update(argv[1], header.str()) && update(argv[2], source.str()) ? 0 : 1;
}
