#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "api-client/tests/LoopbackServer.h"
#include "app/tests/CliDevice.h"
#include "testing/Golden.h"
#include "testing/ServiceSignIn.h"

// Every command's text and --json output on the demo organisation, compared with the committed
// files in golden/ (ZELVORIN_UPDATE_GOLDEN=1 rewrites them). The clock stands still at the demo's
// day, so dates, due dates and dashboard periods are the same every day; what still changes from
// run to run (the device id, ids and draft numbers of records made here, the data folder and the
// service's port) is replaced by a placeholder before comparing.
namespace zelvorin::testing {
namespace {

using Json = nlohmann::ordered_json;
const std::filesystem::path kGolden = ZELVORIN_CLI_GOLDEN_DIR;

class CliGoldenIntegrationTest : public ::testing::Test {
protected:
    struct Output {
        int exitCode = -1;
        std::string out;
        std::string err;
    };

    Output run(const std::string& arguments) {
        const CliRun run = runCli("ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" +
                                      (baseUrlOverride.empty() ? service.baseUrl() : baseUrlOverride) +
                                      " ZELVORIN_NOW=2026-03-16T10:00:00Z ZELVORIN_APPCAST_URL=" + appcastUrl,
                                  arguments, root / "err.txt");
        return {run.exitCode, run.out, readFile(root / "err.txt")};
    }
    // Names what differs from run to run; later outputs show `placeholder` in its place.
    void volatileText(const std::string& text, const std::string& placeholder) {
        if (!text.empty()) placeholders[text] = placeholder;
    }
    std::string normalised(std::string text) const {
        const auto replaceAll = [&](const std::string& from, const std::string& to) {
            for (std::size_t at = text.find(from); at != std::string::npos;
                 at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
        };
        replaceAll(root.path().string(), "<data>");
        replaceAll(service.baseUrl(), "http://127.0.0.1:<port>/");
        for (const auto& [from, to] : placeholders)
            replaceAll(from, to);
        return text;
    }
    void expectGolden(const std::string& file, const std::string& output) {
        EXPECT_EQ(goldenMismatch(kGolden / file, normalised(output)), "");
    }
    // `arguments` as text, into <name>.txt. A command that makes a record prints its new id:
    // it gets `placeholder` before the output is compared.
    std::string text(const std::string& name, const std::string& arguments,
                     const std::string& placeholder = {}) {
        const Output output = run(arguments);
        EXPECT_EQ(output.exitCode, 0) << arguments << ": " << output.err;
        if (!placeholder.empty()) volatileText(trimmed(output.out), placeholder);
        expectGolden(name + ".txt", output.out);
        return trimmed(output.out);
    }
    // `arguments --json`, pretty-printed into <name>.json; `beforeComparing` names what in it
    // changes from run to run.
    Json json(const std::string& name, const std::string& arguments,
              const std::function<void(const Json&)>& beforeComparing = {}) {
        const Output output = run(arguments + " --json");
        EXPECT_EQ(output.exitCode, 0) << arguments << ": " << output.err;
        const Json body = Json::parse(output.out, nullptr, false);
        EXPECT_FALSE(body.is_discarded()) << arguments << ": " << output.out;
        if (beforeComparing) beforeComparing(body);
        expectGolden(name + ".json", body.dump(2) + "\n");
        return body;
    }
    // The new record's id (and draft number) as `placeholder`.
    std::function<void(const Json&)> created(const std::string& placeholder) {
        return [this, placeholder](const Json& record) {
            volatileText(record.value("id", ""), placeholder);
            if (record.contains("localDraftNumber") && record["localDraftNumber"].is_string())
                volatileText(record["localDraftNumber"], "<draft-number>");
        };
    }
    Json both(const std::string& name, const std::string& arguments) {
        text(name, arguments);
        return json(name, arguments);
    }
    // The log's lines (timestamped, "[...]") go to stderr too; the message is what is compared.
    static std::string withoutLogLines(const std::string& err) {
        std::string kept;
        std::size_t start = 0;
        while (start < err.size()) {
            const std::size_t end = std::min(err.find('\n', start), err.size());
            if (err[start] != '[') kept += err.substr(start, end - start) + "\n";
            start = end + 1;
        }
        return kept;
    }
    std::string trimmed(std::string text) {
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    // The link a browser hands back after the hand-off of this device's current id.
    std::string signInLink() {
        const Json status = Json::parse(run("status --json").out, nullptr, false);
        return "'" + requestHandoff(service, status.value("deviceId", "")).location + "'";
    }

    static ServiceProcess::Options demoAtTheDevicesTime() {
        ServiceProcess::Options options = ServiceProcess::demo();
        options.now = "2026-03-16T10:00:00Z";  // the service stamps what it does at the CLI's moment
        return options;
    }

    // Refusals: the exit code and the message of each command, as text and with --json (on
    // stderr), into `file`; each must fail with `exitCode`.
    void refusals(const std::string& file, const std::vector<std::pair<std::string, int>>& commands) {
        std::string seen;
        for (const auto& [command, exitCode] : commands) {
            for (const std::string& form : {command, command + " --json"}) {
                const Output refused = run(form);
                EXPECT_EQ(refused.exitCode, exitCode) << form << ": " << refused.err;
                seen += "$ " + form + "\n" + std::to_string(refused.exitCode) + " " +
                        withoutLogLines(refused.err);
            }
        }
        expectGolden(file, seen);
    }

    ServiceProcess service{demoAtTheDevicesTime()};
    std::string baseUrlOverride;  // where the CLI looks for the service when not `service`
    TempDir root;
    std::map<std::string, std::string> placeholders;
    std::string appcastUrl;  // empty: no update feed
};

TEST_F(CliGoldenIntegrationTest, EveryCommandsOutputOnTheDemoOrganisation) {
    json("status", "status",
         [&](const Json& status) { volatileText(status.value("deviceId", ""), "<device>"); });
    text("status", "status");

    text("login", "login --auto");
    json("login", "login --auto");
    both("whoami", "whoami");
    const Json organisations = both("orgs", "orgs");
    both("sync", "sync");

    both("invoices", "invoices");
    both("invoices-overdue", "invoices --segment achterstallig --year 2026");
    const Json paidInvoices = json("invoices-paid", "invoices --segment betaald")["invoices"];
    ASSERT_FALSE(paidInvoices.empty());
    const std::string paid = paidInvoices[0]["id"];
    both("invoice-show", "invoice show " + paid);
    both("customers", "customers --archived");
    both("customers-search", "customers --search bakkerij");
    both("schedules", "schedules");
    both("inbox", "inbox");
    both("inbox-new", "inbox --status nieuw --category zakelijk");
    both("bank", "bank --page 2");
    both("bank-unmatched", "bank --unmatched");
    both("dashboard", "dashboard");
    both("render", "render " + paid + " --pdf " + (root / "factuur.pdf").string());
    both("read-receipt", std::string("read-receipt ") + ZELVORIN_INTELLIGENCE_SAMPLES + "/receipt-photo.jpg");

    // Records made here: each verb once as text (which prints the new id) and once as JSON.
    const std::string textCustomer =
        text("customer-add", "customer add --name Tekst --city Ede", "<customer-1>");
    const Json customer =
        json("customer-add", "customer add --name Golden --city Ede --country NL --vat NL0B01",
             created("<customer-2>"));
    text("customer-set", "customer set " + textCustomer + " archived ja");
    json("customer-set", "customer set " + customer.value("id", "") + " paymentTermsOverride 21");

    const std::string textInvoice =
        text("invoice-new", "invoice new --customer " + textCustomer + " --date 2026-03-02", "<invoice-1>");
    const Json invoice =
        json("invoice-new", "invoice new --customer " + customer.value("id", ""), created("<invoice-2>"));
    text("invoice-set", "invoice set " + textInvoice + " referenceNumber PO-7");
    json("invoice-set", "invoice set " + invoice.value("id", "") + " portalLinkEnabled nee");

    const std::string textLine =
        text("line-add",
             "line add " + textInvoice + " --description Ontwerp --mode hours_rate --qty 1,5 --price 85,00",
             "<line-1>");
    const Json line = json("line-add",
                           "line add " + invoice.value("id", "") +
                               " --description Drukwerk --mode fixed --amount 100,00 --vat nl_9",
                           created("<line-2>"));
    text("line-set", "line set " + textLine + " qty 2");
    json("line-set", "line set " + line.value("id", "") + " description Drukproeven");
    both("invoice-show-new", "invoice show " + invoice.value("id", ""));
    text("line-rm", "line rm " + textLine);
    json("line-rm", "line rm " + line.value("id", ""));
    text("invoice-rm", "invoice rm " + textInvoice);
    json("invoice-rm", "invoice rm " + invoice.value("id", ""));

    std::string other;
    for (const Json& organisation : organisations["organizations"])
        if (!organisation["isCurrent"].get<bool>()) other = organisation["organizationId"];
    ASSERT_FALSE(other.empty());
    json("switch-org", "switch-org " + other);
    both("whoami-switched", "whoami");
    std::string first;
    for (const Json& organisation : organisations["organizations"])
        if (organisation["isCurrent"].get<bool>()) first = organisation["organizationId"];
    text("switch-org", "switch-org " + first);
    text("logout", "logout");
    // Signing out gives the device a new id, so the JSON run prints the one the text run made.
    json("logout", "logout",
         [&](const Json& body) { volatileText(body.value("deviceId", ""), "<device-after-logout>"); });

    // A sign-in link is redeemed only by the process that opened its sign-in (login does): a
    // link from elsewhere, even for this device, is refused and signs nobody in.
    const Output leaked = run("open-url " + signInLink());
    EXPECT_NE(leaked.exitCode, 0);
    EXPECT_NE(leaked.err.find("De inlogcode is ongeldig of verlopen."), std::string::npos) << leaked.err;
    EXPECT_EQ(Json::parse(run("status --json").out, nullptr, false).value("sessionState", ""), "signedOut");
    text("open-url-onboarding", "open-url 'zelvorin://onboarding?token=golden'");

    // Refusals: the exit code and the message, as text and as JSON on stderr.
    std::string refusals;
    for (const std::string& command :
         {std::string("open-url https://example.org/"),
          std::string("open-url 'zelvorin://auth?code=weg&device_id=weg'"), std::string("update-check")}) {
        for (const std::string& form : {command, command + " --json"}) {
            const Output refused = run(form);
            EXPECT_NE(refused.exitCode, 0) << form;
            refusals +=
                "$ " + form + "\n" + std::to_string(refused.exitCode) + " " + withoutLogLines(refused.err);
        }
    }
    expectGolden("errors-open-url-update-check.txt", refusals);

    LoopbackServer feed;
    feed.server.Get("/appcast.xml", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"xml(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
  <item><title>Versie 900.1</title>
    <enclosure url="https://downloads.zelvorin.nl/zelvorin-900.1.tar.gz" sparkle:version="900.1"/></item>
</channel></rss>)xml",
                             "application/xml");
    });
    feed.start();
    appcastUrl = feed.baseURL() + "appcast.xml";
    volatileText(feed.baseURL(), "http://127.0.0.1:<feed-port>/");
    text("update-check", "update-check");
    json("update-check", "update-check", [&](const Json& body) {
        volatileText("\"" + body.value("currentVersion", "") + "\"", "\"<this-version>\"");
    });
}

// The service's actions on invoices drafted here: numbers follow the demo's last (FAC-2026-0021),
// and every stamp is the clock's fixed moment.
TEST_F(CliGoldenIntegrationTest, TheInvoiceActionsAndTheirRefusals) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    ASSERT_EQ(run("sync").exitCode, 0);
    const std::string customer = "018cc251-f400-7000-8000-000000006638";  // Bakkerij Van Dam B.V.
    const auto draft = [&](const std::string& placeholder, bool withLine = true) {
        const Output made = run("invoice new --customer " + customer);
        EXPECT_EQ(made.exitCode, 0) << made.err;
        const std::string id = trimmed(made.out);
        volatileText(id, placeholder);
        if (withLine) {
            const Output line = run("line add " + id + " --description Ontwerp --mode fixed --amount 200,00");
            EXPECT_EQ(line.exitCode, 0) << line.err;
        }
        return id;
    };
    const std::string first = draft("<invoice-a>"), second = draft("<invoice-b>"),
                      third = draft("<invoice-c>"), fourth = draft("<invoice-d>"),
                      empty = draft("<invoice-empty>", false);
    const std::string to = " --to administratie@bakkerijvandam.nl";
    const std::string reason = " --reason 'Verkeerde klant gekozen'";
    // What the service makes besides the invoice's own fields: timeline events, reminders,
    // credit notes.
    const auto serviceIds = [&](const std::string& prefix) {
        return [this, prefix](const Json& body) {
            int n = 0;
            const auto name = [&](const Json& value) {
                if (value.is_string() && !placeholders.contains(value.get<std::string>()))
                    volatileText(value, "<" + prefix + "-" + std::to_string(++n) + ">");
            };
            if (body.contains("reminderId")) name(body["reminderId"]);
            if (body.contains("events"))
                for (const Json& event : body["events"])
                    name(event["id"]);
            if (body.contains("status") && body.value("invoiceNumber", Json()).is_null()) name(body["id"]);
        };
    };

