// What only the service does to an invoice, from the command line of real devices against the real
// service on loopback: the service's answer, its outbox, and what other devices pull.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include <nlohmann/json.hpp>

#include "app/tests/CliDevice.h"

namespace {

using nlohmann::json;
using zelvorin::testing::CliRun;
using zelvorin::testing::readFile;
using zelvorin::testing::runCli;
using zelvorin::testing::runCommand;
using zelvorin::testing::ServiceProcess;
using zelvorin::testing::TempDir;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// One device of the demo organisation: its own folder, against the shared service.
struct Device {
    explicit Device(const ServiceProcess& service) : service(service) {}
    const ServiceProcess& service;
    TempDir root;

    CliRun run(const std::string& arguments) const {
        return runCli("ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl(),
                      arguments, root / "err.txt");
    }
    json runJson(const std::string& arguments) const {
        const CliRun done = run(arguments + " --json");
        EXPECT_EQ(done.exitCode, 0) << arguments << ": " << errors();
        return done.exitCode == 0 ? json::parse(done.out) : json();
    }
    std::string errors() const { return readFile(root / "err.txt"); }
};

class CliInvoiceActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Device A is a member's, device B the owner's.
        ASSERT_EQ(deviceA.run("login --auto --email daan@studiozelvorin.nl").exitCode, 0) << deviceA.errors();
        ASSERT_EQ(deviceB.run("login --auto --email sanne@studiozelvorin.nl").exitCode, 0)
            << deviceB.errors();
        for (const Device* device : {&deviceA, &deviceB})
            ASSERT_EQ(device->run("sync").exitCode, 0) << device->errors();
    }

    std::vector<std::filesystem::path> outbox() const {
        std::vector<std::filesystem::path> messages;
        const std::filesystem::path folder = service.dataDir() / "service" / "outbox";
        if (std::filesystem::exists(folder))
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                messages.push_back(entry.path());
        return messages;
    }

    ServiceProcess service{ServiceProcess::demo()};
    Device deviceA{service};
    Device deviceB{service};
};

TEST_F(CliInvoiceActionsIntegrationTest, ADraftMadeOfflineIsSentAndEveryDevicePullsItsNumber) {
    const std::string customer = deviceA.runJson("customers --search bakkerij")["customers"][0]["id"];
    service.stop();
    const std::string id =
        trimmed(deviceA.run("invoice new --customer " + customer + " --date 2026-03-16").out);
    ASSERT_FALSE(id.empty()) << deviceA.errors();
    ASSERT_EQ(
        deviceA.run("line add " + id + " --description Huisstijl --mode fixed --amount 1.000,00").exitCode, 0)
        << deviceA.errors();

    const CliRun offline = deviceA.run("invoice send " + id + " --to inkoop@bakkerij.nl");
    EXPECT_EQ(offline.exitCode, 6);
    EXPECT_NE(deviceA.errors().find("Versturen vereist een internetverbinding."), std::string::npos)
        << deviceA.errors();

    service.restart();
    EXPECT_EQ(deviceA.run("invoice send " + id + " --to 'geen adres'").exitCode, 1);
    EXPECT_NE(deviceA.errors().find("e-mailadres"), std::string::npos) << deviceA.errors();
    EXPECT_TRUE(outbox().empty());

    const json sent = deviceA.runJson("invoice send " + id + " --to inkoop@bakkerij.nl");
    const std::string number = sent["invoiceNumber"];
    EXPECT_TRUE(std::regex_match(number, std::regex("FAC-\\d{4}-\\d{4}"))) << number;
    EXPECT_EQ(sent["status"], "sent");
    EXPECT_EQ(sent["totalCents"], 121000);

    // The message parses as mail; its PDF shows the number and the total.
    const std::vector<std::filesystem::path> messages = outbox();
    ASSERT_EQ(messages.size(), 1u);
    const std::filesystem::path pdf = deviceA.root / "bijlage.pdf";
    const std::string parsed = runCommand(
        "python3 -c \"import email,email.policy,sys\n"
        "m=email.message_from_binary_file(open(sys.argv[1],'rb'),policy=email.policy.default)\n"
        "print(m['To'], m['Subject'], m.get_content_type(), len(m.defects))\n"
        "p=[a for a in m.iter_attachments() if a.get_content_type()=='application/pdf'][0]\n"
        "open(sys.argv[2],'wb').write(p.get_content())\" " +
        messages[0].string() + " " + pdf.string());
    EXPECT_EQ(trimmed(parsed), "inkoop@bakkerij.nl Factuur versturen multipart/mixed 0");
    const std::string text = runCommand("pdftotext " + pdf.string() + " -");
    EXPECT_NE(text.find(number), std::string::npos) << text;
    EXPECT_NE(text.find("1.210,00"), std::string::npos) << text;

    // Device A has the number from the pull after the send; device B pulls it.
    EXPECT_EQ(deviceA.runJson("invoice show " + id)["invoice"]["invoiceNumber"], number);
    ASSERT_EQ(deviceB.run("sync").exitCode, 0) << deviceB.errors();
    const json onB = deviceB.runJson("invoice show " + id)["invoice"];
    EXPECT_EQ(onB["invoiceNumber"], number);
    EXPECT_EQ(onB["status"], "sent");

    // What was sent is not edited any more; a second send takes no second number.
    const CliRun edit = deviceB.run("line add " + id + " --description Extra --mode fixed --amount 605,00");
    EXPECT_EQ(edit.exitCode, 2);
    EXPECT_NE(deviceB.errors().find("creditnota"), std::string::npos) << deviceB.errors();
    EXPECT_EQ(deviceA.run("invoice send " + id + " --to inkoop@bakkerij.nl").exitCode, 1);
    EXPECT_NE(deviceA.errors().find("al verstuurd"), std::string::npos) << deviceA.errors();
    EXPECT_EQ(outbox().size(), 1u);
}

