#include "service/inbox/InboxReader.h"

#include <cstdio>

#include "domain/Timestamps.h"

#include "intelligence/ExtractionError.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"
#include "service/inbox/InboxReading.h"
#include "service/store/Accounts.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kServerSource = "server-claude";
constexpr const char* kUnreadable = "Tekst op de bon kon niet worden gelezen.";

bool holdsDeviceReading(const Json& payload) {
    return payload.value("extractionSource", "") == "device-fm";
}

// Uploaded for the service to read (the upload stamps the start), never attempted, and read by
// nobody since.
bool owedAReading(const Json& payload) {
    const auto started = payload.find("extractionStartedAt");
    const auto attempts = payload.find("extractionAttempts");
    const auto source = payload.find("extractionSource");
    return started != payload.end() && started->is_string() &&
           (attempts == payload.end() || !attempts->is_number_integer() || attempts->get<int>() == 0) &&
           (source == payload.end() || !source->is_string());
}

}  // namespace

InboxReader::InboxReader(const ServiceDatabase& database, const Clock& clock,
                         std::shared_ptr<const FoundationModelsExtractionPipeline> pipeline)
    : database_(database),
      clock_(clock),
      pipeline_(pipeline ? std::move(pipeline)
                         : std::make_shared<FoundationModelsExtractionPipeline>(
                               std::make_shared<TesseractOCRProvider>(),
                               std::make_shared<RuleBasedInvoiceStructurer>())),
      worker_([this](std::stop_token stop) { work(stop); }) {}

InboxReader::~InboxReader() {
    worker_.request_stop();
    wake_.notify_all();
}

void InboxReader::request(const std::string& organizationId, const std::string& itemId, bool force) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({organizationId, itemId, force});
    }
    wake_.notify_one();
}

int InboxReader::resumeWaiting() {
    const std::vector<Job> owed = database_.read([](Connection& db) {
        std::vector<Job> found;
        for (const Organization& organization : accounts::organizations(db))
            for (const StoredRecord& item :
                 records::all(db, organization.id, std::string("incomingInvoice"))) {
                if (!item.deleted && owedAReading(item.payload))
                    found.push_back({organization.id, item.id, false});
            }
        return found;
    });
    {
        std::lock_guard lock(mutex_);
        jobs_.insert(jobs_.end(), owed.begin(), owed.end());
    }
    wake_.notify_one();
    return static_cast<int>(owed.size());
}

void InboxReader::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void InboxReader::work(std::stop_token stop) {
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !jobs_.empty(); })) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
        }
        try {
            readNow(job.organizationId, job.itemId, job.force);
        } catch (const std::exception& error) {
            // A busy or full database: the item keeps waiting; reextract asks again.
            std::fprintf(stderr, "zelvorin-service: inbox %s niet gelezen: %s\n", job.itemId.c_str(),
                         error.what());
        }
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        idle_.notify_all();
    }
}

void InboxReader::readNow(const std::string& organizationId, const std::string& itemId, bool force) {
    const std::optional<StoredFile> file = database_.read([&](Connection& db) -> std::optional<StoredFile> {
        const std::optional<StoredRecord> record =
            records::find(db, organizationId, "incomingInvoice", itemId);
        if (!record || record->deleted || (!force && holdsDeviceReading(record->payload)))
            return std::nullopt;
        const auto path = record->payload.find("pdfPath");
        if (path == record->payload.end() || !path->is_string()) return std::nullopt;
        return storedfiles::find(db, organizationId, path->get<std::string>());
    });
    if (!file) return;

    std::optional<InboxReading> reading;
    try {
        const ReceiptReading read = pipeline_->read(file->bytes);
        reading = InboxReading{kServerSource, read.confidence, read.modelVersion, toJson(read.result)};
    } catch (const std::exception&) {
        // Not readable at all: the item says so, and a person fills it in.
    }
    ++readingsDone_;
    std::fprintf(stderr, "zelvorin-service: inbox %s gelezen\n", itemId.c_str());

    const TimePoint now = clock_.now();
    database_.write([&](Connection& db) {
        const std::optional<StoredRecord> record =
            records::find(db, organizationId, "incomingInvoice", itemId);
        // A device's reading that arrived while this one ran wins: it was made for this document.
        if (!record || record->deleted || (!force && holdsDeviceReading(record->payload))) return;
        Json payload = reading ? withReading(record->payload, *reading) : record->payload;
        if (!reading) payload["extractionError"] = kUnreadable;
        payload["extractionAttempts"] = record->payload.value("extractionAttempts", 0) + 1;
        payload["updatedAt"] = formatTimestampMillis(now);
        writeRecord(
            db, RecordChange{organizationId, SyncEntityType::incomingInvoice, itemId, RecordOperation::put,
                             std::move(payload), now, Actor{ChangeSource::service, {}, {}}, std::nullopt});
    });
}

}  // namespace zelvorin::service
