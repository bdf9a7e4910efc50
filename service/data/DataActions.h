#pragma once

#include <string>
#include <string_view>

#include "domain/TimePoint.h"
#include "service/data/BundleCipher.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// An organisation's data as a whole: how much there is, the encrypted export and its import, the
// privacy export of one person, and removing the organisation. Each throws ServiceError with a
// Dutch text; a refused import or removal changes nothing.

// Stored bytes (in all, and of inbox documents, invoice PDFs, logos and fonts) and live records
// (invoices, contacts, bank transactions, in all).
Json dataStats(const ServiceDatabase& database, const Caller& caller);

struct DataFile {
    std::string fileName;
    std::string bytes;
};

// Every live record, stored file and carried table row of the caller's organisation, sealed under
// `password` (at least kMinExportPasswordLength characters, else unprocessable).
inline constexpr std::size_t kMinExportPasswordLength = 8;
DataFile exportOrganization(const ServiceDatabase& database, const Caller& caller,
                            const std::string& password, TimePoint now,
                            bundle::KdfCost cost = bundle::kDefaultKdfCost);

// Opens the bundle and writes what it holds into the caller's organisation in one transaction:
// "replace" first removes every record, file and carried row the organisation had (and takes
// the bundle's organisation name), "merge" keeps what is there and adds what is not (records by
// entity and id, files by key, rows by their key; the organisation's own settings stay). Records
// keep their ids and are written like any other change, so devices pull them; only their
// organizationId becomes the caller's. A merge never gives two invoices one number: a bundle whose
// invoice numbers the organisation already uses is refused (conflict), and the numbering goes on
// after the highest number either side handed out. The answer is the NativeImportResult.
// Unprocessable for a wrong mode, a wrong password, or a bundle that is truncated, altered or not
// understood.
Json importOrganization(const ServiceDatabase& database, const Caller& caller, const std::string& mode,
                        const std::string& password, std::string_view bundle, TimePoint now);

// The caller's own data as readable JSON in a ZIP: profile, memberships, sessions, what they did
// in the organisation, and the organisation's records and the list of its files.
DataFile exportPersonalData(const ServiceDatabase& database, const Caller& caller, TimePoint now);

// Removes the caller's organisation with everything in it, its members' sessions too, when
// `confirmationName` is its name exactly (unprocessable otherwise). Owners only (forbidden).
void deleteOrganization(const ServiceDatabase& database, const Caller& caller,
                        const std::string& confirmationName);

}  // namespace zelvorin::service