TEST_F(CliInvoiceActionsIntegrationTest, APartialThenTheFullPaymentReachEveryDevice) {
    const std::string customer = deviceA.runJson("customers --search bakkerij")["customers"][0]["id"];
    const std::string id =
        trimmed(deviceA.run("invoice new --customer " + customer + " --date 2026-03-16").out);
    ASSERT_EQ(deviceA.run("line add " + id + " --description Advies --mode fixed --amount 500,00").exitCode,
              0);
    ASSERT_EQ(deviceA.run("invoice send " + id + " --to inkoop@bakkerij.nl").exitCode, 0) << deviceA.errors();

    // Refused before any call: less than a cent, or no amount at all.
    for (const char* amount : {"0", "0,00", "-10,00", "tien"}) {
        EXPECT_EQ(deviceA.run("invoice pay " + id + " --amount " + amount).exitCode, 2) << amount;
        EXPECT_NE(deviceA.errors().find("Vul een geldig bedrag in."), std::string::npos) << deviceA.errors();
    }
    // Refused by the service: more than is open.
    EXPECT_EQ(deviceA.run("invoice pay " + id + " --amount 605,01").exitCode, 1);
    EXPECT_NE(deviceA.errors().find("openstaande bedrag van € 605,00"), std::string::npos)
        << deviceA.errors();

    EXPECT_EQ(deviceA.runJson("invoice pay " + id + " --amount 123,45 --method ideal")["status"],
              "partiallyPaid");
    const json paid = deviceA.runJson("invoice pay " + id + " --amount 481,55 --date 2026-03-20");
    EXPECT_EQ(paid["status"], "paid");
    EXPECT_FALSE(paid["paidAt"].is_null());

    ASSERT_EQ(deviceB.run("sync").exitCode, 0) << deviceB.errors();
    const json onB = deviceB.runJson("invoice show " + id);
    EXPECT_EQ(onB["invoice"]["status"], "paid");
    ASSERT_EQ(onB["payments"].size(), 2u) << onB.dump();
    EXPECT_EQ(onB["payments"][0]["amountCents"].get<int>() + onB["payments"][1]["amountCents"].get<int>(),
              60500);

    service.stop();
    EXPECT_EQ(deviceA.run("invoice pay " + id + " --amount 1,00").exitCode, 6);
    EXPECT_NE(deviceA.errors().find("Betaling registreren vereist een internetverbinding."),
              std::string::npos);
}