    text("invoice-send", "invoice send " + first + to);
    json("invoice-send", "invoice send " + second + to + " --subject 'Factuur maart' --body 'Zie bijlage.'");
    for (const std::string& id : {third, fourth})
        ASSERT_EQ(run("invoice send " + id + to).exitCode, 0);
    // The service's preview of a sent invoice is the file that was sent, with the demo template's
    // quantity column.
    const std::string previewFile = (root / "voorbeeld.pdf").string();
    text("invoice-preview-pdf", "invoice preview-pdf " + first + " --out " + previewFile);
    json("invoice-preview-pdf", "invoice preview-pdf " + second + " --out " + (root / "tweede.pdf").string());
    const std::string previewText = runCommand("pdftotext -layout " + previewFile + " -");
    for (const char* shown : {"FAC-2026-0024", "Aantal", "€ 242,00"})
        EXPECT_NE(previewText.find(shown), std::string::npos) << shown << "\n" << previewText;
    text("invoice-pay", "invoice pay " + first + " --amount 50,00 --date 2026-03-16");
    json("invoice-pay", "invoice pay " + first + " --amount 10,00 --method cash --note Kas");
    text("invoice-remind", "invoice remind " + first + " --level reminder_1" + to);
    json("invoice-remind", "invoice remind " + first + " --level reminder_2" + to, serviceIds("reminder"));
    text("invoice-remind-final", "invoice remind " + first + " --level reminder_final" + to);
    {
        // The credit note is a new draft the service made; its id is in the sentence.
        const Output credited = run("invoice credit " + second + " --amount 20,00");
        EXPECT_EQ(credited.exitCode, 0) << credited.err;
        const std::size_t open = credited.out.rfind('('), comma = credited.out.rfind(',');
        if (open != std::string::npos && comma > open)
            volatileText(credited.out.substr(open + 1, comma - open - 1), "<credit-note-0>");
        expectGolden("invoice-credit.txt", credited.out);
    }
    json("invoice-credit", "invoice credit " + second + " --amount 5,00", serviceIds("credit-note"));
    text("invoice-mark-paid", "invoice mark-paid " + first + " --date 2026-03-17");
    json("invoice-mark-paid", "invoice mark-paid " + second);
    text("invoice-cancel", "invoice cancel " + third + reason + " --confirm ANNULEER");
    json("invoice-cancel", "invoice cancel " + fourth + reason + " --confirm ' ANNULEER '");
    refusals("errors-invoice-actions.txt",
             {
                 {"invoice send " + empty + to, 1},
                 {"invoice send " + empty + " --to geen-adres", 1},
                 {"invoice send " + first + to, 1},
                 {"invoice pay " + first + " --amount 0,00", 2},
                 {"invoice pay " + first + " --amount -5", 2},
                 {"invoice pay " + first + " --amount 1,00", 1},
                 {"invoice mark-paid " + first + " --date morgen", 2},
                 {"invoice remind " + first + " --level reminder_3" + to, 2},
                 {"invoice remind " + empty + " --level reminder_1" + to, 1},
                 {"invoice credit " + first + " --amount 9999,00", 1},
                 {"invoice cancel " + third + reason + " --confirm ANNULEER", 1},
                 {"invoice cancel " + first + " --reason 'te  kort  ' --confirm ANNULEER", 2},
                 {"invoice cancel " + first + reason + " --confirm annuleer", 2},
                 {"invoice reopen " + first + " --reason kort", 2},
                 {"invoice timeline weg", 4},
                 {"invoice preview-pdf weg --out " + (root / "weg.pdf").string(), 4},
             });
    text("invoice-reopen", "invoice reopen " + third + reason);
    json("invoice-reopen", "invoice reopen " + fourth + reason);
    text("invoice-timeline", "invoice timeline " + first);
    json("invoice-timeline", "invoice timeline " + first, serviceIds("event"));

