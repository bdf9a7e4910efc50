#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/tests/CliDevice.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace {

using zelvorin::testing::CliDevice;
using zelvorin::testing::CliRun;
using zelvorin::testing::query;
using zelvorin::testing::runCli;

TEST(CliIntegrationTest, StatusReportsDeviceDatabaseMigrationsAndSession) {
    zelvorin::testing::TempDir root;
    std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=http://127.0.0.1:9/";
    CliRun first = runCli(environment, "status --json", root / "err.txt");
    ASSERT_EQ(first.exitCode, 0) << zelvorin::testing::readFile(root / "err.txt");
    auto body = nlohmann::json::parse(first.out);
    EXPECT_EQ(body["sessionState"], "signedOut");
    EXPECT_EQ(body["baseURL"], "http://127.0.0.1:9/");
    EXPECT_EQ(body["databasePath"], (root.path() / "Zelvorin" / "zelvorin.sqlite").string());
    ASSERT_EQ(body["migrations"].size(), 26u);
    EXPECT_EQ(body["migrations"][0], "v1_sync_foundation");
    EXPECT_EQ(body["migrations"][22], "v23_customer_language");

    CliRun second = runCli(environment, "status", root / "err.txt");
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_NE(second.out.find(body["deviceId"].get<std::string>()), std::string::npos);
    EXPECT_NE(second.out.find("Sessie:       signedOut"), std::string::npos);
}

TEST(CliIntegrationTest, AnUnusableServiceAddressStopsWithADutchMessage) {
    zelvorin::testing::TempDir root;
    CliRun run = runCli("ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=niet-een-adres",
                        "status", root / "err.txt");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(zelvorin::testing::readFile(root / "err.txt").find("ZELVORIN_BASE_URL"), std::string::npos);
}

TEST(CliIntegrationTest, LoginWhoamiSwitchOrgAndLogoutAgainstTheService) {
    zelvorin::testing::ServiceProcess service(zelvorin::testing::ServiceProcess::demo());
    zelvorin::testing::TempDir root;
    const std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl();
    const std::filesystem::path err = root / "err.txt";

    const CliRun before = runCli(environment, "whoami", err);
    EXPECT_EQ(before.exitCode, 3);
    EXPECT_NE(zelvorin::testing::readFile(err).find("Niet aangemeld"), std::string::npos);

    const CliRun login = runCli(environment, "login --auto --email daan@studiozelvorin.nl --json", err);
    ASSERT_EQ(login.exitCode, 0) << zelvorin::testing::readFile(err);
    const auto signedIn = nlohmann::json::parse(login.out);
    EXPECT_TRUE(signedIn["signedIn"].get<bool>());

    // Another process, the same device: the stored pair is used.
    const CliRun who = runCli(environment, "whoami --json", err);
    ASSERT_EQ(who.exitCode, 0) << zelvorin::testing::readFile(err);
    const auto identity = nlohmann::json::parse(who.out);
    EXPECT_EQ(identity["userId"], signedIn["userId"]);
    EXPECT_EQ(identity["deviceId"], signedIn["deviceId"]);
    EXPECT_EQ(identity["organizationName"], "Studio Zelvorin");
    EXPECT_EQ(identity["role"], "member");

    const CliRun unknown = runCli(environment, "switch-org bestaat-niet", err);
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(zelvorin::testing::readFile(err).find("Onbekende organisatie"), std::string::npos);

    EXPECT_EQ(runCli(environment, "logout", err).exitCode, 0);
    EXPECT_EQ(runCli(environment, "orgs", err).exitCode, 3);

    service.stop();
    const CliRun offline = runCli(environment, "login --auto", err);
    EXPECT_EQ(offline.exitCode, 6);
    EXPECT_NE(zelvorin::testing::readFile(err).find("Geen verbinding"), std::string::npos);
}

TEST(CliIntegrationTest, SwitchOrgMovesToTheSecondOrganisation) {
    const CliDevice device;
    ASSERT_EQ(device.run("login --auto --email sanne@studiozelvorin.nl").exitCode, 0);
    const auto organizations = nlohmann::json::parse(device.run("orgs --json").out)["organizations"];
    ASSERT_EQ(organizations.size(), 2U);
    const std::string other = organizations[0]["isCurrent"].get<bool>() ? organizations[1]["organizationId"]
                                                                        : organizations[0]["organizationId"];
    const CliRun switched = device.run("switch-org " + other + " --json");
    ASSERT_EQ(switched.exitCode, 0) << device.errors();
    EXPECT_TRUE(nlohmann::json::parse(switched.out)["requiresLocalWipe"].get<bool>());
    EXPECT_EQ(nlohmann::json::parse(device.run("whoami --json").out)["organizationId"], other);
}

TEST(CliIntegrationTest, SyncRunsOneCycleAndSaysHowItEnded) {
    CliDevice device;
    EXPECT_EQ(device.run("sync").exitCode, 3);  // not signed in
    ASSERT_EQ(device.run("login --auto").exitCode, 0);
    const CliRun first = device.run("sync --json");
    ASSERT_EQ(first.exitCode, 0) << device.errors();
    const nlohmann::json status = nlohmann::json::parse(first.out);
    EXPECT_EQ(status["status"], "idle");
    EXPECT_EQ(status["pendingChanges"], 0);
    EXPECT_EQ(status["conflicts"], 0);

    device.service.stop();
    const CliRun offline = device.run("sync --json");
    EXPECT_EQ(offline.exitCode, 6);
    EXPECT_EQ(nlohmann::json::parse(offline.out)["status"], "offline");
}

