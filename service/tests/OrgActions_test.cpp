#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "layout/ImageSource.h"
#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/org/FontActions.h"
#include "service/org/IntegrationActions.h"
#include "service/org/LogoActions.h"
#include "service/org/OrgSettingsActions.h"
#include "service/org/ProfileActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"
#include "service/tests/DemoDraft.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};
constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A real 1 × 1 PNG, and the header of one that claims `width` × `height` (nothing behind it).
std::string tinyPng() {
    return *dataUrlBytes(
        "data:image/"
        "png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+"
        "M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
}
std::string pngHeader(std::uint32_t width, std::uint32_t height) {
    std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8);
    for (const std::uint32_t side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>((side >> shift) & 0xFF);
    return bytes + std::string("\x08\x06\0\0\0\0\0\0\0", 9);
}

// The first bytes of a WebP (an extended one of 64 × 64): enough for its header to be read.
std::string webpHeader() {
    std::string bytes = std::string("RIFF\x16\0\0\0WEBPVP8X\x0a\0\0\0\0\0\0\0", 24);
    return bytes + std::string("\x3f\0\0\x3f\0\0", 6);
}

class OrgActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    Caller caller() const {
        return {demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    }

    // The kind of the ServiceError `action` throws, and that no record changed.
    template <class Action>
    ErrorKind refusal(Action action) {
        const std::int64_t before = lastSequence();
        try {
            action();
        } catch (const ServiceError& error) {
            EXPECT_EQ(lastSequence(), before) << error.what();
            return error.kind();
        }
        ADD_FAILURE() << "accepted";
        return ErrorKind::internal;
    }
    std::int64_t lastSequence() {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    }
    long magentaOnPdf(const std::string& invoiceId) {
        const std::filesystem::path pdf = dir.path() / (invoiceId + "-kleur.pdf");
        std::ofstream(pdf, std::ios::binary) << invoicePreviewPdf(database, caller(), invoiceId, kNow);
        return testing::pagePixels(pdf.string(), 40,
                                   [](int r, int g, int b) { return r > 180 && g < 60 && b > 180; });
    }
    StoredRecord settingsRecord() {
        return *database.read([](Connection& db) { return orgsettings::current(db, demoOrganizationId()); });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

TEST_F(OrgActionsIntegrationTest, SettingsPatchSetsClearsAndRefusesWholeBodies) {
    const StoredRecord before = settingsRecord();
    patchOrgSettings(database, caller(),
                     Json{{"replyToEmail", "boekhouding@studiozelvorin.nl"}, {"paymentTermsDays", 14}}, kNow);
    patchOrgSettings(database, caller(), Json{{"defaultHourlyRate", nullptr}}, kNow);
    const StoredRecord after = settingsRecord();
    EXPECT_EQ(after.id, before.id);
    EXPECT_EQ(after.revision, before.revision + 2);  // each patch a change devices pull
    EXPECT_EQ(after.payload["replyToEmail"], "boekhouding@studiozelvorin.nl");
    EXPECT_EQ(after.payload["paymentTermsDays"], 14);
    EXPECT_TRUE(after.payload["defaultHourlyRate"].is_null());
    EXPECT_EQ(after.payload["orgName"], before.payload["orgName"]);  // left out: kept
    const Json answered = orgSettings(database, caller());
    EXPECT_EQ(answered["paymentTermsDays"], 14);
    EXPECT_FALSE(answered.contains("revision"));

    // One bad member refuses the whole body, including the good member beside it.
    for (const Json& bad : {Json{{"orgName", "Nieuw"}, {"kleur", "rood"}}, Json{{"paymentTermsDays", "14"}},
                            Json{{"vatRateDefault", 7}}, Json{{"orgName", nullptr}}, Json{{"orgName", "  "}},
                            Json{{"replyToEmail", "geen-adres"}}, Json{{"defaultLanguage", "de"}},
                            Json{{"portalShowLogo", "ja"}}})
        EXPECT_EQ(refusal([&] { patchOrgSettings(database, caller(), bad, kNow); }), ErrorKind::unprocessable)
            << bad.dump();
    EXPECT_EQ(settingsRecord().payload["orgName"], before.payload["orgName"]);
}

TEST_F(OrgActionsIntegrationTest, LogoIsJudgedByContentAndDrawnOnTheNextInvoicePdf) {
    EXPECT_EQ(refusal([&] { uploadLogo(database, caller(), "", kNow); }), ErrorKind::badRequest);
    EXPECT_EQ(refusal([&] { uploadLogo(database, caller(), "Dit is een tekstbestand, geen logo.\n", kNow); }),
              ErrorKind::unsupportedMediaType);
    EXPECT_EQ(refusal([&] { uploadLogo(database, caller(), pngHeader(40'000, 40'000), kNow); }),
              ErrorKind::payloadTooLarge);
    EXPECT_EQ(refusal([&] {
                  uploadLogo(database, caller(), tinyPng() + std::string(2 * 1024 * 1024, '\0'), kNow);
              }),
              ErrorKind::payloadTooLarge);
    const std::string svgOpen = R"svg(<?xml version="1.0"?><svg xmlns="http://www.w3.org/2000/svg" )svg";
    for (const std::string& hostile : {
             svgOpen + R"svg(><script>alert(1)</script></svg>)svg",
             svgOpen + R"svg(onload="alert(1)"><rect width="1" height="1"/></svg>)svg",
             svgOpen + R"svg(><image href="https://elders.example/pixel.png"/></svg>)svg",
             svgOpen + R"svg(><rect style="fill:url(http://elders.example/p.svg#a)"/></svg>)svg",
             std::string(R"svg(<!DOCTYPE svg [<!ENTITY x SYSTEM "file:///etc/passwd">]><svg>&x;</svg>)svg"),
         })
        EXPECT_EQ(refusal([&] { uploadLogo(database, caller(), hostile, kNow); }), ErrorKind::badRequest)
            << hostile;
    database.write([&](Connection& db) {
        writeDemoDraft(db, "logo-factuur", 1, 10'000,
                       Actor{ChangeSource::route, demoOwnerUserId(), "apparaat-a"}, kNow);
    });
    const auto imagesOnPdf = [&] {
        const std::filesystem::path pdf = dir.path() / "logo.pdf";
        std::ofstream(pdf, std::ios::binary) << invoicePreviewPdf(database, caller(), "logo-factuur", kNow);
        const std::string listed = testing::runCommand("pdfimages -list " + pdf.string());
        return std::count(listed.begin(), listed.end(), '\n') - 2;  // below the two header lines
    };
    const long withoutLogo = imagesOnPdf();
    const long magentaWithoutLogo = magentaOnPdf("logo-factuur");
    // WebP cannot be printed, and an SVG with nothing to size it by cannot be placed.
    EXPECT_EQ(refusal([&] { uploadLogo(database, caller(), webpHeader(), kNow); }),
              ErrorKind::unsupportedMediaType);
    EXPECT_EQ(
        refusal([&] { uploadLogo(database, caller(), svgOpen + R"svg(><rect width="4"/></svg>)svg", kNow); }),
        ErrorKind::unsupportedMediaType);
    // Internal references stay allowed; the SVG is drawn as vectors, so the PDF gains no picture.
    const std::string harmless =
        svgOpen +
        R"svg(viewBox="0 0 40 20"><defs><linearGradient id="g"><stop offset="0" stop-color="#e60de6"/>)svg" +
        R"svg(<stop offset="1" stop-color="#e60de6"/></linearGradient></defs><rect width="40" height="20" )svg" +
        R"svg(fill="url(#g)"/></svg>)svg";
    const Json svg = uploadLogo(database, caller(), harmless, kNow);
    EXPECT_TRUE(svg["logoPath"].get<std::string>().ends_with("/logo.svg"));
    EXPECT_EQ(imagesOnPdf(), withoutLogo);
    EXPECT_GT(magentaOnPdf("logo-factuur"), magentaWithoutLogo + 100);
    const Json png = uploadLogo(database, caller(), tinyPng(), kNow);
    const StoredRecord settings = settingsRecord();
    EXPECT_EQ(settings.payload["logoPath"], png["logoPath"]);
    EXPECT_EQ(settings.payload["logoPdfPath"], png["logoPdfPath"]);
    const std::optional<StoredFile> stored = database.read([&](Connection& db) {
        return storedfiles::find(db, demoOrganizationId(), png["logoPath"].get<std::string>());
    });
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->contentType, "image/png");
    EXPECT_GT(imagesOnPdf(), withoutLogo);
}

TEST_F(OrgActionsIntegrationTest, FontsAreFacesFreeTypeOpensOnePerFamilyWeightAndStyle) {
    const std::string dejaVu = fileBytes(kDejaVu);
    ASSERT_FALSE(dejaVu.empty());
    const auto fontCount = [&] { return listFonts(database, caller())["families"].size(); };
    for (const std::string& bad : {std::string("Dit is geen lettertype.\n"), dejaVu.substr(0, 2048),
                                   std::string("wOFF") + dejaVu.substr(4)}) {
        try {
            uploadFont(database, caller(), bad, "Huisletter", kNow);
            ADD_FAILURE() << "a font FreeType cannot open was accepted";
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::unsupportedMediaType);
        }
    }
    EXPECT_THROW(uploadFont(database, caller(), "", "Huisletter", kNow), ServiceError);
    EXPECT_EQ(fontCount(), 0u);

    const Json uploaded = uploadFont(database, caller(), dejaVu, "Huisletter", kNow);
    EXPECT_EQ(uploaded["family"], "Huisletter");
    EXPECT_EQ(uploaded["weight"], 400);
    EXPECT_EQ(uploaded["style"], "normal");
    EXPECT_EQ(uploaded["postscriptName"], "DejaVuSans");
    const Json bold =
        uploadFont(database, caller(), fileBytes("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"),
                   "Huisletter", kNow);
    EXPECT_EQ(bold["weight"], 700);
    try {
        uploadFont(database, caller(), dejaVu, "Huisletter", kNow);
        ADD_FAILURE() << "the same face twice";
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::conflict);
    }
    const Json families = listFonts(database, caller())["families"];
    ASSERT_EQ(families.size(), 1u);
    ASSERT_EQ(families[0]["variants"].size(), 2u);
    EXPECT_EQ(families[0]["variants"][1]["id"], bold["id"]);
    EXPECT_EQ(fontFile(database, caller(), uploaded["id"]).bytes, dejaVu);

    deleteFont(database, caller(), uploaded["id"]);
    EXPECT_EQ(listFonts(database, caller())["families"][0]["variants"].size(), 1u);
    EXPECT_THROW(fontFile(database, caller(), uploaded["id"]), ServiceError);
    EXPECT_FALSE(database.read([&](Connection& db) {
        return storedfiles::find(db, demoOrganizationId(), uploaded["storageKey"].get<std::string>());
    }));
    // Another organisation sees none of them.
    const Caller stranger{demoOwnerUserId(), "andere-organisatie", "apparaat-b", "sessie-b", std::nullopt};
    EXPECT_TRUE(listFonts(database, stranger)["families"].empty());
    EXPECT_THROW(deleteFont(database, stranger, bold["id"]), ServiceError);
}

TEST_F(OrgActionsIntegrationTest, ProfileAndAvatarsLandWhereTheyAreRead) {
    const Json changed =
        patchProfile(database, caller(), Json{{"name", "Iris de Vries"}, {"phone", "06-12345678"}});
    EXPECT_EQ(changed["name"], "Iris de Vries");
    EXPECT_EQ(profile(database, caller())["phone"], "06-12345678");
    EXPECT_THROW(patchProfile(database, caller(), Json{{"name", "Iris"}, {"phone", "bel me"}}), ServiceError);
    EXPECT_THROW(patchProfile(database, caller(), Json{{"name", "Iris"}, {"email", "x@y.nl"}}), ServiceError);
    EXPECT_EQ(profile(database, caller())["name"], "Iris de Vries");
    EXPECT_FALSE(
        patchProfile(database, caller(), Json{{"name", "Iris"}, {"phone", nullptr}}).contains("phone"));

    const Json photo = uploadProfilePhoto(database, caller(), tinyPng(), kNow);
    EXPECT_EQ(profile(database, caller())["image"], photo["image"]);
    EXPECT_THROW(uploadProfilePhoto(database, caller(), "<svg/>", kNow), ServiceError);

    const StoredRecord customer = database.read(
        [](Connection& db) { return records::all(db, demoOrganizationId(), std::string("customer"))[0]; });
    const Json avatar = uploadAvatar(database, caller(), "customer", customer.id, tinyPng(), kNow);
    const StoredRecord updated = *database.read(
        [&](Connection& db) { return records::find(db, demoOrganizationId(), "customer", customer.id); });
    EXPECT_EQ(updated.payload["avatarUrl"], avatar["avatarUrl"]);
    EXPECT_EQ(avatar["serverRevision"], updated.revision);
    EXPECT_EQ(updated.revision, customer.revision + 1);
    EXPECT_EQ(refusal([&] { uploadAvatar(database, caller(), "customer", "bestaat-niet", tinyPng(), kNow); }),
              ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { uploadAvatar(database, caller(), "invoice", customer.id, tinyPng(), kNow); }),
              ErrorKind::badRequest);
    EXPECT_EQ(refusal([&] {
                  uploadAvatar(database, caller(), "customer", customer.id, pngHeader(9000, 10), kNow);
              }),
              ErrorKind::payloadTooLarge);
}

TEST_F(OrgActionsIntegrationTest, IntegrationsAreOffKeysStayHiddenAndSettingsReadBack) {
    const std::string secret = "live_geheim_1234567890";
    setIntegrationKey(database, caller(), Json{{"provider", "mollie"}, {"value", secret}}, kNow);
    patchIntegrations(database, caller(),
                      Json{{"dropboxAutoUpload", "true"}, {"dropboxFolderTemplate", "/Boeken/{jaar}"}}, kNow);
    Json status = integrationStatus(database, caller());
    EXPECT_TRUE(status["mollieConfigured"].get<bool>());
    EXPECT_FALSE(status["resendConfigured"].get<bool>());
    EXPECT_EQ(status.dump().find(secret), std::string::npos);
    for (const char* service : {"google", "dropbox", "bunq"})
        EXPECT_FALSE(status[service]["connected"].get<bool>()) << service;
    EXPECT_TRUE(status["dropbox"]["autoUpload"].get<bool>());
    EXPECT_EQ(status["dropbox"]["folderTemplate"], "/Boeken/{jaar}");

    setIntegrationKey(database, caller(), Json{{"provider", "mollie"}, {"value", nullptr}}, kNow);
    EXPECT_FALSE(integrationStatus(database, caller())["mollieConfigured"].get<bool>());
    for (const Json& bad : {Json{{"provider", "stripe"}, {"value", "x"}}, Json{{"provider", "mollie"}},
                            Json{{"provider", "mollie"}, {"value", ""}}})
        EXPECT_THROW(setIntegrationKey(database, caller(), bad, kNow), ServiceError) << bad.dump();
    EXPECT_THROW(patchIntegrations(database, caller(), Json{{"dropboxAutoUpload", true}}, kNow),
                 ServiceError);
    EXPECT_THROW(patchIntegrations(database, caller(), Json{{"googleAutoUpload", "true"}}, kNow),
                 ServiceError);
    EXPECT_EQ(integrationStatus(database, caller())["dropbox"]["folderTemplate"], "/Boeken/{jaar}");
    try {
        refuseOutsideProvider("bunq");
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.httpStatus(), 422);
        EXPECT_NE(std::string(error.what()).find("niet beschikbaar"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelvorin::service
