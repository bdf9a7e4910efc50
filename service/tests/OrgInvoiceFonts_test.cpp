#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/org/FontActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Accounts.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "service/tests/DemoDraft.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

// The invoices the service draws itself (previews, the PDF of a send, reminders) are set in the
// faces the organisation uploaded, and in no other organisation's.
namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};
constexpr const char* kSecondOrganization = "tweede-organisatie";
constexpr const char* kSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
constexpr const char* kMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

class OrgInvoiceFontsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, year{2026} / March / 16));
        database.write([&](Connection& db) {
            writeDemoDraft(db, "lettertype-factuur", 2, 12'500, actor(), kNow);
            setTemplateFamily(db, "Huisletter");
            // A second organisation with the same invoice and template, so both ask for
            // "Huisletter" and only the uploads tell them apart.
            accounts::addOrganization(db, {kSecondOrganization, "Tweede Studio", "2026-01-01T00:00:00.000Z"});
            for (const char* type :
                 {"orgSettings", "customer", "invoiceTemplate", "draftInvoice", "invoiceLine"}) {
                for (StoredRecord& record : records::all(db, demoOrganizationId(), std::string(type))) {
                    if (record.deleted) continue;
                    record.payload["organizationId"] = kSecondOrganization;
                    writeRecord(db, {kSecondOrganization, *parseSyncEntityType(type), record.id,
                                     RecordOperation::put, record.payload, kNow, actor(), std::nullopt});
                }
            }
        });
    }

    static Actor actor() { return {ChangeSource::admin, std::nullopt, std::nullopt}; }
    static Caller callerOf(const std::string& organizationId) {
        return {demoOwnerUserId(), organizationId, "apparaat-a", "sessie", std::nullopt};
    }

    void setTemplateFamily(Connection& db, const std::string& family) {
        for (StoredRecord& record : records::all(db, demoOrganizationId(), std::string("invoiceTemplate"))) {
            if (record.deleted) continue;
            Json& config = record.payload["config"];
            Json parsed = config.is_string() ? Json::parse(config.get<std::string>()) : config;
            parsed["typography"]["bodyFontFamily"] = family;
            parsed["typography"]["headingFontFamily"] = family;
            config = config.is_string() ? Json(parsed.dump()) : parsed;
            writeRecord(db, {demoOrganizationId(), SyncEntityType::invoiceTemplate, record.id,
                             RecordOperation::put, record.payload, kNow, actor(), std::nullopt});
        }
    }

    Json upload(const std::string& organizationId, const char* file) {
        return uploadFont(database, callerOf(organizationId), testing::readFile(file), "Huisletter", kNow);
    }

    // pdffonts of the organisation's preview of the invoice.
    std::string fontsOnPdf(const std::string& organizationId, const std::string& name) {
        const std::filesystem::path pdf = dir.path() / (name + ".pdf");
        std::ofstream(pdf, std::ios::binary)
            << invoicePreviewPdf(database, callerOf(organizationId), "lettertype-factuur", kNow);
        return testing::runCommand("pdffonts " + pdf.string());
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

// The pdffonts line of a face, or empty when the PDF does not use it.
std::string lineOf(const std::string& listing, const std::string& face) {
    const std::size_t at = listing.find(face);
    if (at == std::string::npos) return {};
    return listing.substr(at, listing.find('\n', at) - at);
}

TEST_F(OrgInvoiceFontsIntegrationTest, EachOrganisationsInvoicesUseItsOwnUploadsOnly) {
    const std::string before = fontsOnPdf(demoOrganizationId(), "voor");
    EXPECT_TRUE(lineOf(before, "DejaVuSerif").empty()) << before;

    const Json serif = upload(demoOrganizationId(), kSerif);
    upload(kSecondOrganization, kMono);
    const std::string first = fontsOnPdf(demoOrganizationId(), "eerste");
    const std::string second = fontsOnPdf(kSecondOrganization, "tweede");
    EXPECT_NE(lineOf(first, "DejaVuSerif").find(" yes "), std::string::npos) << "embedded\n" << first;
    EXPECT_TRUE(lineOf(first, "DejaVuSansMono").empty()) << first;
    EXPECT_NE(lineOf(second, "DejaVuSansMono").find(" yes "), std::string::npos) << second;
    EXPECT_TRUE(lineOf(second, "DejaVuSerif").empty()) << second;

    // Both at once on two threads: each PDF still carries its own organisation's face alone.
    const auto drawMany = [&](const std::string& organizationId) {
        std::vector<std::string> pdfs;
        for (int i = 0; i < 4; ++i)
            pdfs.push_back(invoicePreviewPdf(database, callerOf(organizationId), "lettertype-factuur", kNow));
        return pdfs;
    };
    auto ours = std::async(std::launch::async, drawMany, demoOrganizationId());
    auto theirs = std::async(std::launch::async, drawMany, std::string(kSecondOrganization));
    for (const std::string& pdf : ours.get()) {
        EXPECT_NE(pdf.find("DejaVuSerif"), std::string::npos);
        EXPECT_EQ(pdf.find("DejaVuSansMono"), std::string::npos);
    }
    for (const std::string& pdf : theirs.get()) {
        EXPECT_NE(pdf.find("DejaVuSansMono"), std::string::npos);
        EXPECT_EQ(pdf.find("DejaVuSerif"), std::string::npos);
    }

    // A deleted face leaves the next invoice, and its copy leaves the service's data directory.
    deleteFont(database, callerOf(demoOrganizationId()), serif["id"]);
    EXPECT_TRUE(lineOf(fontsOnPdf(demoOrganizationId(), "na"), "DejaVuSerif").empty());
    const std::filesystem::path copies = dir.path() / "data" / "font-cache" / demoOrganizationId();
    EXPECT_TRUE(!std::filesystem::exists(copies) || std::filesystem::is_empty(copies));
}

}  // namespace
}  // namespace zelvorin::service
