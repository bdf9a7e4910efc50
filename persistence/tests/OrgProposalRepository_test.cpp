#include <gtest/gtest.h>

#include "persistence/repositories/OrgRepository.h"
#include "persistence/repositories/ProposalRepository.h"
#include "persistence/tests/ServerRows.h"

namespace zelvorin {
namespace {

using testing::ids;
using testing::row;

EmailTemplateRecord emailTemplate(const std::string& name, const std::string& type,
                                  const std::string& language, bool isDefault) {
    return row<EmailTemplateRecord>(name, [&](auto& r) {
        r.name = name;
        r.type = type;
        r.language = language;
        r.isDefault = isDefault;
    });
}

TEST(OrgRepositoryIntegrationTest, DefaultInvoiceEmailIsTheFirstByNameOfItsLanguage) {
    testing::ServerRows rows;
    OrgRepository org(rows.database);
    EXPECT_FALSE(org.settings());
    rows.insert(emailTemplate("Zomer", "invoice", "nl", true), emailTemplate("Herfst", "invoice", "nl", true),
                emailTemplate("Aanmaning", "reminder", "nl", true),
                emailTemplate("Algemeen", "invoice", "nl", false),
                emailTemplate("Autumn", "invoice", "en", true), row<OrgSettingsRecord>("s1", [](auto&) {}));

    EXPECT_EQ(org.defaultInvoiceEmailTemplate("nl")->name, "Herfst");
    EXPECT_EQ(org.defaultInvoiceEmailTemplate("en")->name, "Autumn");
    EXPECT_FALSE(org.defaultInvoiceEmailTemplate("de"));
    EXPECT_FALSE(org.defaultInvoiceEmailTemplate("nl' OR '1'='1"));
    EXPECT_EQ(org.settings()->id, "s1");
}

TEST(ProposalRepositoryIntegrationTest, TemplatesAndDeletedRowsAreNotListed) {
    testing::ServerRows rows;
    const auto proposal = [](const std::string& id, const std::string& updatedAt,
                             std::optional<bool> isTemplate,
                             std::optional<std::string> deletedAt = std::nullopt) {
        return row<ProposalRecord>(id, [&](auto& r) {
            r.updatedAt = updatedAt;
            r.isTemplate = isTemplate;
            r.deletedAt = deletedAt;
        });
    };
    const auto recipient = [](const std::string& id, const std::string& createdAt,
                              std::optional<std::string> deletedAt = std::nullopt) {
        return row<ProposalRecipientRecord>(id, [&](auto& r) {
            r.proposalId = "p1";
            r.createdAt = createdAt;
            r.deletedAt = deletedAt;
        });
    };
    rows.insert(proposal("nullTemplate", "2026-03-01", std::nullopt),
                proposal("notTemplate", "2026-03-02", false), proposal("template", "2026-03-03", true),
                proposal("deleted", "2026-03-04", false, "2026-03-05"), recipient("r2", "2026-03-02"),
                recipient("r1", "2026-03-01"), recipient("r0", "2026-02-01", "2026-03-05"));
    ProposalRepository proposals(rows.database);

    EXPECT_EQ(ids(proposals.proposals()), (std::vector<std::string>{"notTemplate", "nullTemplate"}));
    EXPECT_TRUE(proposals.proposal("template"));
    EXPECT_EQ(ids(proposals.recipients("p1")), (std::vector<std::string>{"r1", "r2"}));
}

}  // namespace
}  // namespace zelvorin
