#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvorin {

// How a column appears in its table's record type.
enum class FieldKind {
    text,
    optionalText,
    integer,
    optionalInteger,
    boolean,
    optionalBoolean,
    optionalReal,
    none
};

struct ColumnDescription {
    std::string name;         // snake_case, as stored
    std::string sqlType;      // TEXT, INTEGER, REAL
    std::string constraints;  // as written in CREATE TABLE / ALTER TABLE, may be empty
    std::string addedBy;      // the migration that added the column; empty when created with the table
    FieldKind kind = FieldKind::optionalText;
    std::string fieldName;  // lowerCamelCase
    // For a text field that the record holds as an enumeration: its type name inside the record
    // and the raw values of its cases, in order. Empty otherwise.
    std::string enumType;
    std::vector<std::string> enumValues;
};

struct SyncColumn {
    std::string json;    // payload key: the column's lowerCamelCase name
    std::string column;  // snake_case, as stored
};

struct TableDescription {
    std::string name;
    std::string createdBy;
    std::string recordType;  // empty for the sync bookkeeping tables without a record
    std::vector<ColumnDescription> columns;

    const ColumnDescription* column(std::string_view name) const;
    // Carries sync bookkeeping; the others are the outbox, the cursor and the local work queues.
    bool isSynced() const { return column("sync_state") != nullptr; }
    // Edited on this device and pushed: the tables that keep the last push error. The other
    // synced tables are owned by the server.
    bool isLocallyEdited() const { return column("last_sync_error") != nullptr; }
    // What a synced table exchanges with the service: every column in order but the local
    // bookkeeping (revision, sync_state, local_modified_at, last_sync_error), each with its
    // payload key.
    std::vector<SyncColumn> syncColumns() const;
};

struct IndexDescription {
    std::string name;
    std::string table;
    std::vector<std::string> columns;
    bool unique = false;
};

struct MigrationDescription {
    std::string identifier;
    std::vector<IndexDescription> indexes;
    // The statements that apply the migration, derived from the tables and indexes, in order:
    // each table created here followed by its indexes, then the columns added to older tables,
    // then the indexes on older tables.
    std::vector<std::string> statements;
};

class Schema {
public:
    // The application's schema, parsed once from its description.
    static const Schema& shared();
    // Parses a description in the same grammar (tests use small ones). Throws std::invalid_argument
    // naming the line that does not fit.
    static Schema parse(std::string_view text);

    const std::vector<TableDescription>& tables() const { return tables_; }
    const TableDescription* table(std::string_view name) const;
    const std::vector<MigrationDescription>& migrations() const { return migrations_; }

private:
    void deriveStatements();

    std::vector<TableDescription> tables_;
    std::vector<MigrationDescription> migrations_;
};

// "quantity_hundredths" -> "quantityHundredths"
std::string lowerCamelCase(std::string_view snake);

}  // namespace zelvorin
