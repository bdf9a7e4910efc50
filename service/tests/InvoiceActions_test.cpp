#include "service/invoices/InvoiceSendActions.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceLifecycleActions.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/invoices/InvoiceScheduleActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/ScheduledSends.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"
#include "service/tests/DemoDraft.h"
#include "testing/ChildProcess.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

// A port on loopback that nothing listens on right now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Debian's SMTP server for tests on loopback, keeping what it receives in a maildir.
class SmtpServer {
public:
    explicit SmtpServer(const std::filesystem::path& maildir) : port_(freePort()) {
        pid_ = testing::startProgram(
            {"/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port_), "-c",
             "aiosmtpd.handlers.Mailbox", maildir.string()},
            {}, true);
        for (int i = 0; i < 100 && !accepts(port_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~SmtpServer() { stop(); }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        testing::waitForExit(pid_);
        pid_ = 0;
    }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }

private:
    int port_;
    pid_t pid_ = 0;
};

class InvoiceActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    Caller caller(const std::string& organizationId = demoOrganizationId()) const {
        return {demoOwnerUserId(), organizationId, "apparaat-a", "sessie", std::nullopt};
    }

    // A draft of the demo organisation with `lines` lines of € 500,00 excl. 21 % VAT.
    void draft(const std::string& id, int lines) {
        database.write([&](Connection& db) {
            writeDemoDraft(db, id, lines, 50000, {ChangeSource::push, demoOwnerUserId(), "apparaat-a"}, kNow);
        });
    }

    // The kind and text of the ServiceError `action` throws.
    template <class Action>
    static std::pair<ErrorKind, std::string> refusal(Action action) {
        try {
            action();
        } catch (const ServiceError& error) {
            return {error.kind(), error.what()};
        }
        return {ErrorKind::internal, "geen fout"};
    }

    std::int64_t paymentCount(const std::string& invoiceId) {
        return database.read([&](Connection& db) {
            return static_cast<std::int64_t>(
                records::withMember(db, demoOrganizationId(), "invoicePayment", "invoiceId", invoiceId)
                    .size());
        });
    }

    Json invoice(const std::string& id) {
        return database.read([&](Connection& db) {
            return records::find(db, demoOrganizationId(), "draftInvoice", id)->payload;
        });
    }

    std::vector<std::filesystem::path> messages() const {
        std::vector<std::filesystem::path> found;
        if (std::filesystem::exists(outbox.folder()))
            for (const auto& entry : std::filesystem::directory_iterator(outbox.folder()))
                found.push_back(entry.path());
        return found;
    }

