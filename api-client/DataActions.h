#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/FileTransfers.h"
#include "api-client/SyncAPIClient.h"

// The data family of the endpoint catalogue: how much the organisation holds, its encrypted
// export and the import of one, the privacy export, and removing the organisation.
namespace zelvorin::dataactions {

struct NativeDataStats {
    struct ByPrefix {
        std::int64_t kvitra = 0, invoices = 0, logos = 0, fonts = 0;
        bool operator==(const ByPrefix&) const = default;
    };
    struct Storage {
        std::int64_t total = 0;
        ByPrefix byPrefix;
        bool operator==(const Storage&) const = default;
    };
    struct Records {
        std::int64_t invoices = 0, contacts = 0, transactions = 0, total = 0;
        bool operator==(const Records&) const = default;
    };
    Storage storage;
    Records records;
    static NativeDataStats fromJson(const nlohmann::json& body);
    bool operator==(const NativeDataStats&) const = default;
};

struct NativeImportResult {
    struct Manifest {
        std::optional<std::string> orgName, schemaVersion, appVersion;
        std::optional<bool> isEncrypted;
    };
    struct Versions {
        std::string bundleApp, runtimeApp, bundleSchema, runtimeSchema;
    };
    struct Outcome {
        std::int64_t rowsInserted = 0;
        std::int64_t assetsRestored = 0;
        std::vector<std::string> warnings;
        std::optional<Versions> versions;
    };
    bool ok = false;
    std::optional<Manifest> manifest;
    std::optional<Outcome> result;
    static NativeImportResult fromJson(const nlohmann::json& body);
};

// GET api/native/v1/data-stats ("fetch" mapping).
NativeDataStats dataStats(SyncAPIClient& client);
// POST api/native/v1/data/export {"password"}: the sealed bundle, named by Content-Disposition or
// "zelvorin-export.ufbs". Non-2xx other than 401/429 is a conflict with the service's message or
// "Export mislukt.".
ExportedFile exportData(SyncAPIClient& client, const std::string& password);
// POST api/native/v1/data/avg-export: the caller's own data as a ZIP, named by Content-Disposition
// or "zelvorin-export.zip"; errors as for exportData.
ExportedFile exportPersonalData(SyncAPIClient& client);
// POST api/native/v1/data/import, multipart (boundary "Boundary-…"): `mode` ("merge" or
// "replace"), `password`, and the bundle as `bundle`. Every non-2xx other than 401/429 is a
// conflict with the service's message or "Import mislukt.".
NativeImportResult importData(SyncAPIClient& client, const std::string& mode, const std::string& password,
                              const std::string& fileName, const std::string& bundle);
// POST api/native/v1/org/delete {"confirmationName"} ("action" mapping).
void deleteOrganization(SyncAPIClient& client, const std::string& confirmationName);

}  // namespace zelvorin::dataactions
