#include "sync/SyncStore.h"
#include "sync/SyncTransport.h"

namespace zelvorin {

// Out of line so that the vtables of the two interfaces live in this library.
SyncStore::~SyncStore() = default;
SyncTransport::~SyncTransport() = default;

}  // namespace zelvorin
