// Receipts taken in by a signed-in device against the real service: read here first, uploaded
// with the flag that says whether the service still reads them, queued when the service is away,
// drained later; and every kind of bad file refused before anything is stored.
#include <gtest/gtest.h>

#include <thread>

#include "app/ReceiptFile.h"
#include "app/tests/ReceiptIntakeFixture.h"
#include "testing/ThrownKind.h"

namespace zelvorin::testing {
namespace {

class ReceiptIntakeIntegrationTest : public ReceiptIntakeFixture {};

TEST_F(ReceiptIntakeIntegrationTest, AConfidentReadingGoesUpWithoutAskingTheServiceToRead) {
    const UploadOutcome outcome = environment->takeInReceipt(sampleBytes("receipt-photo.jpg"), "bon.jpg");
    EXPECT_EQ(outcome.kind, UploadOutcome::Kind::onDevice);
    ASSERT_EQ(outcome.ids.size(), 1u);
    const Json item = inboxItem(outcome.ids[0]);
    ASSERT_TRUE(item.is_object());
    EXPECT_EQ(item["subject"], "bon.jpg");
    EXPECT_FALSE(item.contains("extractionStartedAt"));  // the service waits for the device's reading
    EXPECT_TRUE(queueFolder().empty());

    // The reading went with it and the service never read the document itself; it reaches the
    // device by pull.
    environment->syncNow();
    const std::optional<IncomingInvoiceRecord> local = environment->repositories().inbox.item(outcome.ids[0]);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->extractionSource, "device-fm");
    EXPECT_EQ(local->extractionAttempts, 0);
    EXPECT_TRUE(local->extractedAmount);
}

TEST_F(ReceiptIntakeIntegrationTest, ALowConfidenceReadingLeavesTheReadingToTheService) {
    model->weak = true;
    const UploadOutcome outcome = environment->takeInReceipt(sampleBytes("receipt-scan.pdf"), "scan.pdf");
    EXPECT_EQ(outcome.kind, UploadOutcome::Kind::server);
    ASSERT_EQ(outcome.ids.size(), 1u);
    EXPECT_TRUE(diagnostics.mentions("[AppEnvironment] On-device extractie lage confidence (0."));
    EXPECT_TRUE(inboxItem(outcome.ids[0]).contains("extractionStartedAt"));

    // The service reads it on its own worker; the reading arrives by pull.
    for (int tries = 0; tries < 300 && !inboxItem(outcome.ids[0]).contains("extractionSource"); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    environment->syncNow();
    const std::optional<IncomingInvoiceRecord> local = environment->repositories().inbox.item(outcome.ids[0]);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->extractionSource, "server-claude");
    EXPECT_EQ(local->extractionAttempts, 1);
    EXPECT_TRUE(local->extractedAmount);
}

TEST_F(ReceiptIntakeIntegrationTest, OfflineAReceiptIsQueuedAndTheNextDrainTakesItUp) {
    service.stop();
    EXPECT_EQ(environment->takeInReceipt(sampleBytes("receipt-photo.jpg"), "bon.jpg").kind,
              UploadOutcome::Kind::queued);
    const std::vector<std::string> files = queueFolder();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].size(), 36 + std::string("_bon.jpg").size());
    EXPECT_EQ(files[0].substr(36), "_bon.jpg");
    const std::vector<PendingUploadRecord> waiting = rows();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].status, PendingUploadRecord::Status::wachtend);
    EXPECT_EQ(waiting[0].relativePath, "PendingUploads/" + files[0]);
    EXPECT_EQ(waiting[0].mimeType, "image/jpeg");
    EXPECT_TRUE(diagnostics.mentions("[AppEnvironment] Bon in wachtrij: bon.jpg"));

    service.restart();
    const std::size_t before = inboxItems().size();
    const ReceiptIntake::DrainReport drained = environment->drainUploads();
    EXPECT_EQ(drained.uploaded, 1);
    EXPECT_EQ(inboxItems().size(), before + 1);
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(queueFolder().empty());
    EXPECT_TRUE(diagnostics.mentions("[AppEnvironment] PendingUpload " + waiting[0].id + " voltooid: "));
}

TEST_F(ReceiptIntakeIntegrationTest, AFailedUploadEndsTheDrainWithOneAttemptAndTheRestWaits) {
    service.stop();
    environment->takeInReceipt(sampleBytes("receipt-photo.jpg"), "eerste.jpg");
    environment->takeInReceipt(sampleBytes("invoice-photo.jpg"), "tweede.jpg");
    const ReceiptIntake::DrainReport drained = environment->drainUploads();
    EXPECT_EQ(drained.uploaded, 0);
    ASSERT_TRUE(drained.failure);
    const std::vector<PendingUploadRecord> waiting = rows();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0].fileName, "eerste.jpg");
    EXPECT_EQ(waiting[0].status, PendingUploadRecord::Status::fout);
    EXPECT_EQ(waiting[0].attempts, 1);
    EXPECT_TRUE(waiting[0].lastError);
    EXPECT_EQ(waiting[1].status, PendingUploadRecord::Status::wachtend);
    EXPECT_EQ(waiting[1].attempts, 0);
    EXPECT_TRUE(
        diagnostics.mentions("[AppEnvironment] PendingUpload " + waiting[0].id + " upload mislukt: "));

    // A row whose file went missing is dropped; the other goes up.
    std::filesystem::remove(environment->pendingUploadStore().absolutePath(waiting[1].relativePath));
    service.restart();
    EXPECT_EQ(environment->drainUploads().uploaded, 1);
    EXPECT_TRUE(diagnostics.mentions("[AppEnvironment] PendingUpload " + waiting[1].id +
                                     ": bestand ontbreekt — overgeslagen"));
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(queueFolder().empty());
}

