#pragma once

#include <string>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// What a person does to an item of the inbox, each through the one write path (devices pull the
// change). Each throws ServiceError notFound for an unknown or another organisation's item and
// unprocessable (Dutch) for a body that does not fit; nothing is written then.

// PATCH: any of extractedSenderCompany, senderEmail, extractedInvoiceDate (texts) and
// extractedAmount (whole cents); at least one.
void correctInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      const Json& body, TimePoint now);
// category "zakelijk", "prive" or "gemengd" (status "gecategoriseerd"), optional invoiceType.
void categorizeInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                         const Json& body, TimePoint now);
void setInboxItemType(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      const Json& body, TimePoint now);
// An order confirmation: "action" "link" ties it to the incoming invoice "linkedId" (another live
// item of the organisation), "remind" sets a reminder after "preset" ("1w", "2w" or "1m"),
// "dismiss" puts it away. The item becomes invoiceType "orderConfirmation" in each case.
void confirmOrderInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                           const Json& body, TimePoint now);
void archiveInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      TimePoint now);
void deleteInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                     TimePoint now);
void deleteKvitraRule(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      TimePoint now);

// Copies to cloud storage by state. No cloud storage can be connected to this service, so every
// count is 0, also right after being asked to copy now.
Json cloudCopyStatus();

}  // namespace zelvorin::service
