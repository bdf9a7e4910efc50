#include "service/inbox/InboxSettings.h"

#include <algorithm>
#include <array>

#include "service/http/ServiceError.h"
#include "service/store/OrgIntegrations.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

struct Folder {
    const char* category;  // the member of the folders object
    const char* patchKey;  // the key a PATCH names it by
    const char* setting;   // its name in org_integration
    const char* fallback;
};

constexpr std::array<Folder, 3> kFolders{{
    {"zakelijk", "kvitraFolderZakelijk", "kvitraFolder:zakelijk", "Zakelijk"},
    {"prive", "kvitraFolderPrive", "kvitraFolder:prive", "Privé"},
    {"gemengd", "kvitraFolderGemengd", "kvitraFolder:gemengd", "Gemengd"},
}};

constexpr std::size_t kMaxFolderNameLength = 80;

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

// A folder name is one path segment in someone's cloud storage: no separators, nothing that moves
// up a level, nothing invisible.
bool fitsAsFolderName(const std::string& name) {
    if (name.empty() || name.size() > kMaxFolderNameLength || name == "." || name == "..") return false;
    if (name.front() == ' ' || name.back() == ' ') return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
    });
}

Json textOr(const Json& payload, const char* key, Json fallback) {
    const auto found = payload.find(key);
    return found != payload.end() && !found->is_null() ? *found : fallback;
}

std::int64_t matchCount(const StoredRecord& rule) {
    const auto found = rule.payload.find("matchCount");
    return found != rule.payload.end() && found->is_number_integer() ? found->get<std::int64_t>() : 0;
}

Json ruleJson(const StoredRecord& rule) {
    const Json& p = rule.payload;
    return Json{{"id", rule.id},
                {"senderEmailPattern", textOr(p, "senderEmailPattern", "")},
                {"subjectPattern", textOr(p, "subjectPattern", nullptr)},
                {"suggestedCategory", textOr(p, "suggestedCategory", "")},
                {"isSkip", textOr(p, "isSkip", false)},
                {"matchCount", matchCount(rule)}};
}

}  // namespace

Json inboxFolders(Connection& db, const std::string& organizationId) {
    Json folders = Json::object();
    for (const Folder& folder : kFolders)
        folders[folder.category] =
            orgintegrations::find(db, organizationId, folder.setting).value_or(folder.fallback);
    return folders;
}

Json inboxSettings(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        const Json folders = inboxFolders(db, caller.organizationId);
        std::vector<StoredRecord> rules = records::all(db, caller.organizationId, "kvitraRule");
        std::erase_if(rules, [](const StoredRecord& rule) { return rule.deleted; });
        std::stable_sort(rules.begin(), rules.end(), [](const StoredRecord& a, const StoredRecord& b) {
            return matchCount(a) > matchCount(b);
        });
        Json listed = Json::array();
        for (const StoredRecord& rule : rules)
            listed.push_back(ruleJson(rule));
        return Json{{"folderZakelijk", folders["zakelijk"]},
                    {"folderPrive", folders["prive"]},
                    {"folderGemengd", folders["gemengd"]},
                    {"rules", std::move(listed)}};
    });
}

void patchInboxSettings(const ServiceDatabase& database, const Caller& caller, const Json& body,
                        TimePoint now) {
    if (body.empty()) refuse("Er is niets om te wijzigen.");
    for (const auto& [key, value] : body.items()) {
        const bool known = std::any_of(kFolders.begin(), kFolders.end(),
                                       [&](const Folder& folder) { return key == folder.patchKey; });
        if (!known)
            refuse("Onbekende instelling '" + key +
                   "': alleen kvitraFolderZakelijk, kvitraFolderPrive en kvitraFolderGemengd.");
        if (!value.is_string() || !fitsAsFolderName(value.get<std::string>()))
            refuse("Een mapnaam is 1 tot 80 tekens, zonder / of \\ en zonder spaties aan het begin of eind.");
    }
    database.write([&](Connection& db) {
        for (const Folder& folder : kFolders)
            if (const auto value = body.find(folder.patchKey); value != body.end())
                orgintegrations::put(db, caller.organizationId, folder.setting, value->get<std::string>(),
                                     now);
    });
}

}  // namespace zelvorin::service
