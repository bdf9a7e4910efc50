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
    // How the column appears in its table's payload shape. `json` is the member's type as written
    // in ":json(...)" when it is not the column's own (an enumeration, a nested shape, any JSON, or
    // optional where the column is NOT NULL); `unlisted` when the shape leaves the column out (a
    // pulled payload that carries it still fills it); `after` the column whose member it follows
    // when the shape's order is not the table's.
    std::string json;
    bool unlisted = false;
    std::string after;
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
    // For a synced table: the entity type's raw value and the name of its payload shape.
    std::string entityType;
    std::string payloadShape;

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

// The JSON type of a payload member; the enumerations are strings of their raw values.
enum class PayloadMemberType {
    string,
    integer,
    boolean,
    any,
    vatTreatment,
    lineMode,
    syncState,
    object,
    objectArray
};

struct PayloadMemberDescription {
    std::string key;
    PayloadMemberType type = PayloadMemberType::string;
    std::string nested;  // the shape of an object or of an array's objects
    bool optional = false;
    std::string column;  // the column it is exchanged with; empty in a nested shape
    bool operator==(const PayloadMemberDescription&) const = default;
};

// The payload of an entity type (derived from its table) or a shape that occurs only nested.
struct PayloadShapeDescription {
    std::string name;
    std::string entityType;                         // empty for a nested shape
    std::string table;                              // empty for a nested shape
    std::vector<PayloadMemberDescription> members;  // in declaration order
};

struct IndexDescription {
    std::string name;
    std::string table;
    std::vector<std::string> columns;
    bool unique = false;
};

// A full-text index for searching as you type: an FTS5 table with the trigram tokenizer over
// columns of `table` (its content table, rows by rowid), kept in step by triggers, so every write
// to the table updates it in the same transaction.
struct SearchIndexDescription {
    std::string name;
    std::string table;
    std::vector<std::string> columns;
};

struct MigrationDescription {
    std::string identifier;
    std::vector<IndexDescription> indexes;
    std::vector<SearchIndexDescription> searchIndexes;
    // The statements that apply the migration, derived from the tables and indexes, in order:
    // each table created here followed by its indexes, then the columns added to older tables,
    // then the indexes on older tables, then the search indexes with their triggers, filled from
    // the rows already there.
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
    // The payload shapes of the entity types in table order, then the nested shapes.
    const std::vector<PayloadShapeDescription>& payloadShapes() const { return payloadShapes_; }
    const PayloadShapeDescription* payloadShape(std::string_view name) const;
    const TableDescription* tableOfEntity(std::string_view entityType) const;

private:
    void deriveStatements();

    std::vector<TableDescription> tables_;
    std::vector<MigrationDescription> migrations_;
    std::vector<PayloadShapeDescription> payloadShapes_;
};

// The payload shapes of the tables that name one, followed by `nested`; checks that every
// referenced shape and every :after column exists. Throws std::invalid_argument.
std::vector<PayloadShapeDescription> derivePayloadShapes(const std::vector<TableDescription>& tables,
                                                         std::vector<PayloadShapeDescription> nested);
// "VatTreatment", "[ScheduleLinePayload]", "integer", ... with an optional trailing "?".
PayloadMemberDescription parsePayloadMemberType(std::string_view text);

// "quantity_hundredths" -> "quantityHundredths"
std::string lowerCamelCase(std::string_view snake);

}  // namespace zelvorin
