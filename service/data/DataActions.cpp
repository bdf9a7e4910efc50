#include "service/data/DataActions.h"

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/org/OrgFontShelf.h"
#include "service/store/Accounts.h"
#include "service/store/OrganizationData.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

std::int64_t countOf(const std::map<std::string, std::int64_t>& counts, const char* key) {
    const auto found = counts.find(key);
    return found == counts.end() ? 0 : found->second;
}

}  // namespace

Json dataStats(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        const organizationdata::FileUsage usage = organizationdata::fileUsage(db, caller.organizationId);
        const std::map<std::string, std::int64_t> counts =
            organizationdata::liveRecordCounts(db, caller.organizationId);
        std::int64_t total = 0;
        for (const auto& [type, count] : counts)
            total += count;
        return Json{{"storage",
                     {{"total", usage.total},
                      {"byPrefix",
                       {{"kvitra", countOf(usage.byPrefix, "kvitra")},
                        {"invoices", countOf(usage.byPrefix, "invoices")},
                        {"logos", countOf(usage.byPrefix, "logos")},
                        {"fonts", countOf(usage.byPrefix, "fonts")}}}}},
                    {"records",
                     {{"invoices", countOf(counts, "draftInvoice") + countOf(counts, "creditNote")},
                      {"contacts", countOf(counts, "customer") + countOf(counts, "contact")},
                      {"transactions", countOf(counts, "bankTransaction")},
                      {"total", total}}}};
    });
}

void deleteOrganization(const ServiceDatabase& database, const Caller& caller,
                        const std::string& confirmationName) {
    database.write([&](Connection& db) {
        const std::optional<Membership> membership =
            accounts::membership(db, caller.organizationId, caller.userId);
        if (!membership || membership->role != "owner")
            throw ServiceError(ErrorKind::forbidden, "Alleen de eigenaar kan de organisatie verwijderen.");
        const std::optional<Organization> organization = accounts::organization(db, caller.organizationId);
        if (!organization) throw ServiceError(ErrorKind::notFound, "Deze organisatie bestaat niet (meer).");
        if (confirmationName != organization->name)
            throw ServiceError(ErrorKind::unprocessable,
                               "De naam komt niet overeen. Typ \"" + organization->name +
                                   "\" precies zo om de organisatie te verwijderen.");
        organizationdata::erase(db, caller.organizationId);
    });
    forgetOrganisationFonts(database.path().parent_path(), caller.organizationId);
}

}  // namespace zelvorin::service
