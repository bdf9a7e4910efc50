// Downloads, uploads and exports of the API client against the real service: the service parses
// the multipart bodies the client builds, and answers conditional downloads with 304.
#include "api-client/FileTransfers.h"

#include <gtest/gtest.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "api-client/BankActions.h"
#include "api-client/InvoiceActions.h"
#include "api-client/VatActions.h"
#include "domain/Money.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;
using Json = nlohmann::json;

constexpr const char* kDevice = "apparaat-bestanden";
// A 1×1 PNG.
const std::string kPng(
    "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1F\x15\xC4\x89\0\0\0\r"
    "IDATx\x9C"
    "c\xF8\xFF\xFF?\0\x05\xFE\x02\xFE\xA7\x35\x81\x84\0\0\0\0IEND\xAE"
    "B`\x82",
    67);

class FileTransfersIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        tokens->save(testing::signInDevice(service, kDevice, std::string("sanne@studiozelvorin.nl")));
        organizationId = Json::parse(service.get("/admin/organizations").body)["organizations"][0]["id"];
    }

    Json records(const std::string& type) const {
        return Json::parse(
            service.get("/admin/records?org=" + organizationId + "&entityType=" + type).body)["records"];
    }

    template <class Call>
    APIError::Case failure(Call call) {
        try {
            call();
        } catch (const APIError& error) {
            return error.value();
        }
        ADD_FAILURE() << "no APIError";
        return APIError::HttpError{0};
    }

    ServiceProcess service{ServiceProcess::demo()};
    std::shared_ptr<InMemoryTokenStore> tokens = std::make_shared<InMemoryTokenStore>();
    SyncAPIClient client{service.baseUrl(), tokens, kDevice};
    std::string organizationId;
};

TEST_F(FileTransfersIntegrationTest, AnInvoicePreviewIsDownloadedOnceUntilTheInvoiceChanges) {
    Json invoice;
    for (const Json& record : records("draftInvoice")) {
        if (record["payload"].contains("invoiceNumber")) invoice = record;
    }
    ASSERT_FALSE(invoice.is_null());
    const std::string id = invoice["id"];

    const ConditionalDownload first = downloadInvoicePreview(client, id);
    ASSERT_FALSE(first.notModified);
    ASSERT_TRUE(first.entityTag.has_value());
    testing::TempDir dir;
    std::ofstream(dir / "preview.pdf", std::ios::binary) << first.data;
    const std::string text = testing::runCommand("pdftotext " + (dir / "preview.pdf").string() + " -");
    EXPECT_NE(text.find(invoice["payload"]["invoiceNumber"].get<std::string>()), std::string::npos) << text;

    const ConditionalDownload again = downloadInvoicePreview(client, id, first.entityTag);
    EXPECT_TRUE(again.notModified);
    EXPECT_TRUE(again.data.empty());

    ASSERT_EQ(service
                  .post("/admin/records", Json{{"org", organizationId},
                                               {"entityType", "draftInvoice"},
                                               {"id", id},
                                               {"payload", {{"projectDescription", "Nieuwe omschrijving"}}}}
                                              .dump())
                  .status,
              200);
    const ConditionalDownload changed = downloadInvoicePreview(client, id, first.entityTag);
    EXPECT_FALSE(changed.notModified);
    EXPECT_NE(changed.entityTag, first.entityTag);
    EXPECT_TRUE(std::holds_alternative<APIError::NotFound>(
        failure([&] { downloadInvoicePreview(client, "bestaat-niet"); })));
}

TEST_F(FileTransfersIntegrationTest, AnUploadedDocumentBecomesAnInboxItemAndComesBackByKey) {
    const std::vector<std::string> ids =
        uploadKvitraDocument(client, {"upload", true, "bon.png", "image/png", kPng, std::nullopt});
    ASSERT_EQ(ids.size(), 1U);
    Json item;
    for (const Json& record : records("incomingInvoice")) {
        if (record["id"] == ids[0]) item = record["payload"];
    }
    ASSERT_FALSE(item.is_null());
    EXPECT_EQ(item["source"], "upload");
    EXPECT_EQ(item["status"], "nieuw");
    EXPECT_EQ(item["subject"], "bon.png");
    EXPECT_TRUE(item.contains("extractionStartedAt")) << "server extraction was asked for";

    const ConditionalDownload document = downloadKvitraDocument(client, ids[0]);
    EXPECT_EQ(document.data, kPng);
    EXPECT_TRUE(downloadKvitraDocument(client, ids[0], document.entityTag).notModified);
    const ConditionalDownload byKey = downloadUpload(client, item["pdfPath"].get<std::string>());
    EXPECT_EQ(byKey.data, kPng);
    EXPECT_EQ(byKey.entityTag, document.entityTag);
    // A missing upload is an HTTP error, a missing inbox document "not found".
    EXPECT_EQ(failure([&] { downloadUpload(client, "kvitra/bestaat/niet.png"); }),
              APIError::Case{APIError::HttpError{404}});
    EXPECT_TRUE(
        std::holds_alternative<APIError::NotFound>(failure([&] { downloadKvitraDocument(client, "nee"); })));

    // The content decides, not the name: text called .pdf is refused with the service's message.
    const std::size_t before = records("incomingInvoice").size();
    const APIError::Case refused = failure([&] {
        uploadKvitraDocument(client,
                             {"upload", false, "factuur.pdf", "application/pdf", "hallo", std::nullopt});
    });
    ASSERT_TRUE(std::holds_alternative<APIError::Conflict>(refused));
    EXPECT_EQ(std::get<APIError::Conflict>(refused).message,
              "Alleen PDF-, JPEG- en PNG-bestanden kunnen worden verwerkt.");
    EXPECT_EQ(records("incomingInvoice").size(), before);
}

