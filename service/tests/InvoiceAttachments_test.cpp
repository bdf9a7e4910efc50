#include "service/invoices/InvoiceAttachmentActions.h"

#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

class InvoiceAttachmentsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    std::int64_t storedFiles() {
        return database.read([](Connection& db) {
            Statement& count = db.cached("SELECT COUNT(*) FROM stored_file");
            count.step();
            return count.int64(0);
        });
    }

    ErrorKind refusal(const std::vector<AttachmentUpload>& files) {
        const std::int64_t before = storedFiles();
        try {
            uploadAttachments(database, caller, files, kNow);
        } catch (const ServiceError& error) {
            EXPECT_EQ(storedFiles(), before) << error.what();
            return error.kind();
        }
        return ErrorKind::internal;
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(InvoiceAttachmentsIntegrationTest, AllFilesAreKeptOrNoneAndTheContentMustMatchItsType) {
    const AttachmentUpload pdf{"voorwaarden.pdf", "application/pdf", "%PDF-1.4\n%%EOF\n"};
    const AttachmentUpload gif{"logo.gif", "image/gif", "GIF89a....."};
    EXPECT_EQ(refusal({}), ErrorKind::unprocessable);
    EXPECT_EQ(refusal({pdf, gif, pdf, gif}), ErrorKind::unprocessable);
    // Exactly 10 MB together passes the size rule; one byte more does not.
    const std::string half(5 * 1024 * 1024, 'x');
    EXPECT_EQ(refusal({{"a.bin", "application/octet-stream", half},
                       {"b.bin", "application/octet-stream", half + "x"}}),
              ErrorKind::payloadTooLarge);
    // One bad file among good ones keeps all of them out.
    EXPECT_EQ(refusal({pdf, {"script.html", "text/html", "<script>"}}), ErrorKind::unsupportedMediaType);
    EXPECT_EQ(refusal({pdf, {"foto.jpg", "image/jpeg", "%PDF-1.4"}}), ErrorKind::unsupportedMediaType);

    const nlohmann::ordered_json kept = uploadAttachments(
        database, caller,
        {{"a.bin", "application/octet-stream", half}, {"b.bin", "application/octet-stream", half}}, kNow);
    ASSERT_EQ(kept["attachments"].size(), 2u);
    const std::string key = kept["attachments"][1]["key"];
    const auto file =
        database.read([&](Connection& db) { return storedfiles::find(db, demoOrganizationId(), key); });
    ASSERT_TRUE(file);
    EXPECT_EQ(file->bytes, half);
    // Another organisation cannot name the key.
    EXPECT_FALSE(
        database.read([&](Connection& db) { return storedfiles::find(db, secondOrganizationId(), key); }));
}

}  // namespace
}  // namespace zelvorin::service
