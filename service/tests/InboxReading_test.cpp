// The inbox's readings on the service's side: a device's submission kept when it fits and refused
// whole when it does not, uploads made once per idempotency key, and the service's own reader.
#include <gtest/gtest.h>

#include <functional>

#include "service/http/ServiceError.h"
#include "service/inbox/InboxActions.h"
#include "service/inbox/InboxItemActions.h"
#include "service/inbox/InboxReader.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

std::string sample(const std::string& name) {
    return testing::readFile(std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / name);
}

Json deviceReading(double confidence, Json total = 7800) {
    Json result{{"isInvoice", true},
                {"senderCompany", "Bakkerij De Korenschoof"},
                {"totalAmountCents", total},
                {"currency", "EUR"},
                {"invoiceDate", "14-03-2026"},
                {"lines", Json::array({{{"description", "Brood"}, {"amount", 78.0}}})},
                {"vatBreakdown", Json::array()}};
    return {{"source", "device-fm"},
            {"confidence", confidence},
            {"modelVersion", "zelvorin-rules/2"},
            {"result", result}};
}

class InboxReadingIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    std::string upload(const std::string& file, bool needsServerExtraction,
                       std::optional<std::string> key = std::nullopt) {
        const StoredUpload stored = storeInboxDocument(
            database, caller, {std::move(key), "upload", needsServerExtraction, file, sample(file)}, kNow);
        EXPECT_EQ(stored.ids.size(), 1u);
        return stored.ids.at(0);
    }
    StoredRecord item(const std::string& id) {
        return *database.read(
            [&](Connection& db) { return records::find(db, demoOrganizationId(), "incomingInvoice", id); });
    }
    ErrorKind refusal(const Caller& who, const std::string& id, const Json& body) {
        try {
            submitExtraction(database, who, id, body, kNow);
        } catch (const ServiceError& error) {
            return error.kind();
        }
        return ErrorKind::internal;
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    SystemClock clock;
};

