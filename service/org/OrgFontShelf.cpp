#include "service/org/OrgFontShelf.h"

#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <system_error>

#include "domain/Uuid.h"
#include "persistence/sqlite/Connection.h"
#include "service/store/OrgFonts.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {
namespace {

constexpr const char* kCacheFolder = "font-cache";
// Enough for every organisation that renders in a busy hour; past it the kept sets are dropped
// (renders still holding one keep it until they are done).
constexpr std::size_t kMaxKeptSets = 256;

bool isPlainName(const std::string& text) {
    if (text.empty() || text.size() > 100) return false;
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_';
        if (!plain) return false;
    }
    return true;
}

// A folder name for any organisation id: the id itself when it is plain, else its bytes in hex.
std::string folderName(const std::string& organizationId) {
    if (isPlainName(organizationId)) return organizationId;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex = "x";
    for (const unsigned char c : organizationId) {
        hex += kHex[c >> 4];
        hex += kHex[c & 0x0F];
    }
    return hex;
}

// The service's data directory: where its database file lies. Empty for a database in memory.
std::filesystem::path dataDirectoryOf(Connection& db) {
    Statement row = db.prepare("SELECT file FROM pragma_database_list WHERE name = 'main'");
    if (!row.step() || row.isNull(0)) return {};
    const std::string file = row.text(0);
    return file.empty() ? std::filesystem::path{} : std::filesystem::path(file).parent_path();
}

// "ttf" or "otf" from the storage key ("fonts/<id>.ttf"); empty for anything else.
std::string extensionOf(const OrgFont& font) {
    const std::size_t dot = font.storageKey.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : font.storageKey.substr(dot + 1);
    return ext == "ttf" || ext == "otf" ? ext : "";
}

// Writes the face's file unless it is there already; false when it cannot be had.
bool ensureCopy(Connection& db, const std::string& organizationId, const OrgFont& font,
                const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) return true;
    const std::optional<StoredFile> stored = storedfiles::find(db, organizationId, font.storageKey);
    if (!stored) return false;
    std::filesystem::create_directories(file.parent_path(), error);
    // Written beside it and renamed, so a render on another thread never loads half a file.
    const std::filesystem::path partial = file.string() + ".part-" + randomUuid();
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(stored->bytes.data(), static_cast<std::streamsize>(stored->bytes.size()));
        if (!out.flush()) {
            std::filesystem::remove(partial, error);
            return false;
        }
    }
    std::filesystem::rename(partial, file, error);
    if (error) std::filesystem::remove(partial, error);
    return !error;
}

// Copies of faces the organisation no longer has (deleted, or replaced by an import).
void pruneCopies(const std::filesystem::path& folder, const std::set<std::filesystem::path>& kept) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!kept.contains(it->path())) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

struct KeptSet {
    std::string signature;
    std::shared_ptr<const FontSet> fonts;
};

std::mutex& shelfMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, KeptSet>& keptSets() {
    static std::map<std::string, KeptSet> sets;
    return sets;
}

}  // namespace

std::shared_ptr<const FontSet> organisationFonts(Connection& db, const std::string& organizationId) {
    const std::filesystem::path dataDirectory = dataDirectoryOf(db);
    const std::vector<OrgFont> fonts = orgfonts::all(db, organizationId);
    if (dataDirectory.empty()) return std::make_shared<const FontSet>();
    if (fonts.empty()) {
        forgetOrganisationFonts(dataDirectory, organizationId);  // the copies of faces since deleted
        return std::make_shared<const FontSet>();
    }
    const std::filesystem::path folder = dataDirectory / kCacheFolder / folderName(organizationId);
    std::string signature;
    for (const OrgFont& font : fonts)
        signature += font.id + '\x01' + font.family + '\x01' + std::to_string(font.weight) + '\x01' +
                     font.style + '\x02';

    std::lock_guard lock(shelfMutex());
    std::map<std::string, KeptSet>& sets = keptSets();
    if (const auto kept = sets.find(folder.string());
        kept != sets.end() && kept->second.signature == signature)
        return kept->second.fonts;
    std::vector<OrgFontVariant> variants;
    std::set<std::filesystem::path> files;
    for (const OrgFont& font : fonts) {
        const std::string ext = extensionOf(font);
        if (ext.empty() || !isPlainName(font.id)) continue;
        const std::filesystem::path file = folder / (font.id + "." + ext);
        if (!ensureCopy(db, organizationId, font, file)) continue;
        files.insert(file);
        variants.push_back({font.family, static_cast<double>(font.weight), font.style,
                            font.postscriptName.value_or(""), file.string()});
    }
    pruneCopies(folder, files);
    if (sets.size() >= kMaxKeptSets) sets.clear();
    auto made = std::make_shared<const FontSet>(std::move(variants));
    sets[folder.string()] = {signature, made};
    return made;
}

void forgetOrganisationFonts(const std::filesystem::path& dataDirectory, const std::string& organizationId) {
    const std::filesystem::path folder = dataDirectory / kCacheFolder / folderName(organizationId);
    {
        std::lock_guard lock(shelfMutex());
        keptSets().erase(folder.string());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace zelvorin::service