    // Sent later: the service sends when its clock passes the moment, not before.
    const std::string later = draft("<invoice-later>"), laterJson = draft("<invoice-later-json>");
    text("invoice-send-at", "invoice send " + later + to + " --at 2026-03-17T09:00:00+01:00");
    json("invoice-send-at", "invoice send " + laterJson + to + " --at 2026-03-17T11:00:00+01:00");
    refusals("errors-invoice-send-at.txt",
             {
                 {"invoice send " + later + to + " --at morgen", 2},
                 {"invoice send " + later + to + " --at 2026-03-16T09:00:00Z", 1},
             });
    service.advanceClock(std::chrono::hours(23));  // 2026-03-17T09:00Z: the first is due, the second not
    text("invoice-send-at-timeline", "invoice timeline " + later);
    EXPECT_EQ(run("invoice timeline " + laterJson).out.find("verstuurd —"), std::string::npos);
    text("invoice-unschedule", "invoice unschedule " + laterJson);
    const std::string laterStill = draft("<invoice-later-still>");
    ASSERT_EQ(run("invoice send " + laterStill + to + " --at 2026-03-18T09:00:00+01:00").exitCode, 0);
    json("invoice-unschedule", "invoice unschedule " + laterStill);
    service.advanceClock(std::chrono::hours(2));
    const Output unsent = run("invoice timeline " + laterJson);
    EXPECT_NE(unsent.out.find("Geplande verzending geannuleerd"), std::string::npos) << unsent.out;
    EXPECT_EQ(unsent.out.find("verstuurd —"), std::string::npos) << unsent.out;

