#include "persistence/repositories/OrgRepository.h"

#include "persistence/RecordStatements.h"

namespace zelvorin {

OrgRepository::OrgRepository(AppDatabase database) : database_(std::move(database)) {}

std::optional<OrgSettingsRecord> OrgRepository::settings() {
    return database_.writer->read([](Connection& db) {
        return firstRecord<OrgSettingsRecord>(db, "SELECT * FROM org_settings LIMIT 1");
    });
}

std::vector<InvoiceTemplateRecord> OrgRepository::invoiceTemplates() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<InvoiceTemplateRecord>(db, "SELECT * FROM invoice_template ORDER BY name");
    });
}

std::vector<OrgVariableRecord> OrgRepository::variables() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<OrgVariableRecord>(db, "SELECT * FROM org_variable ORDER BY group_name, label");
    });
}

std::vector<EmailTemplateRecord> OrgRepository::emailTemplates() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<EmailTemplateRecord>(db, "SELECT * FROM email_template ORDER BY name");
    });
}

std::optional<EmailTemplateRecord> OrgRepository::defaultInvoiceEmailTemplate(const std::string& language) {
    return database_.writer->read([&](Connection& db) {
        return firstRecord<EmailTemplateRecord>(db,
                                                "SELECT * FROM email_template\nWHERE type = 'invoice'\n  AND "
                                                "is_default = 1\n  AND language = ?\nORDER BY name\nLIMIT 1",
                                                language);
    });
}

}  // namespace zelvorin