    // Parses the message as a mail reader does; writes its PDF attachment to `pdfPath` and answers
    // the headers and the text body.
    std::string readMessage(const std::filesystem::path& message, const std::filesystem::path& pdfPath) {
        const std::string script =
            "import email,sys\n"
            "m=email.message_from_binary_file(open(sys.argv[1],'rb'),policy=email.policy.default)\n"
            "print('To:',m['To']);print('Subject:',m['Subject']);print('Type:',m.get_content_type())\n"
            "print('Defects:',len(m.defects))\n"
            "for p in m.iter_attachments():\n"
            "  print('Attachment:',p.get_filename(),p.get_content_type())\n"
            "  if p.get_content_type()=='application/pdf': open(sys.argv[2],'wb').write(p.get_content())\n"
            "print('Body:',m.get_body(('plain',)).get_content().strip())\n";
        const std::filesystem::path scriptPath = dir.path() / "read_mail.py";
        std::ofstream(scriptPath) << "import email.policy\n" << script;
        return testing::runCommand("python3 " + scriptPath.string() + " " + message.string() + " " +
                                   pdfPath.string());
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    MailOutbox outbox{dir.path() / "data"};
    SendInvoiceRequest request{"boekhouding@bakkerij-jansen.nl",
                               "Factuur van Studio Zelvorin",
                               "Beste klant,\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet",
                               std::nullopt,
                               {}};
};

TEST_F(InvoiceActionsIntegrationTest, TheFirstSendNumbersTheInvoiceKeepsItsPdfAndWritesTheMessage) {
    draft("f-nieuw", 2);
    const Json answer = sendInvoice(database, outbox, caller(), "f-nieuw", request, kNow);
    EXPECT_EQ(answer["invoiceNumber"], "FAC-2026-0024");  // after the credit notes' FAC-2026-0023
    EXPECT_EQ(answer["status"], "sent");
    EXPECT_EQ(answer["sentAt"], "2026-03-16T10:00:00.000Z");
    EXPECT_EQ(answer["totalCents"], 121000);
    const Json stored = invoice("f-nieuw");
    EXPECT_EQ(stored["invoiceNumber"], "FAC-2026-0024");
    EXPECT_EQ(stored["status"], "sent");

    const std::vector<std::filesystem::path> sent = messages();
    ASSERT_EQ(sent.size(), 1u);
    const std::filesystem::path pdfPath = dir.path() / "bijlage.pdf";
    const std::string read = readMessage(sent[0], pdfPath);
    EXPECT_NE(read.find("To: boekhouding@bakkerij-jansen.nl"), std::string::npos) << read;
    EXPECT_NE(read.find("Type: multipart/mixed"), std::string::npos) << read;
    EXPECT_NE(read.find("Defects: 0"), std::string::npos) << read;
    EXPECT_NE(read.find("Attachment: FAC-2026-0024.pdf application/pdf"), std::string::npos) << read;
    EXPECT_NE(read.find("Body: Beste klant,"), std::string::npos) << read;
    const std::string text = testing::runCommand("pdftotext " + pdfPath.string() + " -");
    EXPECT_NE(text.find("FAC-2026-0024"), std::string::npos) << text;
    EXPECT_NE(text.find("1.210,00"), std::string::npos) << text;

    // The payment code asks for the open balance, to the organisation's account, with the number.
    const Json settings = database.read([&](Connection& db) {
        return records::all(db, demoOrganizationId(), std::string("orgSettings"))[0].payload;
    });
    testing::runCommand("pdftoppm -r 150 -png -f 1 -l 1 -singlefile " + pdfPath.string() + " " +
                        (dir.path() / "pagina").string());
    const std::string code = testing::runCommand("zbarimg --raw -q " + (dir.path() / "pagina.png").string() +
                                                 " 2>/dev/null | cat");
    std::string iban = settings["iban"];
    std::erase(iban, ' ');
    EXPECT_EQ(code, "BCD\n002\n1\nSCT\n" + settings["bic"].get<std::string>() + "\n" +
                        settings["orgName"].get<std::string>() + "\n" + iban +
                        "\nEUR1210.00\n\n\nFAC-2026-0024\n");

    // What was sent is what is kept, and what the preview serves, byte for byte.
    std::ifstream attached(pdfPath, std::ios::binary);
    const std::string attachedBytes((std::istreambuf_iterator<char>(attached)), {});
    EXPECT_EQ(invoicePreviewPdf(database, caller(), "f-nieuw", kNow + days{40}), attachedBytes);

    // The next invoice gets the next number, also when the year's first number came from the seed.
    draft("f-tweede", 1);
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-tweede", request, kNow)["invoiceNumber"],
              "FAC-2026-0025");
}