    // Without the service the actions are refused before any call, in the sheet's words.
    baseUrlOverride = "http://127.0.0.1:1/";
    refusals("errors-invoice-actions-offline.txt",
             {
                 {"invoice send " + third + to, 6},
                 {"invoice pay " + third + " --amount 1,00", 6},
                 {"invoice cancel " + third + reason + " --confirm ANNULEER", 6},
             });
}

// The review the rules spare: the demo's transfers to its own VAT savings are suggested and set
// aside in one go, a cost is categorised with a rule for its counterparty, the invoice to link is
// found by its number, and the savings account gets a new name that a pull brings back.
TEST_F(CliGoldenIntegrationTest, BankRulesSetTransactionsAsideAndTheInvoiceToLinkIsFound) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    ASSERT_EQ(run("sync").exitCode, 0);
    const std::string savings = "018cc251-f400-7000-8000-000000021f77";
    const std::string coworking = "018cc251-f400-7000-8000-00000002ef29";
    // Three payments at one filling station (its legal form once): a rule is suggested for them.
    writeFile(
        root / "pomp.csv",
        "\"IBAN/BBAN\",\"Munt\",\"Volgnr\",\"Datum\",\"Bedrag\",\"Naam tegenpartij\",\"Omschrijving-1\"\n"
        "\"NL03RABO0312456789\",\"EUR\",\"31\",\"2026-03-02\",\"-61,20\",\"Tankstation De Pomp\",\"Tanken\"\n"
        "\"NL03RABO0312456789\",\"EUR\",\"32\",\"2026-03-09\",\"-48,10\",\"Tankstation De Pomp "
        "B.V.\",\"Tanken\"\n"
        "\"NL03RABO0312456789\",\"EUR\",\"33\",\"2026-03-15\",\"-55,00\",\"Tankstation De "
        "Pomp\",\"Tanken\"\n");
    ASSERT_EQ(run("bank import " + (root / "pomp.csv").string()).exitCode, 0);
    both("bank-rules", "bank rules");
    text("bank-rules-activate", "bank rules activate 'Tankstation De Pomp'");
    text("bank-categorize", "bank categorize " + coworking + " zakelijk --rule");
    json("bank-rules-after", "bank rules");
    both("bank-search", "bank search fac-2026-001");
    json("bank-search-out", "bank search telecom --out");
    text("bank-account", "bank account " + savings + " --name 'Spaarpot BTW'");
    EXPECT_NE(run("bank").out.find("Rekening: Spaarpot BTW"), std::string::npos);
    refusals("errors-bank-rules.txt", {{"bank rules add '  '", 1},
                                       {"bank rules add 'Coworking De Werkplaats'", 1},
                                       {"bank rules rm onbekend", 1},
                                       {"bank categorize onbekend zakelijk", 1},
                                       {"bank search '   '", 2},
                                       {"bank account " + savings + " --type goud", 1}});
}

