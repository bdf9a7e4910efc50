#pragma once

#include <string>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

class ServiceDatabase;

// The folders the inbox's documents are filed in by category, once cloud storage is connected:
// {"zakelijk", "prive", "gemengd"}, each the organisation's own name or the default.
Json inboxFolders(Connection& db, const std::string& organizationId);

// GET api/native/v1/kvitra/settings: folderZakelijk, folderPrive, folderGemengd and the live rules
// of the organisation (id, senderEmailPattern, subjectPattern, suggestedCategory, isSkip, matchCount),
// the most used first.
Json inboxSettings(const ServiceDatabase& database, const Caller& caller);

// PATCH: any of kvitraFolderZakelijk, kvitraFolderPrive, kvitraFolderGemengd, each a folder name
// (1 to 80 characters, no slash, backslash or control character, not "." or ".."); at least one, no
// other key. Refused whole (unprocessable, Dutch) when one does not fit.
void patchInboxSettings(const ServiceDatabase& database, const Caller& caller, const Json& body,
                        TimePoint now);

}  // namespace zelvorin::service
