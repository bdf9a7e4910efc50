#pragma once

#include <string>

#include "api-client/DataActions.h"
#include "app/AppEnvironment.h"

namespace zelvorin {

// An export bundle taken into the signed-in organisation from this device.
struct DataImportRequest {
    std::string mode;  // "merge" or "replace"
    std::string password;
    std::string fileName;
    std::string bundle;
};

// The import happens on the service, and what it wrote comes back to this device by pull. A change
// still waiting in the outbox would be pushed over the imported records afterwards (or conflict
// with them), so the import is refused while the outbox holds anything: InputError with the
// count and what to do. An unknown mode or an empty file is an InputError too; the service's
// refusal (a wrong password, a damaged bundle) is its APIError. Nothing is sent when refused here.
dataactions::NativeImportResult importDataBundle(AppEnvironment& environment,
                                                 const DataImportRequest& request);

}  // namespace zelvorin
