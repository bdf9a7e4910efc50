#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/PrivateFiles.h"
#include "app/tests/EnvironmentFixture.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"

// A device signed in to the real service whose receipts are read by the real recogniser. The
// language model is the platform's edge: `weakModel` makes it answer nothing useful, so that a
// reading falls below the acceptance threshold.
namespace zelvorin::testing {

class SwitchableStructurer final : public InvoiceStructurer {
public:
    std::atomic<bool> weak{false};
    bool isAvailable() const override { return true; }
    std::string modelVersion() const override { return rules_.modelVersion(); }
    ExtractedInvoiceData structure(const std::string& text) const override {
        if (!weak) return rules_.structure(text);
        ExtractedInvoiceData nothing;
        nothing.isInvoice = false;
        return nothing;
    }

private:
    RuleBasedInvoiceStructurer rules_;
};

inline std::string sampleBytes(const std::string& name) {
    std::ifstream file(std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class ReceiptIntakeFixture : public ::testing::Test {
protected:
    using Json = nlohmann::json;

    void SetUp() override {
        environment = makeDevice(root.path());
        ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment),
                                               AppEnvironment::AfterSignIn::nothing));
        organizationId = Json::parse(service.get("/admin/organizations").body)["organizations"][0]["id"];
    }

    std::unique_ptr<AppEnvironment> makeDevice(const std::filesystem::path& at) {
        AppEnvironment::Platform platform = quietPlatform();
        platform.documentPipeline = std::make_shared<FoundationModelsExtractionPipeline>(
            std::make_shared<TesseractOCRProvider>(), model);
        platform.uploadFileWriter = [this](const std::filesystem::path& target, const std::string& bytes) {
            if (diskFull)
                throw std::system_error(ENOSPC, std::generic_category(), "schrijven van " + target.string());
            writePrivateFileAtomically(target, bytes);
        };
        return std::make_unique<AppEnvironment>(*BaseUrl::parse(service.baseUrl()), AppPaths::under(at),
                                                diagnostics.sink(), std::move(platform));
    }

    // The service's inbox items, in the order they were made.
    std::vector<Json> inboxItems() const {
        std::vector<Json> items;
        const Json answer = Json::parse(
            service.get("/admin/records?org=" + organizationId + "&entityType=incomingInvoice").body);
        for (const Json& record : answer["records"])
            if (!record["payload"].contains("deletedAt")) items.push_back(record["payload"]);
        return items;
    }
    Json inboxItem(const std::string& id) const {
        for (const Json& item : inboxItems())
            if (item["id"] == id) return item;
        return nullptr;
    }
    std::vector<std::string> queueFolder() const { return environment->pendingUploadStore().entries(); }
    std::vector<PendingUploadRecord> rows() {
        return environment->repositories().pendingUploads.waitingUploads();
    }

    ServiceProcess service{ServiceProcess::demo()};
    TempDir root;
    Collected diagnostics;
    std::shared_ptr<SwitchableStructurer> model = std::make_shared<SwitchableStructurer>();
    bool diskFull = false;
    std::unique_ptr<AppEnvironment> environment;
    std::string organizationId;
};

}  // namespace zelvorin::testing
