#include "api-client/DataActions.h"

#include <gtest/gtest.h>

namespace zelvorin::dataactions {
namespace {

using Json = nlohmann::json;

TEST(DataRecordsTest, AnImportResultDecodesWithOrWithoutItsManifestAndOutcome) {
    const NativeImportResult refused = NativeImportResult::fromJson(Json{{"ok", false}});
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.manifest);
    EXPECT_FALSE(refused.result);

    const NativeImportResult done = NativeImportResult::fromJson(Json::parse(R"({
        "ok": true,
        "manifest": {"orgName": "Studio", "schemaVersion": "15", "appVersion": null},
        "result": {"rowsInserted": 412, "assetsRestored": 3, "warnings": ["let op"],
                   "versions": {"bundleApp": "1.0", "runtimeApp": "1.0", "bundleSchema": "15",
                                "runtimeSchema": "16"}}})"));
    EXPECT_EQ(done.manifest->orgName, "Studio");
    EXPECT_EQ(done.manifest->appVersion, std::nullopt);
    EXPECT_EQ(done.manifest->isEncrypted, std::nullopt);
    EXPECT_EQ(done.result->rowsInserted, 412);
    EXPECT_EQ(done.result->warnings, std::vector<std::string>{"let op"});
    EXPECT_EQ(done.result->versions->runtimeSchema, "16");

    // A count of another type is no result of ours.
    EXPECT_THROW(
        NativeImportResult::fromJson(Json::parse(
            R"({"ok": true, "result": {"rowsInserted": "veel", "assetsRestored": 0, "warnings": []}})")),
        APIError);
}

}  // namespace
}  // namespace zelvorin::dataactions
