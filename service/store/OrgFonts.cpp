#include "service/store/OrgFonts.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::orgfonts {
namespace {

constexpr const char* kColumns =
    "id, family, weight, style, display_name, subfamily_name, postscript_name, storage_key, created_at";

OrgFont fontOf(const Statement& row) {
    return {row.text(0),         row.text(1), static_cast<int>(row.int64(2)),
            row.text(3),         row.text(4), row.optionalText(5),
            row.optionalText(6), row.text(7), row.text(8)};
}

}  // namespace

bool add(Connection& db, const std::string& organizationId, const OrgFont& font) {
    db.cached(
          "INSERT OR IGNORE INTO org_font (organization_id, id, family, weight, style, display_name, "
          "subfamily_name, postscript_name, storage_key, created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(organizationId, font.id, font.family, font.weight, font.style, font.displayName,
                 font.subfamilyName, font.postscriptName, font.storageKey, font.createdAt)
        .run();
    return db.changes() > 0;
}

std::vector<OrgFont> all(Connection& db, const std::string& organizationId) {
    Statement& rows = db.cached(std::string("SELECT ") + kColumns +
                                " FROM org_font WHERE organization_id = ? ORDER BY family, weight, style");
    rows.bindAll(organizationId);
    std::vector<OrgFont> fonts;
    while (rows.step())
        fonts.push_back(fontOf(rows));
    return fonts;
}

std::optional<OrgFont> find(Connection& db, const std::string& organizationId, const std::string& id) {
    Statement& row =
        db.cached(std::string("SELECT ") + kColumns + " FROM org_font WHERE organization_id = ? AND id = ?");
    row.bindAll(organizationId, id);
    if (!row.step()) return std::nullopt;
    OrgFont font = fontOf(row);
    row.reset();
    return font;
}

void remove(Connection& db, const std::string& organizationId, const std::string& id) {
    db.cached("DELETE FROM org_font WHERE organization_id = ? AND id = ?").bindAll(organizationId, id).run();
}

}  // namespace zelvorin::service::orgfonts
