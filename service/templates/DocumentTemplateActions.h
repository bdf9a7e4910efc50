#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's document templates (invoiceTemplate records: the layout an invoice is drawn
// with). Their layout is made on the web; here they are renamed, deleted, duplicated and chosen:
//   defaultFor      the template a document type ("invoice", "credit_note", "quote") is drawn
//                   with; one per type, so naming it here takes it from the template that had it;
//                   no type clears it on this template
//   isDefaultForNew the template new invoices start with; at most one
// Refusals: an unknown id (also another organisation's) is notFound; an empty name or an unknown
// type unprocessable; deleting the last template, or one that a draft invoice still uses, a
// conflict. Each action is one transaction through the one write path.
void renameDocumentTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                            const std::string& name, TimePoint now);
void deleteDocumentTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                            TimePoint now);
// The copy's id; it is called "<name> (kopie)" and is nobody's default.
std::string duplicateDocumentTemplate(const ServiceDatabase& database, const Caller& caller,
                                      const std::string& id, TimePoint now);
void setDocumentTemplateDefaultFor(const ServiceDatabase& database, const Caller& caller,
                                   const std::string& id, const std::optional<std::string>& docType,
                                   TimePoint now);
// No template: new invoices start without a chosen one.
void setDocumentTemplateDefaultForNew(const ServiceDatabase& database, const Caller& caller,
                                      const std::optional<std::string>& templateId, TimePoint now);

}  // namespace zelvorin::service