// Two statements of the demo's business account, written by hand: the CAMT file pays
// FAC-2026-0017 in full (its number as the remittance, as the payment code puts it), the MT940
// file FAC-2026-0016. The service links and pays both; a part payment of FAC-2026-0019 waits for a
// person, who links it by hand. A second device sees all three after its sync.
TEST_F(CliGoldenIntegrationTest, BankStatementsImportOnceAndPayTheInvoicesTheyName) {
    const std::string statements = ZELVORIN_STATEMENTS_DIR;
    ASSERT_EQ(run("login --auto").exitCode, 0);
    ASSERT_EQ(run("sync").exitCode, 0);
    text("bank-import", "bank import " + statements + "/demo-maart.camt053.xml");
    json("bank-import", "bank import " + statements + "/demo-maart.mt940");
    json("bank-import-again", "bank import " + statements + "/demo-maart.camt053.xml");
    both("bank-sync-now", "bank sync-now");

    // The part payment of FAC-2026-0019 waits for review: suggested, linked by hand, undone.
    std::string partial;
    const Json listed = Json::parse(run("bank --unmatched --json").out, nullptr, false);
    for (const Json& transaction : listed.value("transactions", Json::array()))
        if (transaction.value("description", "") == "Eerste deel van FAC-2026-0019")
            partial = transaction["id"];
    ASSERT_FALSE(partial.empty());
    volatileText(partial, "<transaction>");
    const std::string invoice0019 = "018cc251-f400-7000-8000-00000000cff9";
    both("bank-suggest", "bank suggest " + partial);
    text("bank-match", "bank match " + partial + " " + invoice0019);
    EXPECT_NE(run("invoice show " + invoice0019).out.find("partiallyPaid"), std::string::npos);
    json("bank-unmatch", "bank unmatch " + partial);
    json("bank-match", "bank match " + partial + " " + invoice0019);
    writeFile(root / "brief.txt", "Beste klant,\nhierbij de factuur.\n");
    refusals("errors-bank-import.txt", {{"bank import " + (root / "brief.txt").string(), 1},
                                        {"bank import " + (root / "bestaat-niet.xml").string(), 4},
                                        {"bank match " + partial + " " + invoice0019, 1},
                                        {"bank unmatch onbekend", 1}});

    TempDir second;
    const auto onSecondDevice = [&](const std::string& arguments) {
        return runCli("ZELVORIN_DATA_DIR=" + second.path().string() +
                          " ZELVORIN_BASE_URL=" + service.baseUrl() + " ZELVORIN_NOW=2026-03-16T10:00:00Z",
                      arguments, second / "err.txt");
    };
    ASSERT_EQ(onSecondDevice("login --auto").exitCode, 0);
    ASSERT_EQ(onSecondDevice("sync").exitCode, 0);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"018cc251-f400-7000-8000-00000000db5c", "paid"},  // FAC-2026-0017, by the CAMT file
        {"018cc251-f400-7000-8000-00000000f0e5", "paid"},  // FAC-2026-0016, by the MT940 file
        {invoice0019, "partiallyPaid"},                    // linked by hand
    };
    for (const auto& [id, status] : expected) {
        const Json shown = Json::parse(onSecondDevice("invoice show " + id + " --json").out, nullptr, false);
        EXPECT_EQ(shown.value("invoice", Json::object()).value("status", ""), status) << id;
    }
}

