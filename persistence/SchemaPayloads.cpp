// The payload shapes of the schema description: each synced table's columns as the members of its
// entity type's payload, and the shapes that occur only nested. The payload catalogue of the sync
// module is generated from these (zelvorin-record-codegen).
#include <algorithm>
#include <set>
#include <stdexcept>

#include "persistence/Schema.h"

namespace zelvorin {

namespace {

// The device's own bookkeeping: a shape lists one of these only when the description types it.
bool isLocalBookkeeping(const ColumnDescription& column) {
    return column.name == "sync_state" || column.name == "local_modified_at" ||
           column.name == "last_sync_error";
}

[[noreturn]] void fail(const TableDescription& table, const ColumnDescription& column,
                       const std::string& why) {
    throw std::invalid_argument("column " + table.name + "." + column.name + ": " + why);
}

// The member a column gives when its description does not type it: TEXT a string, INTEGER an
// integer (a boolean for :bool), optional unless the column is NOT NULL.
PayloadMemberDescription memberOf(const TableDescription& table, const ColumnDescription& column) {
    PayloadMemberDescription member;
    if (!column.json.empty()) {
        member = parsePayloadMemberType(column.json);
    } else {
        if (column.sqlType == "REAL") fail(table, column, "a REAL column needs :json(...) or :unlisted");
        const bool boolean = column.kind == FieldKind::boolean || column.kind == FieldKind::optionalBoolean;
        member.type = column.sqlType == "TEXT" ? PayloadMemberType::string
                      : boolean                ? PayloadMemberType::boolean
                                               : PayloadMemberType::integer;
        member.optional = column.constraints.find("NOT NULL") == std::string::npos;
    }
    member.key = lowerCamelCase(column.name);
    member.column = column.name;
    return member;
}

// Members follow the column order, except that a member with :after(c) follows c's member.
std::vector<PayloadMemberDescription> membersOf(const TableDescription& table) {
    std::vector<PayloadMemberDescription> placed;
    std::vector<std::pair<std::string, PayloadMemberDescription>> waiting;  // (after, member)
    for (const ColumnDescription& column : table.columns) {
        if (column.unlisted || (isLocalBookkeeping(column) && column.json.empty())) continue;
        if (column.after.empty()) {
            placed.push_back(memberOf(table, column));
        } else {
            waiting.emplace_back(column.after, memberOf(table, column));
        }
    }
    while (!waiting.empty()) {
        const auto ready = std::find_if(waiting.begin(), waiting.end(), [&](const auto& entry) {
            return std::any_of(placed.begin(), placed.end(),
                               [&](const auto& member) { return member.column == entry.first; });
        });
        if (ready == waiting.end()) {
            throw std::invalid_argument("table " + table.name + ": :after(" + waiting.front().first +
                                        ") names no member of the shape, or members wait on each other");
        }
        const auto anchor = std::find_if(placed.begin(), placed.end(),
                                         [&](const auto& member) { return member.column == ready->first; });
        placed.insert(anchor + 1, std::move(ready->second));
        waiting.erase(ready);
    }
    return placed;
}

void checkShape(const PayloadShapeDescription& shape, const std::set<std::string>& names) {
    std::set<std::string> keys;
    for (const auto& member : shape.members) {
        if (!keys.insert(member.key).second)
            throw std::invalid_argument("shape " + shape.name + ": key " + member.key + " twice");
        if (!member.nested.empty() && !names.contains(member.nested))
            throw std::invalid_argument("shape " + shape.name + ": no shape " + member.nested);
    }
    // The validator tracks the members of an object in one 64-bit set.
    if (shape.members.size() > 64) throw std::invalid_argument("shape " + shape.name + ": over 64 members");
}

}  // namespace

PayloadMemberDescription parsePayloadMemberType(std::string_view text) {
    PayloadMemberDescription member;
    if (text.ends_with('?')) {
        member.optional = true;
        text.remove_suffix(1);
    }
    static constexpr std::pair<std::string_view, PayloadMemberType> kNamed[] = {
        {"string", PayloadMemberType::string},
        {"integer", PayloadMemberType::integer},
        {"boolean", PayloadMemberType::boolean},
        {"any", PayloadMemberType::any},
        {"VatTreatment", PayloadMemberType::vatTreatment},
        {"LineMode", PayloadMemberType::lineMode},
        {"SyncState", PayloadMemberType::syncState},
    };
    for (const auto& [name, type] : kNamed) {
        if (text == name) {
            member.type = type;
            return member;
        }
    }
    const bool array = text.size() > 2 && text.front() == '[' && text.back() == ']';
    if (array) text = text.substr(1, text.size() - 2);
    if (text.empty() || text.front() < 'A' || text.front() > 'Z')
        throw std::invalid_argument("unknown payload type " + std::string(text));
    member.type = array ? PayloadMemberType::objectArray : PayloadMemberType::object;
    member.nested = std::string(text);
    return member;
}

std::vector<PayloadShapeDescription> derivePayloadShapes(const std::vector<TableDescription>& tables,
                                                         std::vector<PayloadShapeDescription> nested) {
    std::vector<PayloadShapeDescription> shapes;
    for (const TableDescription& table : tables) {
        if (table.payloadShape.empty()) continue;
        if (!table.isSynced())
            throw std::invalid_argument("table " + table.name + ": a payload needs sync_state");
        shapes.push_back({table.payloadShape, table.entityType, table.name, membersOf(table)});
    }
    std::move(nested.begin(), nested.end(), std::back_inserter(shapes));
    std::set<std::string> names;
    std::set<std::string> entityTypes;
    for (const auto& shape : shapes) {
        if (!names.insert(shape.name).second) throw std::invalid_argument("shape " + shape.name + " twice");
        if (!shape.entityType.empty() && !entityTypes.insert(shape.entityType).second)
            throw std::invalid_argument("entity type " + shape.entityType + " twice");
    }
    for (const auto& shape : shapes)
        checkShape(shape, names);
    return shapes;
}

}  // namespace zelvorin
