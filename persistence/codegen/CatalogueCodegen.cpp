// The payload catalogue of the sync module: one constant shape per payload of the description, the
// nested ones first so that the shapes holding them can point at them.
#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "persistence/codegen/Codegen.h"

namespace zelvorin::codegen {

namespace {

const char* valueType(PayloadMemberType type) {
    switch (type) {
        case PayloadMemberType::string:
            return "string";
        case PayloadMemberType::integer:
            return "integer";
        case PayloadMemberType::boolean:
            return "boolean";
        case PayloadMemberType::any:
            return "any";
        case PayloadMemberType::vatTreatment:
            return "vatTreatment";
        case PayloadMemberType::lineMode:
            return "lineMode";
        case PayloadMemberType::syncState:
            return "syncState";
        case PayloadMemberType::object:
            return "object";
        case PayloadMemberType::objectArray:
            return "objectArray";
    }
    return "any";
}

void writeShape(std::ostream& out, const PayloadShapeDescription& shape) {
    const std::string& name = shape.name;
    out << "\n";
    if (!shape.table.empty())
        out << "// The payload of " << shape.entityType << " (table " << shape.table << ").\n";
    out << "constexpr PayloadField k" << name << "Fields[] = {\n";
    for (const PayloadMemberDescription& member : shape.members) {
        out << "    " << (member.optional ? "opt" : "req") << "(\"" << member.key
            << "\", T::" << valueType(member.type);
        if (!member.nested.empty()) out << ", &k" << member.nested;
        out << "),\n";
    }
    out << "};\n"
        << "constexpr auto k" << name << "Order = keyOrder(k" << name << "Fields);\n"
        << "constexpr PayloadShape k" << name << "{\"" << name << "\", k" << name << "Fields, k" << name
        << "Order};\n";
}

// Nested shapes before the shapes that refer to them; otherwise the description's order.
std::vector<const PayloadShapeDescription*> declarationOrder(const Schema& schema) {
    std::vector<const PayloadShapeDescription*> pending;
    for (const auto& shape : schema.payloadShapes())
        pending.push_back(&shape);
    std::stable_partition(pending.begin(), pending.end(),
                          [](const auto* shape) { return shape->table.empty(); });
    std::vector<const PayloadShapeDescription*> ordered;
    std::set<std::string> written;
    while (!pending.empty()) {
        const auto ready = std::find_if(pending.begin(), pending.end(), [&](const auto* shape) {
            return std::all_of(shape->members.begin(), shape->members.end(), [&](const auto& member) {
                return member.nested.empty() || written.contains(member.nested);
            });
        });
        if (ready == pending.end()) throw std::invalid_argument("payload shapes that hold each other");
        written.insert((*ready)->name);
        ordered.push_back(*ready);
        pending.erase(ready);
    }
    return ordered;
}

}  // namespace

std::string payloadCatalogue(const Schema& schema) {
    std::ostringstream out;
    out << kBanner
        << "#include <array>\n#include <stdexcept>\n\n#include \"sync/PayloadShapeTable.h\"\n\n"
           "namespace zelvorin {\n\nnamespace {\n\n"
           "using T = PayloadValueType;\nusing payload_table::keyOrder;\nusing payload_table::opt;\n"
           "using payload_table::req;\n";
    for (const PayloadShapeDescription* shape : declarationOrder(schema))
        writeShape(out, *shape);
    std::size_t nestedCount = 0;
    for (const auto& shape : schema.payloadShapes())
        nestedCount += shape.table.empty() ? 1 : 0;
    out << "\nconstexpr std::array<const PayloadShape*, " << nestedCount << "> kNestedShapes{\n";
    for (const auto& shape : schema.payloadShapes()) {
        if (shape.table.empty()) out << "    &k" << shape.name << ",\n";
    }
    out << "};\n\n}  // namespace\n\n"
        << "const PayloadShape& payloadShape(SyncEntityType type) {\n    switch (type) {\n";
    for (const auto& shape : schema.payloadShapes()) {
        if (!shape.table.empty())
            out << "        case SyncEntityType::" << shape.entityType << ":\n            return k"
                << shape.name << ";\n";
    }
    out << "    }\n    throw std::logic_error(\"unknown SyncEntityType\");\n}\n\n"
        << "std::span<const PayloadShape* const> nestedPayloadShapes() {\n    return kNestedShapes;\n}\n\n"
        << "}  // namespace zelvorin\n";
    return out.str();
}

}  // namespace zelvorin::codegen