TEST_F(InboxReadingIntegrationTest, ADeviceReadingIsKeptWhenItFitsAndRefusedWholeWhenItDoesNot) {
    const std::string id = upload("receipt-photo.jpg", false);
    const std::int64_t revision = item(id).revision;

    const Caller stranger{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    EXPECT_EQ(refusal(stranger, id, deviceReading(0.9)), ErrorKind::notFound);
    EXPECT_EQ(refusal(caller, "geen-document", deviceReading(0.9)), ErrorKind::notFound);
    EXPECT_EQ(refusal(caller, id, deviceReading(0.9, 78.5)), ErrorKind::unprocessable);
    EXPECT_EQ(refusal(caller, id, deviceReading(0.9, "7800")), ErrorKind::unprocessable);
    EXPECT_EQ(refusal(caller, id, deviceReading(1.5)), ErrorKind::unprocessable);
    Json noLines = deviceReading(0.9);
    noLines["result"].erase("lines");
    EXPECT_EQ(refusal(caller, id, noLines), ErrorKind::unprocessable);
    EXPECT_EQ(item(id).revision, revision);

    // Too unsure to keep: the service says it reads the document itself.
    const SubmissionAnswer unsure = submitExtraction(database, caller, id, deviceReading(0.3), kNow);
    EXPECT_FALSE(unsure.accepted);
    EXPECT_TRUE(unsure.fallback);
    EXPECT_EQ(item(id).revision, revision);

    const SubmissionAnswer kept = submitExtraction(database, caller, id, deviceReading(0.9), kNow);
    EXPECT_TRUE(kept.accepted);
    EXPECT_EQ(kept.source, "device-fm");
    EXPECT_EQ(kept.toJson().dump(), R"({"accepted":true,"source":"device-fm"})");
    const Json payload = item(id).payload;
    EXPECT_EQ(payload["extractedAmount"], 7800);
    EXPECT_EQ(payload["extractedSenderCompany"], "Bakkerij De Korenschoof");
    EXPECT_EQ(payload["extractedInvoiceDate"], "14-03-2026");
    EXPECT_EQ(payload["extractedLines"][0]["description"], "Brood");
    EXPECT_EQ(payload["extractionSource"], "device-fm");
    EXPECT_EQ(payload["extractionAttempts"], 0);
}

TEST_F(InboxReadingIntegrationTest, AnUploadIsMadeOncePerIdempotencyKey) {
    const std::string first = upload("receipt-photo.jpg", true, "sleutel-1");
    const StoredUpload again = storeInboxDocument(
        database, caller, {"sleutel-1", "upload", true, "x.jpg", sample("receipt-photo.jpg")}, kNow);
    EXPECT_TRUE(again.repeated);
    EXPECT_EQ(again.ids, std::vector<std::string>{first});
    EXPECT_NE(upload("receipt-photo.jpg", true, "sleutel-2"), first);
    // Keys belong to an organisation: another one's same key makes its own item.
    const Caller stranger{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    EXPECT_FALSE(storeInboxDocument(database, stranger,
                                    {"sleutel-1", "upload", true, "x.jpg", sample("receipt-photo.jpg")}, kNow)
                     .repeated);
}

TEST_F(InboxReadingIntegrationTest, TheServiceReadsOnItsWorkerAndLeavesADevicesReadingAlone) {
    InboxReader reader(database, clock);
    const std::string waiting = upload("receipt-scan.pdf", true);
    const std::string readOnDevice = upload("invoice-photo.jpg", false);
    submitExtraction(database, caller, readOnDevice, deviceReading(0.9), kNow);
    const std::int64_t deviceRevision = item(readOnDevice).revision;

    reader.request(demoOrganizationId(), waiting);
    reader.request(demoOrganizationId(), readOnDevice);
    reader.waitUntilIdle();
    EXPECT_EQ(reader.readingsDone(), 1);
    const Json read = item(waiting).payload;
    EXPECT_EQ(read["extractionSource"], "server-claude");
    EXPECT_EQ(read["extractionAttempts"], 1);
    EXPECT_TRUE(read["extractedAmount"].is_number_integer());
    EXPECT_GT(read["extractionConfidence"].get<double>(), 0.45);
    EXPECT_EQ(item(readOnDevice).revision, deviceRevision);

    // Asked to read again, it does, whoever read it before.
    reader.request(demoOrganizationId(), readOnDevice, /*force=*/true);
    reader.waitUntilIdle();
    EXPECT_EQ(reader.readingsDone(), 2);
    EXPECT_EQ(item(readOnDevice).payload["extractionSource"], "server-claude");
    // A device's reading that comes after the service's is not kept.
    EXPECT_FALSE(submitExtraction(database, caller, waiting, deviceReading(0.9), kNow).accepted);
}

TEST_F(InboxReadingIntegrationTest, WhatWaitedForTheServiceBeforeARestartIsReadAfterIt) {
    const std::string waiting = upload("receipt-scan.pdf", true);
    const std::string readOnDevice = upload("invoice-photo.jpg", false);
    {
        InboxReader stopped(database, clock);  // the service stops before its worker gets to it
    }
    EXPECT_FALSE(item(waiting).payload.contains("extractionSource"));
    InboxReader restarted(database, clock);
    EXPECT_EQ(restarted.resumeWaiting(), 1);
    restarted.waitUntilIdle();
    EXPECT_EQ(item(waiting).payload["extractionSource"], "server-claude");
    EXPECT_EQ(item(waiting).payload["extractionAttempts"], 1);
    EXPECT_EQ(item(readOnDevice).payload["extractionAttempts"], 0);  // the device reads that one
    EXPECT_EQ(restarted.resumeWaiting(), 0);                         // owed nothing now
}

TEST_F(InboxReadingIntegrationTest, ADocumentNobodyCanReadGetsItsError) {
    InboxReader reader(database, clock);
    const StoredUpload stored = storeInboxDocument(
        database, caller, {std::nullopt, "upload", true, "leeg.pdf", sample("no-pages.pdf")}, kNow);
    reader.readNow(demoOrganizationId(), stored.ids[0]);
    const Json payload = item(stored.ids[0]).payload;
    EXPECT_EQ(payload["extractionError"], "Tekst op de bon kon niet worden gelezen.");
    EXPECT_EQ(payload["extractionAttempts"], 1);
    EXPECT_FALSE(payload.contains("extractionSource"));
}

TEST_F(InboxReadingIntegrationTest, APersonsChangesToAnItemAreCheckedAndKeptByTheWritePath) {
    const std::string id = upload("receipt-photo.jpg", false);
    const auto refused = [&](const std::function<void()>& action) {
        const std::int64_t revision = item(id).revision;
        try {
            action();
        } catch (const ServiceError& error) {
            EXPECT_EQ(item(id).revision, revision) << error.what();
            return error.kind();
        }
        return ErrorKind::internal;
    };
    EXPECT_EQ(refused([&] {
                  correctInboxItem(database, caller, id, Json{{"extractedAmount", 12.5}}, kNow);
              }),
              ErrorKind::unprocessable);
    EXPECT_EQ(refused([&] { correctInboxItem(database, caller, id, Json::object(), kNow); }),
              ErrorKind::unprocessable);
    EXPECT_EQ(refused([&] {
                  categorizeInboxItem(database, caller, id, Json{{"category", "hobby"}}, kNow);
              }),
              ErrorKind::unprocessable);
    const Caller stranger{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    EXPECT_EQ(refused([&] { archiveInboxItem(database, stranger, id, kNow); }), ErrorKind::notFound);
    EXPECT_EQ(refused([&] { deleteKvitraRule(database, caller, id, kNow); }), ErrorKind::notFound);

    correctInboxItem(database, caller, id,
                     Json{{"extractedAmount", 1250}, {"extractedSenderCompany", "Bakker"}}, kNow);
    categorizeInboxItem(database, caller, id, Json{{"category", "gemengd"}, {"invoiceType", "receipt"}},
                        kNow);
    Json payload = item(id).payload;
    EXPECT_EQ(payload["extractedAmount"], 1250);
    EXPECT_EQ(payload["extractedSenderCompany"], "Bakker");
    EXPECT_EQ(payload["category"], "gemengd");
    EXPECT_EQ(payload["status"], "gecategoriseerd");
    EXPECT_EQ(payload["invoiceType"], "receipt");
    archiveInboxItem(database, caller, id, kNow);
    EXPECT_EQ(item(id).payload["status"], "gearchiveerd");
    deleteInboxItem(database, caller, id, kNow);
    EXPECT_TRUE(item(id).deleted);
    EXPECT_EQ(cloudCopyStatus().dump(), R"({"pending":0,"done":0,"failed":0,"permanent":0})");
}

}  // namespace
}  // namespace zelvorin::service
