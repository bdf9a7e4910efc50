#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "domain/Clock.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"

namespace zelvorin::service {

class ServiceDatabase;

// The service's own reading of inbox documents, with the device's reader (recognition and
// structuring), on one worker thread of its own: a request only queues the item, so the service
// keeps answering while a page is recognised (a second or two each).
//
// A finished reading is written to the item through the one write path (devices pull it) with
// source "server-claude", whatever its confidence; a document that cannot be read gets an
// "extractionError". Either way "extractionAttempts" goes up by one. An item deleted or read by
// a device's submission meanwhile is left as it is.
class InboxReader {
public:
    InboxReader(const ServiceDatabase& database, const Clock& clock,
                std::shared_ptr<const FoundationModelsExtractionPipeline> pipeline = nullptr);
    ~InboxReader();  // finishes the reading in progress, drops what still waits
    InboxReader(const InboxReader&) = delete;
    InboxReader& operator=(const InboxReader&) = delete;

    // `force`: read again even when the item already holds a reading (reextract).
    void request(const std::string& organizationId, const std::string& itemId, bool force = false);
    // Queues every item that was uploaded for the service to read and never read: a restart drops
    // what waited in memory, the items themselves say what is still owed. Returns how many.
    int resumeWaiting();
    // Reads one item now, on the caller's thread (what the worker does for each request).
    void readNow(const std::string& organizationId, const std::string& itemId, bool force = false);

    // How many documents the service has read since it started (for the admin status and tests).
    std::int64_t readingsDone() const { return readingsDone_; }
    // Blocks until nothing waits or is being read.
    void waitUntilIdle();

private:
    struct Job {
        std::string organizationId;
        std::string itemId;
        bool force = false;
    };
    void work(std::stop_token stop);

    const ServiceDatabase& database_;
    const Clock& clock_;
    std::shared_ptr<const FoundationModelsExtractionPipeline> pipeline_;
    std::atomic<std::int64_t> readingsDone_{0};
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    std::jthread worker_;
};

}  // namespace zelvorin::service