TEST_F(FileTransfersIntegrationTest, TheVatExportIsNamedByTheServiceAndRefusesAnImpossibleQuarter) {
    const ExportedFile quarter = exportVatQuarter(client, 2026, 1);
    EXPECT_EQ(quarter.fileName, "btw-aangifte-Q1-2026.csv");
    EXPECT_EQ(quarter.data.rfind("Btw-aangifte;Q1 2026;factuurstelsel\r\n", 0), 0U) << quarter.data;
    std::int64_t sent = 0;
    for (const Json& record : records("draftInvoice")) {
        const Json& invoice = record["payload"];
        const std::string date = invoice.value("issueDate", "");
        if (invoice.contains("invoiceNumber") && invoice["status"] != "cancelled" && date >= "2026-01" &&
            date < "2026-04") {
            ++sent;
            EXPECT_NE(quarter.data.find(invoice["invoiceNumber"].get<std::string>() + ";"),
                      std::string::npos);
        }
    }
    EXPECT_GT(sent, 0);
    EXPECT_NE(quarter.data.find("\r\nPer saldo te betalen;;"), std::string::npos);

    const APIError::Case refused = failure([&] { exportVatQuarter(client, 2026, 5); });
    ASSERT_TRUE(std::holds_alternative<APIError::Conflict>(refused));
    EXPECT_EQ(std::get<APIError::Conflict>(refused).message, "Kwartaal 5 bestaat niet: kies 1, 2, 3 of 4.");
}

// The quarter's figures and its file come from one computation: what the summary says the file says.
TEST_F(FileTransfersIntegrationTest, TheQuarterSummaryDecodesAndAgreesWithItsExport) {
    const vatactions::BtwQuarterSummary summary = vatactions::summary(client, 2026, 1);
    EXPECT_EQ(summary.quarter, 1);
    EXPECT_EQ(summary.totalBtwAf, summary.rubriek1a.btwCents + summary.rubriek1b.btwCents);
    EXPECT_EQ(summary.perSaldo, summary.totalBtwAf - summary.totalVoorbelasting);
    ASSERT_TRUE(summary.rubriekVerlegd && summary.kor && summary.icp);
    EXPECT_EQ(summary.basis, "factuur");
    const std::string file = exportVatQuarter(client, 2026, 1).data;
    std::string perSaldo = formatEuroAmount(summary.perSaldo);
    std::erase(perSaldo, '.');  // the file has no thousands separators
    EXPECT_NE(file.find("Per saldo te betalen;;" + perSaldo + ";"), std::string::npos) << file;

    ASSERT_FALSE(summary.overigeKosten.empty());
    const vatactions::BtwOverigeKosten cost = summary.overigeKosten.front();
    const vatactions::BtwOverigeKosten changed =
        vatactions::setOverigeKostenVatRate(client, cost.transactionId, cost.vatRatePercent == 0 ? 21 : 0);
    EXPECT_EQ(vatactions::summary(client, 2026, 1).totalVoorbelasting - summary.totalVoorbelasting,
              changed.btwCents - cost.btwCents);

    // A read: its 422 is an HTTP error (the screens check the period before they ask).
    EXPECT_EQ(failure([&] { vatactions::summary(client, 1899, 1); }),
              APIError::Case(APIError::HttpError{422}));
}