// What the service computes over the whole administration: the VAT return of a quarter and its file,
// the dashboard's figures and the week's briefing.
TEST_F(CliGoldenIntegrationTest, TheServicesVatReturnAndDashboard) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    both("btw", "btw 1 --year 2026");
    json("btw-q4", "btw Q4 --year 2025");
    text("btw-export", "btw export 1 --out " + (root / "q1.csv").string());
    expectGolden("btw-export.csv", readFile(root / "q1.csv"));
    refusals("errors-btw.txt", {{"btw 5", 2}, {"btw 1 --year 1899", 2}, {"btw export vijf", 2}});

    both("dashboard-summary", "dashboard summary");
    json("dashboard-summary-vorig-jaar", "dashboard summary --period vorig_jaar");
    both("dashboard-briefing", "dashboard briefing");
    refusals("errors-dashboard.txt", {{"dashboard summary --period maand", 2}});
}

TEST_F(CliGoldenIntegrationTest, ReceiptsQueuedDrainedAndRefused) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    const std::string sample = std::string(ZELVORIN_INTELLIGENCE_SAMPLES) + "/receipt-photo.jpg";
    service.stop();
    both("receipt-add-offline", "receipt add " + sample + " --source share");
    json("uploads", "uploads", [&](const Json& body) {
        int n = 0;
        for (const Json& row : body["uploads"]) {
            const std::string at = "-" + std::to_string(++n) + ">";
            volatileText(row.value("id", ""), "<upload" + at);
            volatileText(row.value("idempotencyKey", ""), "<key" + at);
            volatileText(row.value("relativePath", ""), "<path" + at);
        }
    });
    text("uploads", "uploads");
    service.restart();
    both("drain", "drain");
    // Online the service answers with the item it made.
    const Json added = json("receipt-add", "receipt add " + sample,
                            [&](const Json& body) { volatileText(body["receipts"][0]["ids"][0], "<item>"); });
    EXPECT_EQ(added["receipts"][0]["outcome"], "onDevice");

    // The item's own verbs; each syncs, so the device shows what the service made of it.
    const std::string item = added["receipts"][0]["ids"][0];
    ASSERT_EQ(run("sync").exitCode, 0);
    both("inbox-show", "inbox show " + item);
    text("inbox-fix", "inbox fix " + item + " --amount 12,50 --sender Bakker");
    json("inbox-categorize", "inbox categorize " + item + " zakelijk --type receipt");
    text("inbox-archive", "inbox archive " + item);
    json("inbox-show-after", "inbox show " + item);
    text("inbox-reread", "inbox reread " + item);
    text("inbox-document", "inbox document " + item + " --out " + (root / "bon.jpg").string());
    EXPECT_EQ(readFile(root / "bon.jpg"), readFile(sample));
    text("inbox-thumbnail", "inbox document " + item + " --thumbnail --out " + (root / "bon.png").string());
    EXPECT_EQ(readFile(root / "bon.png").rfind("\x89PNG\r\n\x1A\n", 0), 0u);
    both("inbox-settings", "inbox settings --zakelijk Werk");
    text("inbox-order-confirmation", "inbox order-confirmation " + item + " remind --preset 2w");
    refusals("errors-inbox.txt", {{"inbox fix " + item + " --amount twaalf", 2},
                                  {"inbox show weg", 4},
                                  {"inbox archive weg", 1},
                                  {"inbox reverse-billing " + item, 1},
                                  {"inbox order-confirmation " + item + " remind --preset morgen", 1},
                                  {"inbox settings --prive ../thuis", 1}});
    ASSERT_EQ(run("inbox fix " + item + " --sender 'Bakkerij Van Dam B.V.'").exitCode, 0);
    json("inbox-reverse-billing", "inbox reverse-billing " + item,
         [&](const Json& body) { volatileText(body["invoiceId"], "<invoice>"); });
    json("inbox-rm", "inbox rm " + item);
    std::ofstream(root / "notities.pdf") << "Alleen tekst, geen PDF.";
    refusals("errors-receipts.txt", {{"receipt add " + (root / "notities.pdf").string(), 2},
                                     {"receipt add " + (root / "weg.jpg").string(), 4}});
}

TEST_F(CliGoldenIntegrationTest, AMissingRecordIsExitCodeFourInEveryCommand) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    ASSERT_EQ(run("sync").exitCode, 0);
    const std::string queued = "sqlite3 " + (root / "Zelvorin" / "zelvorin.sqlite").string() +
                               " 'SELECT COUNT(*) FROM outbox_change'";
    const std::string before = runCommand(queued);
    const std::vector<std::string> commands{
        "invoice show weg",
        "invoice set weg freeText x",
        "invoice rm weg",
        "invoice new --customer weg",
        "line add weg --description X --mode fixed --amount 1",
        "line set weg qty 2",
        "line rm weg",
        "customer set weg city Ede",
        "render weg --pdf " + (root / "weg.pdf").string(),
        "read-receipt " + (root / "weg.png").string(),
        "switch-org weg",
    };
    std::string messages, jsonMessages;
    for (const std::string& command : commands) {
        const Output textRun = run(command);
        EXPECT_EQ(textRun.exitCode, 4) << command << ": " << textRun.err;
        messages += "$ " + command + "\n" + textRun.err;
        const Output jsonRun = run(command + " --json");
        EXPECT_EQ(jsonRun.exitCode, 4) << command;
        const Json error = Json::parse(jsonRun.err, nullptr, false);
        EXPECT_EQ(error.value("exitCode", 0), 4) << command << ": " << jsonRun.err;
        jsonMessages += "$ " + command + " --json\n" + jsonRun.err;
    }
    expectGolden("errors-not-found.txt", messages);
    expectGolden("errors-not-found-json.txt", jsonMessages);
    EXPECT_EQ(runCommand(queued), before);  // nothing was queued
}

