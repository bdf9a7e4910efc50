#include "persistence/Schema.h"

#include <sstream>
#include <stdexcept>

#include "persistence/SchemaText.h"

namespace zelvorin {

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        parts.push_back(part);
    return parts;
}

FieldKind kindOf(const std::string& type, const std::string& constraints, bool boolean) {
    bool required = constraints.find("NOT NULL") != std::string::npos;
    if (type == "REAL") return FieldKind::optionalReal;
    if (type == "INTEGER") {
        if (boolean) return required ? FieldKind::boolean : FieldKind::optionalBoolean;
        return required ? FieldKind::integer : FieldKind::optionalInteger;
    }
    return required ? FieldKind::text : FieldKind::optionalText;
}

ColumnDescription parseColumn(const std::vector<std::string>& tokens) {
    ColumnDescription column;
    column.name = tokens.at(0);
    column.sqlType = tokens.at(1);
    bool boolean = false;
    bool noField = false;
    for (std::size_t i = 2; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == ":bool") {
            boolean = true;
        } else if (token == ":nofield") {
            noField = true;
        } else if (token.starts_with(":enum(") && token.ends_with(")")) {
            std::string inside = token.substr(6, token.size() - 7);
            auto colon = inside.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == inside.size())
                throw std::invalid_argument("expected :enum(<Type>:<raw>,...)");
            column.enumType = inside.substr(0, colon);
            column.enumValues = splitCommas(inside.substr(colon + 1));
        } else if (token.starts_with(":json(") && token.ends_with(")")) {
            column.json = token.substr(6, token.size() - 7);
            parsePayloadMemberType(column.json);  // fails here, naming the line, when unknown
        } else if (token == ":unlisted") {
            column.unlisted = true;
        } else if (token.starts_with(":after(") && token.ends_with(")")) {
            column.after = token.substr(7, token.size() - 8);
        } else if (token.starts_with(':')) {
            throw std::invalid_argument("unknown annotation " + token);
        } else if (token.starts_with('@')) {
            column.addedBy = token.substr(1);
        } else {
            column.constraints += (column.constraints.empty() ? "" : " ") + token;
        }
    }
    column.kind = noField ? FieldKind::none : kindOf(column.sqlType, column.constraints, boolean);
    if (!column.enumType.empty() && column.kind != FieldKind::text)
        throw std::invalid_argument("an enumeration needs a TEXT NOT NULL column");
    if (column.unlisted && (!column.json.empty() || !column.after.empty()))
        throw std::invalid_argument(":unlisted leaves no member to type or place");
    column.fieldName = lowerCamelCase(column.name);
    return column;
}

std::string columnDefinition(const ColumnDescription& column) {
    std::string text = column.name + " " + column.sqlType;
    if (!column.constraints.empty()) text += " " + column.constraints;
    return text;
}

std::string indexStatement(const IndexDescription& index) {
    std::string columns;
    for (const auto& column : index.columns)
        columns += (columns.empty() ? "" : ", ") + column;
    return std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + index.name + " ON " +
           index.table + " (" + columns + ")";
}

// The FTS5 table over the content table's rows and the three triggers that keep it in step. An
// update re-indexes the row only when a searched column changed. The last statement indexes the
// rows that are already there.
std::vector<std::string> searchIndexStatements(const SearchIndexDescription& search) {
    std::string columns, newValues, oldValues;
    for (const auto& column : search.columns) {
        const std::string separator = columns.empty() ? "" : ", ";
        columns += separator + column;
        newValues += separator + "new." + column;
        oldValues += separator + "old." + column;
    }
    const std::string& n = search.name;
    const std::string insertNew =
        "INSERT INTO " + n + " (rowid, " + columns + ") VALUES (new.rowid, " + newValues + ");";
    const std::string deleteOld = "INSERT INTO " + n + " (" + n + ", rowid, " + columns +
                                  ") VALUES ('delete', old.rowid, " + oldValues + ");";
    return {
        "CREATE VIRTUAL TABLE " + n + " USING fts5(" + columns + ", content='" + search.table +
            "', tokenize='trigram')",
        "CREATE TRIGGER " + n + "_insert AFTER INSERT ON " + search.table + " BEGIN " + insertNew + " END",
        "CREATE TRIGGER " + n + "_delete AFTER DELETE ON " + search.table + " BEGIN " + deleteOld + " END",
        "CREATE TRIGGER " + n + "_update AFTER UPDATE OF " + columns + " ON " + search.table + " BEGIN " +
            deleteOld + " " + insertNew + " END",
        "INSERT INTO " + n + " (" + n + ") VALUES ('rebuild')",
    };
}

}  // namespace

