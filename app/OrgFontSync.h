#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/OrgRecords.h"
#include "layout/FontResolver.h"

namespace zelvorin {

class SyncAPIClient;

// One entry of the font cache's index, "variants.json" in the Fonts folder; the file lies beside it
// as <variantId>.<ext>.
struct CachedVariantMeta {
    std::string variantId;
    std::string family;
    double weight = 400;
    std::string style;  // "normal" or "italic"
    std::string postscriptName;
    std::string ext;

    static CachedVariantMeta fromJson(const nlohmann::json& body);  // throws nlohmann's errors
    nlohmann::ordered_json toJson() const;
    bool operator==(const CachedVariantMeta&) const = default;
};

// The organisation's own fonts on this device: the service's variants, each downloaded once into
// the Fonts folder and listed in its index, so the layout can set invoices in them.
//
// The index and the files are written atomically (a reader sees the old or the new file, never
// half), and the index is read and written under one process-wide lock, since downloads may finish
// concurrently. Registration for the layout is handing the cached faces to a FontSet
// (`registeredVariants`): the layout loads a face by its file when a template first asks for it.
class OrgFontSync {
public:
    explicit OrgFontSync(std::filesystem::path fontsFolder);
    // The Fonts folder of a device: beside its database, so it goes with the session's data.
    static std::filesystem::path folderBeside(const std::filesystem::path& databasePath) {
        return databasePath.parent_path() / "Fonts";
    }

    // The index; empty when it is absent or does not decode.
    std::vector<CachedVariantMeta> index() const;
    // The indexed faces whose file exists, as the layout takes them.
    std::vector<OrgFontVariant> registeredVariants() const;

    // Fetches the organisation's variant list and downloads every variant not in the index (file
    // first, then the index). A variant that cannot be fetched is skipped: the layout falls back
    // to the installed fonts. Variants the service no longer lists leave the index and the folder.
    // Throws only when the list itself cannot be fetched. Returns how many variants were added.
    int synchronise(SyncAPIClient& client) const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    void addToIndex(const CachedVariantMeta& meta) const;
    void prune(const std::vector<org::NativeFontFamily>& families) const;

    std::filesystem::path folder_;
};

}  // namespace zelvorin