TEST_F(InvoiceActionsIntegrationTest, EveryRefusalLeavesNoNumberNoChangeAndNoMessage) {
    draft("f-leeg", 0);
    draft("f-goed", 1);
    const Json before = invoice("f-goed");

    auto [kind, text] = refusal([&] { sendInvoice(database, outbox, caller(), "f-leeg", request, kNow); });
    EXPECT_EQ(kind, ErrorKind::unprocessable);
    EXPECT_NE(text.find("zonder regels"), std::string::npos);

    for (const std::string address :
         {"geen-adres", "a@b", "twee@een.nl, derde@een.nl", "kop@een.nl\r\nBcc: x@y.nl"}) {
        SendInvoiceRequest bad = request;
        bad.recipientEmail = address;
        std::tie(kind, text) = refusal([&] { sendInvoice(database, outbox, caller(), "f-goed", bad, kNow); });
        EXPECT_EQ(kind, ErrorKind::unprocessable) << address;
    }
    SendInvoiceRequest missingAttachment = request;
    missingAttachment.attachmentKeys = {"uploads/bestaat-niet"};
    std::tie(kind, text) =
        refusal([&] { sendInvoice(database, outbox, caller(), "f-goed", missingAttachment, kNow); });
    EXPECT_EQ(kind, ErrorKind::unprocessable);

    // Another organisation's invoice does not exist for this caller.
    std::tie(kind, text) = refusal(
        [&] { sendInvoice(database, outbox, caller(secondOrganizationId()), "f-goed", request, kNow); });
    EXPECT_EQ(kind, ErrorKind::notFound);
    std::tie(kind, text) =
        refusal([&] { resendInvoice(database, outbox, caller(), "f-goed", request, kNow); });
    EXPECT_EQ(kind, ErrorKind::conflict);

    EXPECT_EQ(invoice("f-goed"), before);
    EXPECT_TRUE(messages().empty());

    // None of the refusals used a number; a replayed send is a 409, never a second number.
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-goed", request, kNow)["invoiceNumber"],
              "FAC-2026-0024");
    std::tie(kind, text) = refusal([&] { sendInvoice(database, outbox, caller(), "f-goed", request, kNow); });
    EXPECT_EQ(kind, ErrorKind::conflict);
    EXPECT_EQ(invoice("f-goed")["invoiceNumber"], "FAC-2026-0024");
    EXPECT_EQ(messages().size(), 1u);

    // A resend mails the kept PDF again and changes nothing.
    const Json sent = invoice("f-goed");
    EXPECT_EQ(resendInvoice(database, outbox, caller(), "f-goed", request, kNow + days{3})["invoiceNumber"],
              "FAC-2026-0024");
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(invoice("f-goed"), sent);
}