std::string lowerCamelCase(std::string_view snake) {
    std::string result;
    bool upper = false;
    for (char c : snake) {
        if (c == '_') {
            upper = true;
        } else {
            result.push_back(upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
            upper = false;
        }
    }
    return result;
}

const ColumnDescription* TableDescription::column(std::string_view wanted) const {
    for (const auto& c : columns) {
        if (c.name == wanted) return &c;
    }
    return nullptr;
}

std::vector<SyncColumn> TableDescription::syncColumns() const {
    std::vector<SyncColumn> mapped;
    for (const auto& c : columns) {
        if (c.name == "revision" || c.name == "sync_state" || c.name == "local_modified_at" ||
            c.name == "last_sync_error")
            continue;
        mapped.push_back({lowerCamelCase(c.name), c.name});
    }
    return mapped;
}

const TableDescription* Schema::table(std::string_view name) const {
    for (const auto& t : tables_) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

const TableDescription* Schema::tableOfEntity(std::string_view entityType) const {
    for (const auto& t : tables_) {
        if (!t.entityType.empty() && t.entityType == entityType) return &t;
    }
    return nullptr;
}

const PayloadShapeDescription* Schema::payloadShape(std::string_view name) const {
    for (const auto& shape : payloadShapes_) {
        if (shape.name == name) return &shape;
    }
    return nullptr;
}

Schema Schema::parse(std::string_view text) {
    Schema schema;
    std::vector<PayloadShapeDescription> nested;
    std::istringstream in{std::string(text)};
    int lineNumber = 0;
    enum class Section { none, table, migration, shape } section = Section::none;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        auto tokens = words(line);
        if (tokens.empty()) continue;
        auto fail = [&](const char* why) {
            throw std::invalid_argument("schema line " + std::to_string(lineNumber) + ": " + why + ": " +
                                        line);
        };
        if (tokens[0] == "table") {
            if (tokens.size() != 4 && tokens.size() != 6)
                fail("expected: table <name> <migration> <record> [<entity type> <payload shape>]");
            TableDescription& table = schema.tables_.emplace_back();
            table.name = tokens[1];
            table.createdBy = tokens[2];
            table.recordType = tokens[3] == "-" ? "" : tokens[3];
            if (tokens.size() == 6) {
                table.entityType = tokens[4];
                table.payloadShape = tokens[5];
            }
            section = Section::table;
        } else if (tokens[0] == "shape") {
            if (tokens.size() != 2) fail("expected: shape <name>");
            nested.push_back({tokens[1], {}, {}, {}});
            section = Section::shape;
        } else if (section == Section::shape) {
            if (tokens.size() != 2) fail("expected: <key> <type>[?]");
            try {
                PayloadMemberDescription member = parsePayloadMemberType(tokens[1]);
                member.key = tokens[0];
                nested.back().members.push_back(std::move(member));
            } catch (const std::invalid_argument& error) {
                fail(error.what());
            }
        } else if (tokens[0] == "migration") {
            if (tokens.size() != 2) fail("expected: migration <identifier>");
            schema.migrations_.push_back({tokens[1], {}, {}, {}});
            section = Section::migration;
        } else if (section == Section::migration && (tokens[0] == "index" || tokens[0] == "unique")) {
            if (tokens.size() != 4) fail("expected: index <name> <table> <columns>");
            schema.migrations_.back().indexes.push_back(
                {tokens[1], tokens[2], splitCommas(tokens[3]), tokens[0] == "unique"});
        } else if (section == Section::migration && tokens[0] == "search") {
            if (tokens.size() != 4) fail("expected: search <name> <table> <columns>");
            schema.migrations_.back().searchIndexes.push_back({tokens[1], tokens[2], splitCommas(tokens[3])});
        } else if (section == Section::table) {
            if (tokens.size() < 2) fail("expected: <column> <type> ...");
            try {
                schema.tables_.back().columns.push_back(parseColumn(tokens));
            } catch (const std::invalid_argument& error) {
                fail(error.what());
            }
        } else {
            fail("unexpected line");
        }
    }
    schema.deriveStatements();
    schema.payloadShapes_ = derivePayloadShapes(schema.tables_, std::move(nested));
    return schema;
}

void Schema::deriveStatements() {
    auto known = [&](const std::string& id) {
        for (const auto& m : migrations_) {
            if (m.identifier == id) return true;
        }
        return false;
    };
    for (const auto& table : tables_) {
        if (!known(table.createdBy))
            throw std::invalid_argument("table " + table.name + ": unknown migration " + table.createdBy);
        for (const auto& column : table.columns) {
            if (!column.addedBy.empty() && !known(column.addedBy)) {
                throw std::invalid_argument("column " + table.name + "." + column.name +
                                            ": unknown migration " + column.addedBy);
            }
        }
    }
    for (auto& migration : migrations_) {
        std::vector<bool> indexUsed(migration.indexes.size(), false);
        for (const auto& table : tables_) {
            if (table.createdBy != migration.identifier) continue;
            std::string definition;
            for (const auto& column : table.columns) {
                if (!column.addedBy.empty()) continue;
                definition += (definition.empty() ? "\n  " : ",\n  ") + columnDefinition(column);
            }
            migration.statements.push_back("CREATE TABLE " + table.name + " (" + definition + "\n)");
            for (std::size_t i = 0; i < migration.indexes.size(); ++i) {
                if (migration.indexes[i].table != table.name) continue;
                migration.statements.push_back(indexStatement(migration.indexes[i]));
                indexUsed[i] = true;
            }
        }
        for (const auto& table : tables_) {
            for (const auto& column : table.columns) {
                if (column.addedBy != migration.identifier) continue;
                migration.statements.push_back("ALTER TABLE " + table.name + " ADD COLUMN " +
                                               columnDefinition(column));
            }
        }
        for (std::size_t i = 0; i < migration.indexes.size(); ++i) {
            if (!indexUsed[i]) migration.statements.push_back(indexStatement(migration.indexes[i]));
        }
        for (const auto& search : migration.searchIndexes) {
            const TableDescription* content = table(search.table);
            if (!content)
                throw std::invalid_argument("search " + search.name + ": unknown table " + search.table);
            for (const auto& column : search.columns)
                if (!content->column(column))
                    throw std::invalid_argument("search " + search.name + ": unknown column " + column);
            for (std::string& statement : searchIndexStatements(search))
                migration.statements.push_back(std::move(statement));
        }
    }
}

const Schema& Schema::shared() {
    static const Schema schema = parse(kSchemaText);
    return schema;
}

}  // namespace zelvorin