TEST_F(FileTransfersIntegrationTest, AStatementIsImportedOnceAndABrokenOneIsTheServicesConflict) {
    const std::string statement =
        "\"IBAN/BBAN\";\"Munt\";\"Volgnr\";\"Datum\";\"Bedrag\";\"Naam tegenpartij\";\"Omschrijving-1\"\r\n"
        "\"NL03RABO0312456789\";\"EUR\";\"900001\";\"2026-03-12\";\"-12,10\";\"Drukkerij\";\"Proefdruk\"\r\n"
        "\"NL03RABO0312456789\";\"EUR\";\"900002\";\"2026-03-12\";\"+80,00\";\"J. Bakker\";\"Workshop\"\r\n";
    const std::size_t before = records("bankTransaction").size();
    bank::BankImportResult result = uploadBankStatement(client, "export.csv", statement);
    EXPECT_EQ(result.imported, 2);
    EXPECT_EQ(result.skipped, 0);
    result = uploadBankStatement(client, "export.csv", statement);
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(records("bankTransaction").size(), before + 2);

    // 415 for what is no statement, 400 for a statement that is broken: both the service's words.
    for (const std::string& refusedFile :
         {std::string(
              "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.03\"/>"),
          statement.substr(0, statement.size() - 20) + "\"+1.000,00\";\"X\";\"Y\"\r\n"}) {
        const APIError::Case refused =
            failure([&] { uploadBankStatement(client, "afschrift.xml", refusedFile); });
        ASSERT_TRUE(std::holds_alternative<APIError::Conflict>(refused));
        EXPECT_NE(std::get<APIError::Conflict>(refused).message,
                  "Het bankafschrift kon niet worden verwerkt.");
    }
    EXPECT_EQ(records("bankTransaction").size(), before + 2);

    const bank::BankSyncResult fetched = bank::syncNow(client);
    EXPECT_EQ(fetched.imported, 0);
    EXPECT_EQ(fetched.skipped, 0);
}

TEST_F(FileTransfersIntegrationTest, AttachmentsGoWithTheSentMessageAndTheServiceHoldsTheRuleToo) {
    const auto refusal = [&](const std::vector<AttachmentFile>& files) {
        const APIError::Case refused = failure([&] { uploadInvoiceAttachments(client, files); });
        return std::holds_alternative<APIError::Conflict>(refused)
                   ? std::get<APIError::Conflict>(refused).message
                   : std::string("geen conflict");
    };
    const AttachmentFile png{"bon.png", "image/png", kPng};
    EXPECT_EQ(refusal({png, png, png, png}), "Je kunt maximaal 3 bestanden bijvoegen.");
    EXPECT_EQ(refusal({{"a.bin", "application/octet-stream", std::string(6 * 1024 * 1024, 'a')},
                       {"b.bin", "application/octet-stream", std::string(5 * 1024 * 1024, 'b')}}),
              "Totale bestandsgrootte mag niet groter zijn dan 10 MB");
    EXPECT_NE(refusal({{"pagina.html", "text/html", "<html></html>"}}).find("kan niet worden bijgevoegd"),
              std::string::npos);

    const std::vector<UploadedAttachment> uploaded = uploadInvoiceAttachments(
        client, {png, {"../voorwaarden\".pdf", "application/pdf", "%PDF-1.4\nvoorwaarden\n%%EOF\n"}});
    ASSERT_EQ(uploaded.size(), 2u);
    EXPECT_EQ(uploaded[0].size, 67);
    EXPECT_EQ(uploaded[1].filename, "voorwaarden.pdf");  // no folder, no quote to break its header

    std::string draft;
    for (const Json& invoice : records("draftInvoice"))
        if (invoice["payload"].value("status", "") == "draft" &&
            invoice["payload"].value("totalCents", 0) > 0)
            draft = invoice["id"];
    ASSERT_FALSE(draft.empty());
    invoiceactions::SendBody body{"boekhouding@bakkerij-jansen.nl", "Factuur", "Beste klant", std::nullopt,
                                  std::vector<std::string>{uploaded[0].key, uploaded[1].key}};
    invoiceactions::send(client, draft, body);

    std::filesystem::path message;
    for (const auto& entry : std::filesystem::directory_iterator(service.dataDir() / "service" / "outbox"))
        message = entry.path();
    ASSERT_FALSE(message.empty());
    const std::string parts = testing::runCommand(
        "python3 -c \"import email,email.policy,sys\n"
        "m=email.message_from_binary_file(open(sys.argv[1],'rb'),policy=email.policy.default)\n"
        "for p in m.iter_attachments(): "
        "print(p.get_filename(),p.get_content_type(),len(p.get_content()))\" " +
        message.string());
    EXPECT_NE(parts.find(".pdf application/pdf"), std::string::npos) << parts;  // the invoice itself
    EXPECT_NE(parts.find("bon.png image/png 67\n"), std::string::npos) << parts;
    EXPECT_NE(parts.find("voorwaarden.pdf application/pdf 27\n"), std::string::npos) << parts;
}

}  // namespace
}  // namespace zelvorin