TEST_F(ReceiptIntakeIntegrationTest, ASharedFileIsQueuedOnceAndBadSideCarsAreLeftAlone) {
    const std::filesystem::path folder = environment->pendingUploadStore().folder();
    std::filesystem::create_directories(folder);
    writePrivateFileAtomically(folder / "gedeeld.jpg", sampleBytes("receipt-photo.jpg"));
    const std::string meta = R"({"filename": "kassabon.jpg", "mimeType": "image/jpeg", "source": "share",
        "idempotencyKey": "deel-1", "createdAt": "2026-03-16T09:00:00.000Z"})";
    writePrivateFileAtomically(folder / "gedeeld.jpg.meta.json", meta);
    writePrivateFileAtomically(folder / "kapot.jpg", "x");
    writePrivateFileAtomically(folder / "kapot.jpg.meta.json", "geen json");
    writePrivateFileAtomically(folder / "weg.jpg.meta.json", meta);

    environment->importSharedFiles();
    // Shared again (the other application wrote its side-car a second time): still one row.
    writePrivateFileAtomically(folder / "gedeeld.jpg.meta.json", meta);
    environment->importSharedFiles();

    const std::vector<PendingUploadRecord> waiting = rows();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].fileName, "kassabon.jpg");
    EXPECT_EQ(waiting[0].source, "share");
    EXPECT_EQ(waiting[0].idempotencyKey, "deel-1");
    EXPECT_EQ(waiting[0].relativePath, "PendingUploads/gedeeld.jpg");
    EXPECT_TRUE(diagnostics.mentions("[AppEnvironment] importSharedFiles: geïmporteerd kassabon.jpg"));
    EXPECT_TRUE(diagnostics.mentions(
        "[AppEnvironment] importSharedFiles: enqueue mislukt voor kapot.jpg.meta.json: "));
    EXPECT_TRUE(std::filesystem::exists(folder / "kapot.jpg.meta.json"));
    EXPECT_TRUE(std::filesystem::exists(folder / "weg.jpg.meta.json"));

    EXPECT_EQ(environment->drainUploads().uploaded, 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "gedeeld.jpg"));
}

TEST_F(ReceiptIntakeIntegrationTest, BadFilesAreRefusedInDutchAndNothingIsStored) {
    const std::size_t before = inboxItems().size();
    const auto refusal = [&](const std::string& bytes, const std::string& name) -> std::string {
        try {
            environment->takeInReceipt(bytes, name);
        } catch (const ReceiptFileError& error) {
            return error.what();
        }
        return "niet geweigerd";
    };
    EXPECT_EQ(refusal("Dit is platte tekst, geen factuur.", "factuur.pdf"),
              "Het bestand factuur.pdf is geen PDF, JPEG of PNG.");
    EXPECT_EQ(refusal("", "leeg.jpg"), "Het bestand leeg.jpg is leeg.");
    EXPECT_EQ(refusal("%PDF-1.4\n" + std::string(60 * 1024 * 1024, ' '), "groot.pdf"),
              "Het bestand groot.pdf is groter dan 25 MB.");
    EXPECT_EQ(refusal(sampleBytes("no-pages.pdf"), "leeg.pdf"),
              "De eerste pagina van leeg.pdf kan niet worden gelezen.");
    EXPECT_EQ(inboxItems().size(), before);
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(queueFolder().empty());
}

TEST_F(ReceiptIntakeIntegrationTest, AQueueThatCannotBeWrittenLeavesNeitherFileNorRow) {
    service.stop();
    diskFull = true;
    try {
        environment->takeInReceipt(sampleBytes("receipt-photo.jpg"), "bon.jpg");
        ADD_FAILURE() << "a full disk was not reported";
    } catch (const PendingUploadStoreError& error) {
        EXPECT_EQ(error.kind(), PendingUploadStoreError::Kind::writeFailed);
        EXPECT_EQ(std::string(error.what()).rfind("Kon het bon-bestand niet opslaan: ", 0), 0u)
            << error.what();
    }
    EXPECT_TRUE(queueFolder().empty());
    EXPECT_TRUE(rows().empty());

    // The container is a file where the folder should be.
    diskFull = false;
    TempDir other;
    std::ofstream(other / "group.nl.zelvorin.app") << "in de weg";
    auto blocked = makeDevice(other.path());
    try {
        blocked->takeInReceipt(sampleBytes("receipt-photo.jpg"), "bon.jpg");
        ADD_FAILURE() << "a folder that cannot be made was not reported";
    } catch (const PendingUploadStoreError& error) {
        EXPECT_EQ(error.kind(), PendingUploadStoreError::Kind::cannotCreateDirectory);
        EXPECT_EQ(std::string(error.what()).rfind("Kan de uploadmap niet aanmaken: ", 0), 0u) << error.what();
    }
    EXPECT_TRUE(blocked->repositories().pendingUploads.waitingUploads().empty());
}

}  // namespace
}  // namespace zelvorin::testing