TEST_F(InvoiceActionsIntegrationTest, PaymentsSettleTheOpenAmountAndNeverMoreThanIt) {
    draft("f-betaald", 2);  // € 1.210,00
    EXPECT_EQ(refusal([&] {
                  addInvoicePayment(database, caller(), "f-betaald", {100, std::nullopt, "cash", {}}, kNow);
              }).first,
              ErrorKind::conflict);  // a draft is not paid
    sendInvoice(database, outbox, caller(), "f-betaald", request, kNow);
    const Json sent = invoice("f-betaald");

    for (const PaymentRequest& bad :
         std::initializer_list<PaymentRequest>{{0, std::nullopt, "bank_transfer", {}},
                                               {-500, std::nullopt, "bank_transfer", {}},
                                               {121001, std::nullopt, "bank_transfer", {}},
                                               {100, std::nullopt, "bitcoin", {}},
                                               {100, std::string("16-03-2026"), "cash", {}}}) {
        const auto [kind, text] =
            refusal([&] { addInvoicePayment(database, caller(), "f-betaald", bad, kNow); });
        EXPECT_EQ(kind, ErrorKind::unprocessable) << bad.amountCents << " " << bad.method;
    }
    EXPECT_NE(
        refusal([&] {
            addInvoicePayment(database, caller(), "f-betaald", {121001, std::nullopt, "cash", {}}, kNow);
        }).second.find("€ 1.210,00"),
        std::string::npos);
    EXPECT_EQ(paymentCount("f-betaald"), 0);
    EXPECT_EQ(invoice("f-betaald"), sent);

    Json answer =
        addInvoicePayment(database, caller(), "f-betaald",
                          {50000, std::string("2026-03-20"), "ideal", std::string("Eerste deel")}, kNow);
    EXPECT_EQ(answer["status"], "partiallyPaid");
    EXPECT_FALSE(answer.contains("paidAt"));
    EXPECT_EQ(refusal([&] {
                  addInvoicePayment(database, caller(), "f-betaald", {71001, std::nullopt, "cash", {}}, kNow);
              }).first,
              ErrorKind::unprocessable);  // € 710,00 is open now
    answer =
        addInvoicePayment(database, caller(), "f-betaald", {71000, std::nullopt, "bank_transfer", {}}, kNow);
    EXPECT_EQ(answer["status"], "paid");
    EXPECT_EQ(answer["paidAt"], "2026-03-16T10:00:00.000Z");
    EXPECT_EQ(paymentCount("f-betaald"), 2);
    EXPECT_EQ(refusal([&] {
                  addInvoicePayment(database, caller(), "f-betaald", {1, std::nullopt, "cash", {}}, kNow);
              }).first,
              ErrorKind::conflict);
    EXPECT_EQ(refusal([&] { markInvoicePaid(database, caller(), "f-betaald", "2026-03-21", kNow); }).first,
              ErrorKind::conflict);

    // mark-paid settles whatever is open in one payment on the given day.
    draft("f-ineens", 1);
    sendInvoice(database, outbox, caller(), "f-ineens", request, kNow);
    answer = markInvoicePaid(database, caller(), "f-ineens", "2026-03-18T08:30:00Z", kNow);
    EXPECT_EQ(answer["status"], "paid");
    EXPECT_EQ(answer["paidAt"], "2026-03-18T08:30:00.000Z");
    const StoredRecord payment = database.read([&](Connection& db) {
        return records::withMember(db, demoOrganizationId(), "invoicePayment", "invoiceId", "f-ineens")[0];
    });
    EXPECT_EQ(payment.payload["amountCents"], 60500);
    EXPECT_EQ(payment.payload["paymentDate"], "2026-03-18");
}