TEST_F(CliGoldenIntegrationTest, TemplateVerbsOnTheDemoOrganisation) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    // The ids the service makes differ from run to run; its stamps stand at the CLI's moment.
    const auto stamped = [&](const std::string& placeholder) {
        return [this, placeholder](const Json& record) { volatileText(record.value("id", ""), placeholder); };
    };
    both("template-email-list", "template email list");
    const std::string made = text(
        "template-email-create",
        "template email create --name Kort --type invoice --body 'Hoi {{klant_naam}}'", "<email-template-1>");
    const Json english =
        json("template-email-create",
             "template email create --name Short --type reminder_1 --language en --style branded",
             stamped("<email-template-2>"));
    text("template-email-edit", "template email edit " + english.value("id", "") + " --subject Herinnering");
    json("template-email-edit", "template email edit " + english.value("id", "") + " --style none",
         stamped("<email-template-2>"));
    const std::string madeId = made.substr(made.rfind('(') + 1, made.size() - made.rfind('(') - 2);
    volatileText(madeId, "<email-template-1>");
    text("template-email-set-default", "template email set-default " + madeId);
    json("template-email-set-default", "template email set-default " + madeId);
    both("template-email-preview", "template email preview --template " + madeId);
    text("template-email-delete", "template email delete " + madeId);
    json("template-email-delete", "template email delete " + english.value("id", ""));

    text("template-var-add", "template var add --label 'Project code' --description Projectnummer");
    json("template-var-add", "template var add --label Kostenplaats");
    const auto ownVariable = [&](const std::string& key) {
        EXPECT_EQ(run("sync").exitCode, 0);  // the list reads the device's copy
        const Json listed = Json::parse(run("template vars --json").out);
        for (const Json& variable : listed["variables"])
            if (variable["key"] == key) return variable.value("id", "");
        ADD_FAILURE() << "no variable " << key;
        return std::string();
    };
    const std::string costCentre = ownVariable("kostenplaats");
    volatileText(costCentre, "<variable-2>");
    text("template-var-edit",
         "template var edit " + costCentre + " --label Kostenplaats --description Afdeling");
    json("template-var-edit", "template var edit " + costCentre + " --label Kostendrager");
    json("template-var-rm", "template var rm " + costCentre);
    text("template-vars", "template vars");
    json("template-vars", "template vars", [&](const Json& body) {
        for (const Json& variable : body["variables"])
            if (variable["key"] == "project_code") stamped("<variable-1>")(variable);
    });

    const Json documents = json("template-doc-list", "template doc list");
    const std::string original = documents["templates"][0]["id"];
    const std::string copy =
        text("template-doc-duplicate", "template doc duplicate " + original, "<doc-template-1>");
    text("template-doc-rename", "template doc rename " + copy + " Zakelijk");
    text("template-doc-default-for", "template doc default-for " + copy + " --type invoice");
    json("template-doc-default-for", "template doc default-for " + copy + " --type invoice");
    const Json spare =
        json("template-doc-duplicate", "template doc duplicate " + original, stamped("<doc-template-2>"));
    json("template-doc-rename", "template doc rename " + spare.value("id", "") + " Reserve");
    text("template-doc-delete", "template doc delete " + spare.value("id", ""));
    const Json another = Json::parse(run("template doc duplicate " + original + " --json").out);
    volatileText(another.value("id", ""), "<doc-template-3>");
    json("template-doc-delete", "template doc delete " + another.value("id", ""));
    json("template-doc-default-for-new", "template doc default-for-new " + copy);
    text("template-doc-list", "template doc list");

    const Json paid = Json::parse(run("invoices --segment betaald --json").out)["invoices"][0];
    both("invoice-preview-email", "invoice preview-email " + paid.value("id", ""));
    both("invoice-stats", "invoice stats " + paid.value("id", ""));
    both("invoice-gmail-aliases", "invoice gmail-aliases");
    const Json draft = Json::parse(run("invoices --segment concept --json").out)["invoices"][0];
    both("invoice-set-template", "invoice set-template " + draft.value("id", "") + " " + copy);

    // Refusals: the service's own words, and nothing changed.
    std::string refusals;
    for (const std::string& command :
         {std::string("template email create --name X --type offerte"),
          std::string("template email edit weg --name X"), "template doc delete " + copy,
          "invoice set-template " + paid.value("id", "") + " " + original,
          std::string("template var add --label IBAN")}) {
        const Output refused = run(command);
        EXPECT_NE(refused.exitCode, 0) << command;
        refusals +=
            "$ " + command + "\n" + std::to_string(refused.exitCode) + " " + withoutLogLines(refused.err);
    }
    expectGolden("errors-templates.txt", refusals);
}

