// The organisation's data from the command line: its size, the export and the refusals of an
// import and a removal, against the real service.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/tests/CliDevice.h"

namespace zelvorin::testing {
namespace {

TEST(CliDataIntegrationTest, ExportsAndRefusesAnImportWithUnsyncedChangesOrAWrongPasswordAndAWrongName) {
    CliDevice device;
    ASSERT_EQ(device.run("login --auto --email sanne@studiozelvorin.nl").exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();

    const CliRun stats = device.run("data stats --json");
    ASSERT_EQ(stats.exitCode, 0) << device.errors();
    EXPECT_GT(nlohmann::json::parse(stats.out)["records"]["total"].get<int>(), 0);

    const std::filesystem::path bundle = device.root / "studio.ufbs";
    ASSERT_EQ(device.run("data export --password 'lang genoeg' --out " + bundle.string()).exitCode, 0)
        << device.errors();
    EXPECT_EQ(readFile(bundle).substr(0, 8), "ZVBUNDLE");

    ASSERT_EQ(device.run("customer add --name 'Nog lokaal B.V.'").exitCode, 0) << device.errors();
    EXPECT_EQ(
        device.run("data import " + bundle.string() + " --mode merge --password 'lang genoeg'").exitCode, 2);
    EXPECT_NE(device.errors().find("1 niet-gesynchroniseerde wijziging. Synchroniseer eerst"),
              std::string::npos)
        << device.errors();

    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    EXPECT_EQ(device.run("data import " + bundle.string() + " --mode replace --password 'fout'").exitCode, 1);
    EXPECT_NE(device.errors().find("Het wachtwoord is onjuist"), std::string::npos) << device.errors();
    const CliRun merged =
        device.run("data import " + bundle.string() + " --mode merge --password 'lang genoeg' --json");
    ASSERT_EQ(merged.exitCode, 0) << device.errors();
    EXPECT_EQ(nlohmann::json::parse(merged.out)["rowsInserted"], 0);

    EXPECT_EQ(device.run("org delete --confirm 'Studio'").exitCode, 1);
    EXPECT_NE(device.errors().find("De naam komt niet overeen"), std::string::npos) << device.errors();
    ASSERT_EQ(device.run("org delete --confirm 'Studio Zelvorin'").exitCode, 0) << device.errors();
    // Signed out with it: the next command needs a new sign-in.
    EXPECT_EQ(device.run("data stats").exitCode, 3);
}

}  // namespace
}  // namespace zelvorin::testing