TEST_F(InvoiceActionsIntegrationTest, RemindersCancelReopenAndCreditNotesFollowTheEditorsRules) {
    draft("f-laat", 2);  // € 1.210,00
    EXPECT_EQ(refusal([&] {
                  remindInvoice(database, outbox, caller(), "f-laat", "reminder_1", request, kNow);
              }).first,
              ErrorKind::conflict);  // nothing to remind of before it is sent
    sendInvoice(database, outbox, caller(), "f-laat", request, kNow);
    EXPECT_EQ(refusal([&] {
                  remindInvoice(database, outbox, caller(), "f-laat", "reminder_3", request, kNow);
              }).first,
              ErrorKind::unprocessable);
    for (const char* level : {"reminder_1", "reminder_2"})
        EXPECT_EQ(remindInvoice(database, outbox, caller(), "f-laat", level, request, kNow)["level"], level);
    // Thirty days after the due date of 15 April.
    remindInvoice(database, outbox, caller(), "f-laat", "reminder_final", request, kNow + days{60});
    EXPECT_EQ(messages().size(), 4u);
    const std::size_t reminders = database.read([&](Connection& db) {
        return records::withMember(db, demoOrganizationId(), "invoiceReminder", "invoiceId", "f-laat").size();
    });
    EXPECT_EQ(reminders, 3u);
    // The final reminder names the statutory collection costs (15 % of € 1.210,00) and the
    // commercial interest of a business customer: 1210 × 10,15 % × 30 / 365 = 10,09.
    bool costsNamed = false, interestNamed = false;
    for (const auto& message : messages()) {
        const std::string body = testing::runCommand(
            "python3 -c \"import email,email.policy,sys;"
            "print(email.message_from_binary_file(open(sys.argv[1],'rb'),policy=email.policy.default)"
            ".get_body(('plain',)).get_content())\" " +
            message.string());
        costsNamed = costsNamed || body.find("incassokosten van € 181,50") != std::string::npos;
        interestNamed = interestNamed || body.find(
                                             "De wettelijke handelsrente van 10,15 % per jaar bedraagt over "
                                             "30 dagen sinds de vervaldatum € 10,09.") != std::string::npos;
    }
    EXPECT_TRUE(costsNamed);
    EXPECT_TRUE(interestNamed);

    // Cancelling: a reason of nine characters plus spaces, a lower-case confirmation; then it holds.
    const auto cancel = [&](const std::string& reason, const std::string& confirm) {
        return refusal([&] { cancelInvoice(database, caller(), "f-laat", reason, confirm, kNow); });
    };
    EXPECT_EQ(cancel("  te vroeg  ", "ANNULEER").second,
              "Reden voor annulering moet minimaal 10 tekens bevatten.");
    EXPECT_EQ(cancel("Dubbel gefactureerd", "annuleer").second,
              "Type exact ANNULEER om de annulering te bevestigen.");
    EXPECT_EQ(
        cancelInvoice(database, caller(), "f-laat", "Dubbel gefactureerd", " ANNULEER ", kNow)["status"],
        "cancelled");
    EXPECT_EQ(cancel("Dubbel gefactureerd", "ANNULEER").first, ErrorKind::conflict);
    EXPECT_EQ(invoice("f-laat")["invoiceNumber"], "FAC-2026-0024");  // the number stays

    // Reopening goes back to draft and keeps the number: sending again takes no new one.
    EXPECT_EQ(refusal([&] { reopenInvoice(database, caller(), "f-laat", "te kort", kNow); }).first,
              ErrorKind::unprocessable);
    EXPECT_EQ(reopenInvoice(database, caller(), "f-laat", "Klant wil toch doorgaan", kNow)["status"],
              "draft");
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-laat", request, kNow)["invoiceNumber"],
              "FAC-2026-0024");
    draft("f-volgende", 1);
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-volgende", request, kNow)["invoiceNumber"],
              "FAC-2026-0025");

    // Credit notes: never more than is uncredited; the full remainder marks the original credited.
    EXPECT_EQ(refusal([&] { creditInvoice(database, caller(), "f-laat", 0, kNow); }).first,
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal([&] { creditInvoice(database, caller(), "f-laat", 121001, kNow); }).first,
              ErrorKind::unprocessable);
    const Json credit = creditInvoice(database, caller(), "f-laat", 21000, kNow);
    EXPECT_EQ(credit["status"], "draft");
    EXPECT_EQ(credit["totalCents"], -21000);
    const Json note = invoice(credit["id"]);
    EXPECT_EQ(note["creditedInvoiceId"], "f-laat");
    EXPECT_EQ(note["invoiceType"], "credit_note");
    EXPECT_EQ(invoice("f-laat")["status"], "sent");
    EXPECT_EQ(refusal([&] { creditInvoice(database, caller(), "f-laat", 100001, kNow); }).first,
              ErrorKind::unprocessable);
    creditInvoice(database, caller(), "f-laat", 100000, kNow);
    EXPECT_EQ(invoice("f-laat")["status"], "credited");

    // The timeline tells what happened, oldest first (the final reminder went out 60 days on).
    std::vector<std::string> kinds;
    const Json timeline = invoiceTimeline(database, caller(), "f-laat");
    for (const Json& event : timeline["events"])
        kinds.push_back(event["kind"]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"sent", "reminder", "reminder", "cancelled", "reopened",
                                               "sent", "creditNote", "creditNote", "reminder"}));
}

