#include "api-client/TemplateActions.h"

#include <gtest/gtest.h>

#include "api-client/APIError.h"

namespace zelvorin::templateactions {
namespace {

TEST(EmailTemplatePatchTest, LeftOutNullAndValueStayThreeDifferentBodies) {
    EXPECT_EQ(EmailTemplatePatch{}.toJson().dump(), "{}");

    EmailTemplatePatch clear;
    clear.style = std::optional<std::string>();
    EXPECT_EQ(clear.toJson().dump(), R"({"style":null})");

    EmailTemplatePatch set;
    set.subject = "Herinnering";
    set.invoiceTemplateId = std::optional<std::string>("sjabloon-1");
    EXPECT_EQ(set.toJson().dump(), R"({"subject":"Herinnering","invoiceTemplateId":"sjabloon-1"})");

    // A new template writes every key; what it has not, as null.
    EXPECT_EQ((EmailTemplateBody{"Kort", "invoice", "nl", "", "", std::nullopt, "plain"}.toJson().dump()),
              R"({"name":"Kort","type":"invoice","language":"nl","subject":"","body":"",)"
              R"("invoiceTemplateId":null,"style":"plain"})");
}

TEST(EmailTemplatePatchTest, AnAnswerWithoutItsRequiredMembersIsInvalid) {
    const nlohmann::json complete = {
        {"id", "t"},        {"organizationId", "o"},     {"name", "Kort"},           {"isDefault", true},
        {"style", nullptr}, {"createdAt", "2026-03-16"}, {"updatedAt", "2026-03-16"}};
    const NativeEmailTemplate read = NativeEmailTemplate::fromJson(complete);
    EXPECT_EQ(read.isDefault, true);
    EXPECT_FALSE(read.style);
    for (const char* key : {"id", "organizationId", "createdAt"}) {
        nlohmann::json missing = complete;
        missing.erase(key);
        EXPECT_THROW(NativeEmailTemplate::fromJson(missing), APIError) << key;
    }
    nlohmann::json wrongType = complete;
    wrongType["isDefault"] = "ja";
    EXPECT_THROW(NativeEmailTemplate::fromJson(wrongType), APIError);
}

}  // namespace
}  // namespace zelvorin::templateactions