TEST_F(CliInvoiceActionsIntegrationTest, RemindersCreditNotesCancelAndReopenFromTheCommandLine) {
    const std::string customer = deviceA.runJson("customers --search bakkerij")["customers"][0]["id"];
    const std::string id =
        trimmed(deviceA.run("invoice new --customer " + customer + " --date 2026-03-16").out);
    ASSERT_EQ(deviceA.run("line add " + id + " --description Advies --mode fixed --amount 1.000,00").exitCode,
              0);
    ASSERT_EQ(deviceA.run("invoice send " + id + " --to inkoop@bakkerij.nl").exitCode, 0) << deviceA.errors();

    EXPECT_EQ(deviceA.run("invoice remind " + id + " --level reminder_9 --to inkoop@bakkerij.nl").exitCode,
              2);
    for (const char* level : {"reminder_1", "reminder_2", "reminder_final"})
        EXPECT_EQ(deviceA.runJson("invoice remind " + id + " --level " + level +
                                  " --to inkoop@bakkerij.nl")["level"],
                  level);
    EXPECT_EQ(outbox().size(), 4u);

    // A credit note of € 210,00 arrives on the other device by pull.
    EXPECT_EQ(deviceA.run("invoice credit " + id + " --amount 0,00").exitCode, 2);
    EXPECT_EQ(deviceA.run("invoice credit " + id + " --amount 1.210,01").exitCode, 1);
    const json credit = deviceA.runJson("invoice credit " + id + " --amount 210,00");
    EXPECT_EQ(credit["totalCents"], -21000);
    ASSERT_EQ(deviceB.run("sync").exitCode, 0) << deviceB.errors();
    const json note = deviceB.runJson("invoice show " + credit["id"].get<std::string>())["invoice"];
    EXPECT_EQ(note["creditedInvoiceId"], id);
    EXPECT_EQ(note["totalCents"], -21000);

    // Cancelling: the rules hold before any call, then the service cancels once.
    EXPECT_EQ(deviceA.run("invoice cancel " + id + " --reason '  te laat  ' --confirm ANNULEER").exitCode, 2);
    EXPECT_NE(deviceA.errors().find("minimaal 10 tekens"), std::string::npos);
    EXPECT_EQ(
        deviceA.run("invoice cancel " + id + " --reason 'Dubbel verstuurd' --confirm annuleer").exitCode, 2);
    EXPECT_NE(deviceA.errors().find("Type exact ANNULEER"), std::string::npos);
    EXPECT_EQ(deviceA.runJson("invoice cancel " + id +
                              " --reason 'Dubbel verstuurd' --confirm ' ANNULEER '")["status"],
              "cancelled");
    EXPECT_EQ(
        deviceA.run("invoice cancel " + id + " --reason 'Dubbel verstuurd' --confirm ANNULEER").exitCode, 1);
    EXPECT_NE(deviceA.errors().find("al geannuleerd"), std::string::npos) << deviceA.errors();

    // Reopening is for owners and admins only.
    EXPECT_EQ(deviceA.run("invoice reopen " + id + " --reason 'Klant wil toch door'").exitCode, 1);
    EXPECT_NE(deviceA.errors().find("eigenaar of beheerder"), std::string::npos) << deviceA.errors();
    EXPECT_EQ(deviceB.run("invoice reopen " + id + " --reason kort").exitCode, 2);
    EXPECT_EQ(deviceB.runJson("invoice reopen " + id + " --reason 'Klant wil toch door'")["status"], "draft");

    std::vector<std::string> kinds;
    const json timeline = deviceB.runJson("invoice timeline " + id);
    for (const json& event : timeline["events"])
        kinds.push_back(event["kind"]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"sent", "reminder", "reminder", "reminder", "creditNote",
                                               "cancelled", "reopened"}));
}

}  // namespace