TEST_F(InvoiceActionsIntegrationTest, DeliveryOverSmtpCarriesThePdfAndAFailedOneSendsNothing) {
    const std::filesystem::path maildir = dir.path() / "maildir";
    SmtpServer smtp(maildir);
    const MailOutbox delivering(dir.path() / "data", smtp.url());
    draft("f-smtp", 1);
    EXPECT_EQ(sendInvoice(database, delivering, caller(), "f-smtp", request, kNow)["status"], "sent");
    std::vector<std::filesystem::path> received;
    for (const auto& entry : std::filesystem::directory_iterator(maildir / "new"))
        received.push_back(entry.path());
    ASSERT_EQ(received.size(), 1u);
    const std::string read = readMessage(received[0], dir.path() / "ontvangen.pdf");
    EXPECT_NE(read.find("To: boekhouding@bakkerij-jansen.nl"), std::string::npos) << read;
    EXPECT_NE(read.find("Attachment: FAC-2026-0024.pdf application/pdf"), std::string::npos) << read;
    EXPECT_NE(testing::runCommand("pdftotext " + (dir.path() / "ontvangen.pdf").string() + " -")
                  .find("FAC-2026-0024"),
              std::string::npos);

    // A server that is down: a Dutch refusal, the invoice stays a draft, no number and no message.
    smtp.stop();
    draft("f-onbezorgd", 1);
    const Json before = invoice("f-onbezorgd");
    const auto [kind, text] =
        refusal([&] { sendInvoice(database, delivering, caller(), "f-onbezorgd", request, kNow); });
    EXPECT_EQ(kind, ErrorKind::conflict);
    EXPECT_NE(text.find("niet worden afgeleverd"), std::string::npos) << text;
    EXPECT_EQ(invoice("f-onbezorgd"), before);
    EXPECT_EQ(messages().size(), 1u);  // only the delivered one
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-onbezorgd", request, kNow)["invoiceNumber"],
              "FAC-2026-0025");
}

TEST_F(InvoiceActionsIntegrationTest, AScheduledSendHappensOnceAtItsTimeAndASendByHandTakesItAway) {
    draft("f-later", 1);
    draft("f-hand", 1);
    draft("f-weg", 1);
    const std::string at = "2026-03-17T08:00:00Z";
    const Json scheduled = scheduleInvoiceSend(database, caller(), "f-later", request, at, kNow);
    EXPECT_EQ(scheduled["scheduledSendAt"], "2026-03-17T08:00:00.000Z");
    EXPECT_EQ(scheduled["status"], "draft");
    EXPECT_EQ(invoice("f-later")["scheduledSendAt"], "2026-03-17T08:00:00.000Z");  // devices pull it
    scheduleInvoiceSend(database, caller(), "f-hand", request, at, kNow);
    scheduleInvoiceSend(database, caller(), "f-weg", request, at, kNow);
    EXPECT_EQ(cancelScheduledSend(database, caller(), "f-weg", kNow)["status"], "draft");
    EXPECT_EQ(refusal([&] { cancelScheduledSend(database, caller(), "f-weg", kNow); }).first,
              ErrorKind::notFound);

    ScheduledSendRunner runner(database, outbox);
    EXPECT_EQ(runner.runDue(kNow + hours{21}), 0);  // 07:00Z: not yet
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(sendInvoice(database, outbox, caller(), "f-hand", request, kNow)["invoiceNumber"],
              "FAC-2026-0024");
    EXPECT_TRUE(invoice("f-hand")["scheduledSendAt"].is_null());

    EXPECT_EQ(runner.runDue(kNow + hours{23}), 1);
    EXPECT_EQ(invoice("f-later")["status"], "sent");
    EXPECT_EQ(invoice("f-later")["invoiceNumber"], "FAC-2026-0025");
    EXPECT_EQ(invoice("f-later")["sentAt"], "2026-03-17T09:00:00.000Z");
    EXPECT_TRUE(invoice("f-later")["scheduledSendAt"].is_null());
    EXPECT_EQ(invoice("f-weg")["status"], "draft");
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(runner.runDue(kNow + days{3}), 0);  // nothing is sent twice
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(InvoiceActionsIntegrationTest, AScheduleAndASendByHandAtTheSameMomentGiveOneNumberAndOneMessage) {
    for (int round = 0; round < 8; ++round) {
        const std::string id = "f-race-" + std::to_string(round);
        draft(id, 1);
        scheduleInvoiceSend(database, caller(), id, request, "2026-03-16T10:00:01Z", kNow);
        ScheduledSendRunner runner(database, outbox);
        std::thread scheduler([&] { runner.runDue(kNow + hours{1}); });
        try {
            sendInvoice(database, outbox, caller(), id, request, kNow + hours{1});
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::conflict) << error.what();  // the schedule was first
        }
        scheduler.join();
        EXPECT_EQ(invoice(id)["invoiceNumber"], "FAC-2026-00" + std::to_string(24 + round));
        EXPECT_EQ(messages().size(), static_cast<std::size_t>(round + 1));
        database.read(
            [&](Connection& db) { EXPECT_FALSE(scheduledsends::find(db, demoOrganizationId(), id)); });
    }
}

