#include "app/OrgFontSync.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <sstream>

#include "api-client/OrgActions.h"
#include "app/PrivateFiles.h"

namespace zelvorin {
namespace {

constexpr const char* kIndexFile = "variants.json";

std::mutex& indexMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<CachedVariantMeta> readIndex(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json body = nlohmann::json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
    if (!body.is_array()) return {};
    std::vector<CachedVariantMeta> entries;
    try {
        for (const nlohmann::json& entry : body)
            entries.push_back(CachedVariantMeta::fromJson(entry));
    } catch (const nlohmann::json::exception&) {
        return {};  // an index that does not decode is no index
    }
    return entries;
}

// The extension of a stored font ("fonts/<id>.ttf"); "ttf" when the key has none.
std::string extensionOf(const std::string& storageKey) {
    const std::size_t dot = storageKey.find_last_of('.');
    const std::size_t slash = storageKey.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "ttf";
    const std::string ext = storageKey.substr(dot + 1);
    return ext == "otf" ? "otf" : "ttf";
}

// A variant id becomes a file name: nothing that could leave the folder.
bool isSafeFileStem(const std::string& id) {
    return !id.empty() && id.size() <= 100 &&
           id.find_first_not_of("0123456789abcdefABCDEF-") == std::string::npos;
}

}  // namespace

CachedVariantMeta CachedVariantMeta::fromJson(const nlohmann::json& body) {
    return {body.at("variantId").get<std::string>(),
            body.at("family").get<std::string>(),
            body.at("weight").get<double>(),
            body.at("style").get<std::string>(),
            body.at("postscriptName").get<std::string>(),
            body.at("ext").get<std::string>()};
}

nlohmann::ordered_json CachedVariantMeta::toJson() const {
    return {{"variantId", variantId},           {"family", family}, {"weight", weight}, {"style", style},
            {"postscriptName", postscriptName}, {"ext", ext}};
}

OrgFontSync::OrgFontSync(std::filesystem::path fontsFolder) : folder_(std::move(fontsFolder)) {}

std::vector<CachedVariantMeta> OrgFontSync::index() const {
    std::lock_guard lock(indexMutex());
    return readIndex(folder_ / kIndexFile);
}

std::vector<OrgFontVariant> OrgFontSync::registeredVariants() const {
    std::vector<OrgFontVariant> variants;
    for (const CachedVariantMeta& meta : index()) {
        if (!isSafeFileStem(meta.variantId)) continue;
        const std::filesystem::path file = folder_ / (meta.variantId + "." + meta.ext);
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            variants.push_back({meta.family, meta.weight, meta.style, meta.postscriptName, file.string()});
    }
    return variants;
}

void OrgFontSync::addToIndex(const CachedVariantMeta& meta) const {
    std::lock_guard lock(indexMutex());
    std::vector<CachedVariantMeta> entries = readIndex(folder_ / kIndexFile);
    nlohmann::ordered_json body = nlohmann::ordered_json::array();
    for (const CachedVariantMeta& entry : entries)
        if (entry.variantId != meta.variantId) body.push_back(entry.toJson());
    body.push_back(meta.toJson());
    writePrivateFileAtomically(folder_ / kIndexFile, body.dump(2) + "\n");
}

int OrgFontSync::synchronise(SyncAPIClient& client) const {
    const std::vector<org::NativeFontFamily> families = orgactions::fontFamilies(client);
    std::vector<std::string> known;
    for (const CachedVariantMeta& meta : index())
        known.push_back(meta.variantId);
    std::filesystem::create_directories(folder_);
    int added = 0;
    for (const org::NativeFontFamily& family : families) {
        for (const org::NativeFontVariant& variant : family.variants) {
            if (!isSafeFileStem(variant.id) ||
                std::find(known.begin(), known.end(), variant.id) != known.end())
                continue;
            const std::string ext = extensionOf(variant.storageKey);
            try {
                const std::string bytes = orgactions::downloadFont(client, variant.id);
                writePrivateFileAtomically(folder_ / (variant.id + "." + ext), bytes);
            } catch (const std::exception&) {
                continue;  // this face stays with the installed fonts until the next synchronisation
            }
            addToIndex({variant.id, family.family, static_cast<double>(variant.weight),
                        variant.style == "italic" ? "italic" : "normal", variant.postscriptName.value_or(""),
                        ext});
            ++added;
        }
    }
    prune(families);
    return added;
}

void OrgFontSync::prune(const std::vector<org::NativeFontFamily>& families) const {
    std::vector<std::string> listed;
    for (const org::NativeFontFamily& family : families)
        for (const org::NativeFontVariant& variant : family.variants)
            listed.push_back(variant.id);
    std::lock_guard lock(indexMutex());
    nlohmann::ordered_json kept = nlohmann::ordered_json::array();
    bool changed = false;
    for (const CachedVariantMeta& entry : readIndex(folder_ / kIndexFile)) {
        if (std::find(listed.begin(), listed.end(), entry.variantId) != listed.end()) {
            kept.push_back(entry.toJson());
            continue;
        }
        changed = true;
        std::error_code ignored;
        if (isSafeFileStem(entry.variantId))
            std::filesystem::remove(folder_ / (entry.variantId + "." + entry.ext), ignored);
    }
    // The index first: a face it no longer names is never handed to the layout, file or not.
    if (changed) writePrivateFileAtomically(folder_ / kIndexFile, kept.dump(2) + "\n");
}

}  // namespace zelvorin
