#pragma once

#include <optional>
#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// The organisation's settings and the templates and variables its documents and e-mails use.
class OrgRepository {
public:
    explicit OrgRepository(AppDatabase database);

    std::optional<OrgSettingsRecord> settings();  // nothing before the first pull
    std::vector<InvoiceTemplateRecord> invoiceTemplates();
    std::vector<OrgVariableRecord> variables();  // by group, then label
    std::vector<EmailTemplateRecord> emailTemplates();
    // The invoice e-mail marked default for the language ("nl", "en"); of several, the one whose
    // name sorts first.
    std::optional<EmailTemplateRecord> defaultInvoiceEmailTemplate(const std::string& language);

private:
    AppDatabase database_;
};

}  // namespace zelvorin