// Scripts read the keys: they are the records' camelCase names, never a column's snake_case.
void expectCamelCaseKeys(const Json& value, const std::string& where) {
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) {
            EXPECT_EQ(key.find('_'), std::string::npos) << where << ": " << key;
            expectCamelCaseKeys(member, where + "." + key);
        }
    } else if (value.is_array()) {
        for (const Json& element : value)
            expectCamelCaseKeys(element, where + "[]");
    }
}

// The holidays come from the service's public-holiday query; the days off of the demo's hourly
// schedule are added, listed and removed through the service, and refused when they do not fit.
TEST_F(CliGoldenIntegrationTest, HolidaysAndTheDaysOffOfASchedule) {
    both("holidays", "holidays 2026");
    ASSERT_EQ(run("login --auto").exitCode, 0);
    ASSERT_EQ(run("sync").exitCode, 0);
    const std::string schedule = "018cc251-f400-7000-8000-000000031e19";
    const auto dayOff = [this](const std::string& placeholder) {
        return [this, placeholder](const Json& added) { volatileText(added.value("id", ""), placeholder); };
    };
    json("schedule-days-off-add", "schedule days-off " + schedule + " add 2026-04-15 --type vakantie",
         dayOff("<vakantie>"));
    const std::string added = run("schedule days-off " + schedule + " add 2026-04-17").out;
    volatileText(added.substr(added.rfind(' ') + 1, 36), "<vrij>");
    expectGolden("schedule-days-off-add.txt", added);
    both("schedule-days-off", "schedule days-off " + schedule);
    json("schedule-days-off-rm",
         "schedule days-off " + schedule + " rm " + std::string(added.substr(added.rfind(' ') + 1, 36)));
    refusals("errors-schedule.txt", {{"holidays twintig", 2},
                                     {"schedule days-off onbekend", 4},
                                     {"schedule days-off " + schedule + " add 2026-02-30", 2},
                                     {"schedule days-off " + schedule + " add 2026-04-16 --type feest", 2},
                                     {"schedule days-off " + schedule + " add 2026-04-15", 1},
                                     {"schedule days-off " + schedule + " rm onbekend", 1}});
}

// The team, the audit log, notifications and proposals: all on the service, none kept on the device.
TEST_F(CliGoldenIntegrationTest, TheTeamItsAuditLogNotificationsAndProposals) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    const std::string organisation = "018cc251-f400-7000-8000-0000000005e5";  // Studio Zelvorin
    const std::string owner = "018cc251-f400-7000-8000-000000000cf0";
    both("members", "members list");
    const Json team = Json::parse(run("members list --json").out, nullptr, false);
    std::string member;
    for (const Json& person : team["members"])
        if (person["userId"] != owner) member = person["userId"];
    ASSERT_FALSE(member.empty());
    json("members-invite", "members invite sam@voorbeeld.nl --role admin --first-name Sam");
    const Json invited = Json::parse(run("members list --json").out, nullptr, false);
    ASSERT_EQ(invited["invites"].size(), 1u);
    const std::string invite = invited["invites"][0]["id"];
    volatileText(invite, "<invite>");
    json("members-name", "members name " + member + " 'Lid Hernoemd'");
    json("members-role", "members role " + member + " admin");
    json("members-invites-resend", "members invites resend " + invite);
    both("audit", "audit --limit 4");
    json("notifications-read-all", "notifications read-all");

    const ServiceProcess::HttpAnswer proposals =
        service.get("/admin/records?org=" + organisation + "&entityType=proposal");
    const Json stored = Json::parse(proposals.body, nullptr, false);
    ASSERT_EQ(stored["records"].size(), 2u);
    const std::string proposal = stored["records"][0]["id"];
    both("proposals", "proposals list");
    both("proposal-timeline", "proposals timeline " + proposal);
    both("proposal-stats", "proposals stats " + proposal);
    json("proposal-remind", "proposals remind " + proposal);
    json("proposal-action", "proposals action " + proposal + " archive");

    refusals("errors-team.txt", {{"members role " + member + " baas", 2},
                                 {"members invite sam@voorbeeld.nl", 1},
                                 {"members rm " + owner, 1},
                                 {"members show onbekend", 4},
                                 {"audit --limit 0", 2},
                                 {"proposals action " + proposal + " 'a\"b'", 2},
                                 {"proposals action " + proposal + " verbranden", 1},
                                 {"proposals timeline onbekend", 4}});
}

// The organisation's settings and how much it stores, as the service reports them.
TEST_F(CliGoldenIntegrationTest, TheOrganisationsSettingsAndTheSizeOfItsData) {
    ASSERT_EQ(run("login --auto").exitCode, 0);
    both("org-show", "org show");
    both("data-stats", "data stats");
}

TEST(CliGoldenTest, NoKeyInAnyGoldenJsonHasAnUnderscore) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kGolden)) {
        if (entry.path().extension() != ".json") continue;
        ++files;
        const Json body = Json::parse(readFile(entry.path()), nullptr, false);
        ASSERT_FALSE(body.is_discarded()) << entry.path();
        expectCamelCaseKeys(body, entry.path().filename().string());
    }
    EXPECT_GE(files, 25);
}

}  // namespace
}  // namespace zelvorin::testing