TEST_F(InvoiceActionsIntegrationTest, ASendThatCanNoLongerHappenDropsItsScheduleAndSaysWhy) {
    draft("f-leeg-later", 1);
    EXPECT_EQ(refusal([&] {
                  scheduleInvoiceSend(database, caller(), "f-leeg-later", request, "2026-03-16T09:00:00Z",
                                      kNow);
              }).first,
              ErrorKind::unprocessable);  // in the past
    draft("f-leeg", 0);
    EXPECT_EQ(refusal([&] {
                  scheduleInvoiceSend(database, caller(), "f-leeg", request, "2026-03-17T08:00:00Z", kNow);
              }).first,
              ErrorKind::unprocessable);  // no lines
    SendInvoiceRequest badAddress = request;
    badAddress.recipientEmail = "geen-adres";
    EXPECT_EQ(refusal([&] {
                  scheduleInvoiceSend(database, caller(), "f-leeg-later", badAddress, "2026-03-17T08:00:00Z",
                                      kNow);
              }).first,
              ErrorKind::unprocessable);
    EXPECT_FALSE(invoice("f-leeg-later").contains("scheduledSendAt") &&
                 !invoice("f-leeg-later")["scheduledSendAt"].is_null());

    // Emptied after it was scheduled: at its time it is not sent, and the timeline says why.
    scheduleInvoiceSend(database, caller(), "f-leeg-later", request, "2026-03-17T08:00:00Z", kNow);
    database.write([&](Connection& db) {
        writeRecord(db, {demoOrganizationId(),
                         SyncEntityType::invoiceLine,
                         "f-leeg-later-regel-0",
                         RecordOperation::remove,
                         Json::object(),
                         kNow,
                         {ChangeSource::push, demoOwnerUserId(), "apparaat-a"},
                         std::nullopt});
    });
    EXPECT_EQ(ScheduledSendRunner(database, outbox).runDue(kNow + days{1}), 0);
    EXPECT_EQ(invoice("f-leeg-later")["status"], "draft");
    EXPECT_TRUE(invoice("f-leeg-later")["scheduledSendAt"].is_null());
    EXPECT_TRUE(messages().empty());
    const Json timeline = invoiceTimeline(database, caller(), "f-leeg-later");
    EXPECT_EQ(timeline["events"].back()["kind"], "scheduleFailed") << timeline.dump();
    EXPECT_EQ(refusal([&] { sendInvoice(database, outbox, caller(), "f-leeg-later", request, kNow); }).second,
              timeline["events"].back()["detail"]);
}

