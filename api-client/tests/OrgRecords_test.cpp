#include "api-client/OrgRecords.h"

#include <gtest/gtest.h>

#include "api-client/APIError.h"

namespace zelvorin::org {
namespace {

TEST(OrgSettingsPatchTest, LeftOutNullAndValueStayThreeDifferentBodies) {
    EXPECT_EQ(OrgSettingsPatch{}.toJson().dump(), "{}");

    OrgSettingsPatch clear;
    ASSERT_TRUE(clear.set("replyToEmail", "null"));
    EXPECT_EQ(clear.toJson().dump(), R"({"replyToEmail":null})");

    // Typed from text as the command line gives it, in the record's key order whatever the order set.
    OrgSettingsPatch typed;
    ASSERT_TRUE(typed.set("portalShowLogo", "false"));
    ASSERT_TRUE(typed.set("defaultHourlyRate", "9500"));
    ASSERT_TRUE(typed.set("orgName", "null"));  // a name may be called "null"; only three members clear
    EXPECT_EQ(typed.toJson().dump(), R"({"orgName":"null","defaultHourlyRate":9500,"portalShowLogo":false})");

    // A value of the wrong shape or an unknown key leaves the patch as it was.
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"paymentTermsDays", "14 dagen"},
                                     {"paymentTermsDays", "null"},
                                     {"kvitraScanEnabled", "ja"},
                                     {"kleur", "rood"}})
        EXPECT_FALSE(typed.set(key, value)) << key << "=" << value;
    EXPECT_EQ(typed.toJson().size(), 3u);

    EXPECT_EQ((IntegrationKeyBody{"mollie", std::nullopt}.toJson().dump()),
              R"({"provider":"mollie","value":null})");
}

TEST(OrgRecordsTest, SettingsAndIntegrationsDecodeWhatTheServiceSends) {
    const nlohmann::json settings = {{"id", "s"},
                                     {"organizationId", "o"},
                                     {"orgName", "Studio"},
                                     {"invoiceSeqNum", 12},
                                     {"replyToEmail", nullptr},
                                     {"portalShowLogo", true},
                                     {"logoPath", "logos/x/logo.png"}};
    const NativeOrgSettings read = NativeOrgSettings::fromJson(settings);
    EXPECT_EQ(read.orgName, "Studio");
    EXPECT_EQ(read.invoiceSeqNum, 12);
    EXPECT_FALSE(read.replyToEmail);
    EXPECT_EQ(read.portalShowLogo, true);
    EXPECT_EQ(NativeOrgSettings::fromJson(read.toJson()), read);
    nlohmann::json wrong = settings;
    wrong["invoiceSeqNum"] = "12";
    EXPECT_THROW(NativeOrgSettings::fromJson(wrong), APIError);
    wrong = settings;
    wrong.erase("organizationId");
    EXPECT_THROW(NativeOrgSettings::fromJson(wrong), APIError);

    const nlohmann::json oauth = {
        {"connected", false}, {"tokenExpired", false}, {"autoUpload", true}, {"folderTemplate", "/Boeken"}};
    const nlohmann::json status = {{"google", oauth},
                                   {"dropbox", oauth},
                                   {"bunq", {{"connected", false}}},
                                   {"kvitraFolders", {{"zakelijk", "Z"}, {"prive", "P"}, {"gemengd", "G"}}},
                                   {"mollieConfigured", true},
                                   {"resendConfigured", false},
                                   {"postcodeConfigured", false},
                                   {"anthropicConfigured", false}};
    const NativeIntegrationStatus integrations = NativeIntegrationStatus::fromJson(status);
    EXPECT_TRUE(integrations.dropbox.autoUpload);
    EXPECT_TRUE(integrations.mollieConfigured);
    EXPECT_EQ(nlohmann::json(integrations.toJson()), status);
    nlohmann::json noBunq = status;
    noBunq.erase("bunq");
    EXPECT_THROW(NativeIntegrationStatus::fromJson(noBunq), APIError);
}

}  // namespace
}  // namespace zelvorin::org
