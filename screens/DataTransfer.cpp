#include "screens/DataTransfer.h"

#include "screens/InputError.h"

namespace zelvorin {

dataactions::NativeImportResult importDataBundle(AppEnvironment& environment,
                                                 const DataImportRequest& request) {
    if (request.mode != "merge" && request.mode != "replace")
        throw InputError(InputError::Kind::invalidValue,
                         "Importmodus '" + request.mode + "' bestaat niet: kies merge of replace.");
    if (request.bundle.empty())
        throw InputError(InputError::Kind::missingValue, "Het exportbestand is leeg.");
    const std::int64_t pending = environment.syncStore().pendingChangeCount();
    if (pending > 0) {
        throw InputError(InputError::Kind::invalidValue, "Dit apparaat heeft nog " + std::to_string(pending) +
                                                             " niet-gesynchroniseerde " +
                                                             (pending == 1 ? "wijziging" : "wijzigingen") +
                                                             ". Synchroniseer eerst en importeer daarna.");
    }
    return dataactions::importData(environment.apiClient(), request.mode, request.password, request.fileName,
                                   request.bundle);
}

}  // namespace zelvorin