TEST_F(InvoiceActionsIntegrationTest, TheSentPdfShowsQuantitiesAndAReverseChargeCustomersVatNumber) {
    // A customer in another EU country with a VAT number, billed with the VAT shifted to them.
    const Json customer = database.read([&](Connection& db) {
        for (const StoredRecord& record : records::all(db, demoOrganizationId(), std::string("customer")))
            if (record.payload.value("vatRateOverride", Json()) == "verlegd") return record.payload;
        return Json();
    });
    ASSERT_TRUE(customer.is_object());
    const Actor actor{ChangeSource::push, demoOwnerUserId(), "apparaat-a"};
    database.write([&](Connection& db) {
        writeRecord(db,
                    {demoOrganizationId(), SyncEntityType::draftInvoice, "f-verlegd", RecordOperation::put,
                     Json{{"id", "f-verlegd"},
                          {"organizationId", demoOrganizationId()},
                          {"customerId", customer["id"]},
                          {"status", "draft"},
                          {"issueDate", "2026-03-16"},
                          {"dueDate", "2026-04-15"},
                          {"vatTreatment", "verlegd"},
                          {"subtotalCents", 33250},
                          {"vatCents", 0},
                          {"totalCents", 33250},
                          {"createdAt", "2026-03-16T09:00:00.000Z"},
                          {"updatedAt", "2026-03-16T09:00:00.000Z"}},
                     kNow, actor, std::nullopt});
        writeRecord(
            db, {demoOrganizationId(), SyncEntityType::invoiceLine, "f-verlegd-uren", RecordOperation::put,
                 Json{{"id", "f-verlegd-uren"},
                      {"organizationId", demoOrganizationId()},
                      {"invoiceId", "f-verlegd"},
                      {"sortOrder", 0},
                      {"description", "Advieswerk"},
                      {"lineMode", "hours_rate"},
                      {"quantityHundredths", 350},
                      {"unitPriceCents", 9500},
                      {"createdAt", "2026-03-16T09:00:00.000Z"},
                      {"updatedAt", "2026-03-16T09:00:00.000Z"}},
                 kNow, actor, std::nullopt});
    });
    sendInvoice(database, outbox, caller(), "f-verlegd", request, kNow);
    const std::filesystem::path pdf = dir.path() / "verlegd.pdf";
    std::ofstream(pdf, std::ios::binary) << invoicePreviewPdf(database, caller(), "f-verlegd", kNow);
    const std::string text = testing::runCommand("pdftotext -layout " + pdf.string() + " -");
    EXPECT_NE(text.find("BTW-nummer: " + customer["vatNumber"].get<std::string>()), std::string::npos)
        << text;
    EXPECT_NE(text.find("Aantal"), std::string::npos) << text;
    EXPECT_NE(text.find("3,5"), std::string::npos) << text;  // hours of the line
    EXPECT_NE(text.find("BTW verlegd"), std::string::npos) << text;
}

TEST_F(InvoiceActionsIntegrationTest, AReminderAfterAPartPaymentAsksForWhatIsStillOpen) {
    draft("f-deels", 2);  // € 1.210,00
    sendInvoice(database, outbox, caller(), "f-deels", request, kNow);
    addInvoicePayment(database, caller(), "f-deels", {50000, std::nullopt, "bank_transfer", std::nullopt},
                      kNow + days{1});
    remindInvoice(database, outbox, caller(), "f-deels", "reminder_1", request, kNow + days{40});
    std::vector<std::filesystem::path> sent = messages();
    ASSERT_EQ(sent.size(), 2u);
    std::sort(sent.begin(), sent.end());  // named after the number and the moment of sending
    const std::filesystem::path pdf = dir.path() / "herinnering.pdf";
    readMessage(sent.back(), pdf);
    testing::runCommand("pdftoppm -r 150 -png -f 1 -l 1 -singlefile " + pdf.string() + " " +
                        (dir.path() / "herinnering").string());
    const std::string code = testing::runCommand(
        "zbarimg --raw -q " + (dir.path() / "herinnering.png").string() + " 2>/dev/null | cat");
    EXPECT_NE(code.find("\nEUR710.00\n"), std::string::npos) << code;
    EXPECT_NE(testing::runCommand("pdftotext " + pdf.string() + " -").find("FAC-2026-0024"),
              std::string::npos);
}

}  // namespace
}  // namespace zelvorin::service