TEST(CliIntegrationTest, RenderPrintsAStoredInvoiceWithEveryLineOnce) {
    const CliDevice device;
    ASSERT_EQ(device.run("login --auto").exitCode, 0);
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    // The numbered invoice with the most lines.
    std::string id =
        query(device,
              "SELECT i.id FROM draft_invoice i JOIN invoice_line l ON l.invoice_id = i.id "
              "WHERE i.invoice_number IS NOT NULL GROUP BY i.id ORDER BY COUNT(*) DESC, i.id LIMIT 1");
    id.erase(id.find_last_not_of("\n") + 1);
    ASSERT_FALSE(id.empty());

    const std::filesystem::path pdf = device.root / "factuur.pdf";
    const std::filesystem::path png = device.root / "factuur.png";
    const CliRun rendered =
        device.run("render " + id + " --pdf " + pdf.string() + " --png " + png.string() + " --json");
    ASSERT_EQ(rendered.exitCode, 0) << device.errors();
    EXPECT_GE(nlohmann::json::parse(rendered.out)["pages"].get<int>(), 1);
    const std::string text = zelvorin::testing::runCommand("pdftotext " + pdf.string() + " -");
    std::string number = query(device, "SELECT invoice_number FROM draft_invoice WHERE id = '" + id + "'");
    number.erase(number.find_last_not_of("\n") + 1);
    EXPECT_NE(text.find(number), std::string::npos) << text;
    std::string descriptions =
        query(device, "SELECT description FROM invoice_line WHERE invoice_id = '" + id + "'");
    std::istringstream lines(descriptions);
    const std::string table =
        text.substr(std::min(text.find("Omschrijving"), text.size()));  // the subject may repeat a line
    int count = 0;
    for (std::string description; std::getline(lines, description); ++count) {
        const std::size_t first = table.find(description);
        EXPECT_NE(first, std::string::npos) << description;
        EXPECT_EQ(table.find(description, first + 1), std::string::npos) << "twice: " << description;
    }
    EXPECT_GT(count, 0);
    EXPECT_NE(zelvorin::testing::runCommand("pdfinfo " + pdf.string()).find("595.28 x 841.89 pts (A4)"),
              std::string::npos);
    EXPECT_EQ(zelvorin::testing::readFile(png).rfind("\x89PNG", 0), 0U);

    // A template config that cannot be read prints with the built-in layout and says so.
    query(device, "UPDATE invoice_template SET config = '{niet json'");
    const CliRun fallback = device.run("render " + id + " --pdf " + pdf.string());
    EXPECT_EQ(fallback.exitCode, 0) << device.errors();
    EXPECT_NE(device.errors().find("De template-config kon niet gelezen worden."), std::string::npos)
        << device.errors();
    EXPECT_NE(zelvorin::testing::runCommand("pdftotext " + pdf.string() + " -").find(number),
              std::string::npos);

    const CliRun unknown = device.run("render bestaat-niet --pdf " + pdf.string());
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(device.errors().find("Factuur 'bestaat-niet' staat niet in de lokale database."),
              std::string::npos);
}

TEST(CliIntegrationTest, ReadReceiptReadsTheCommittedSamplesAndRefusesWhatIsNoDocument) {
    zelvorin::testing::TempDir root;
    const std::filesystem::path err = root / "err.txt";
    const std::string environment = "ZELVORIN_DATA_DIR=" + root.path().string();
    const std::filesystem::path samples = ZELVORIN_INTELLIGENCE_SAMPLES;
    for (const auto& [name, extension] :
         {std::pair{"receipt-photo", ".jpg"}, std::pair{"invoice-photo", ".jpg"},
          std::pair{"receipt-scan", ".pdf"}}) {
        const std::string file = (samples / (std::string(name) + extension)).string();
        const CliRun run = runCli(environment, "read-receipt " + file + " --json", err);
        ASSERT_EQ(run.exitCode, 0) << name << ": " << zelvorin::testing::readFile(err);
        const nlohmann::json reading = nlohmann::json::parse(run.out);
        const nlohmann::json truth =
            nlohmann::json::parse(zelvorin::testing::readFile(samples / (std::string(name) + ".json")));
        EXPECT_TRUE(reading["accepted"].get<bool>()) << name;
        EXPECT_GE(reading["confidence"].get<double>(), 0.45) << name;
        EXPECT_EQ(reading["scores"].size(), 7U);
        EXPECT_EQ(reading["result"]["totalAmountCents"], truth["totalAmountCents"]) << name;
        EXPECT_EQ(reading["result"]["invoiceDate"], truth["invoiceDate"]) << name;
        EXPECT_EQ(reading["result"]["senderCompany"], truth["senderCompany"]) << name;
    }

    // A model server that does not answer: the rules read the receipt, and the user is told.
    const CliRun fallback = runCli(environment + " ZELVORIN_LLM_URL=http://127.0.0.1:9",
                                   "read-receipt " + (samples / "receipt-photo.jpg").string(), err);
    EXPECT_EQ(fallback.exitCode, 0);
    EXPECT_NE(fallback.out.find("Model: zelvorin-rules/2"), std::string::npos) << fallback.out;
    EXPECT_NE(zelvorin::testing::readFile(err).find("antwoordt niet"), std::string::npos);

    // Named like a PDF, but it is a GIF; and a file that is not there.
    std::ofstream(root / "bon.pdf") << "GIF89a\x01\0\x01\0";
    const CliRun gif = runCli(environment, "read-receipt " + (root / "bon.pdf").string(), err);
    EXPECT_EQ(gif.exitCode, 1);
    EXPECT_NE(zelvorin::testing::readFile(err).find("geen leesbare PDF, JPEG of PNG"), std::string::npos);
    EXPECT_EQ(runCli(environment, "read-receipt " + (root / "weg.png").string(), err).exitCode, 4);
}

}  // namespace
