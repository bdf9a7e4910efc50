#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/tests/CliDevice.h"
#include "layout/ImageSource.h"

// The organisation's settings, fonts and integrations from the command line, against a real
// service: what is uploaded there reaches this device's files and its rendered invoices.
namespace zelvorin::testing {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";

class CliOrganisationIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(device.run("login --auto --email sanne@studiozelvorin.nl").exitCode, 0) << device.errors();
        ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    }

    Json runJson(const std::string& arguments) {
        const CliRun done = device.run(arguments + " --json");
        EXPECT_EQ(done.exitCode, 0) << arguments << ": " << device.errors();
        return done.exitCode == 0 ? Json::parse(done.out) : Json();
    }

    // Sets the typography of every invoice template of the demo organisation to `family`, as the
    // template designer of another device would.
    void useFamilyInTemplates(const std::string& family) {
        std::string organizationId = query(device, "SELECT organization_id FROM org_settings");
        while (!organizationId.empty() && organizationId.back() == '\n')
            organizationId.pop_back();
        const Json listed = Json::parse(
            device.service.get("/admin/records?org=" + organizationId + "&entityType=invoiceTemplate").body);
        for (const Json& record : listed["records"]) {
            Json payload = record["payload"];
            Json config = payload["config"].is_string() ? Json::parse(payload["config"].get<std::string>())
                                                        : payload["config"];
            config["typography"]["bodyFontFamily"] = family;
            config["typography"]["headingFontFamily"] = family;
            payload["config"] = payload["config"].is_string() ? Json(config.dump()) : config;
            const Json change{{"org", organizationId},
                              {"entityType", "invoiceTemplate"},
                              {"id", record["id"]},
                              {"payload", payload}};
            ASSERT_EQ(device.service.post("/admin/records", change.dump()).status, 200);
        }
    }

    std::string fontsOfRender(const std::string& invoiceId) {
        const std::filesystem::path pdf = device.root / (invoiceId + ".pdf");
        EXPECT_EQ(device.run("render " + invoiceId + " --pdf " + pdf.string()).exitCode, 0)
            << device.errors();
        return runCommand("pdffonts " + pdf.string());
    }

    CliDevice device;
};

TEST_F(CliOrganisationIntegrationTest, AnUploadedFontBecomesTheInvoiceFontAndLeavesWithItsDeletion) {
    const Json uploaded = runJson(std::string("fonts add ") + kSerif + " --family Huisletter");
    ASSERT_EQ(uploaded.value("family", ""), "Huisletter");
    EXPECT_EQ(uploaded.value("postscriptName", ""), "DejaVuSerif");
    const std::string variantId = uploaded["id"];
    const std::filesystem::path fonts = device.root / "Zelvorin" / "Fonts";
    const Json index = Json::parse(readFile(fonts / "variants.json"));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index[0]["variantId"], variantId);
    EXPECT_EQ(index[0]["family"], "Huisletter");
    EXPECT_EQ(index[0]["ext"], "ttf");
    EXPECT_EQ(readFile(fonts / (variantId + ".ttf")), readFile(kSerif));

    useFamilyInTemplates("Huisletter");
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    const std::string invoiceId = runJson("invoices")["invoices"].at(0).value("id", "");
    const std::string embedded = fontsOfRender(invoiceId);
    EXPECT_NE(embedded.find("DejaVuSerif"), std::string::npos) << embedded;
    for (std::size_t at = embedded.find("DejaVuSerif"); at != std::string::npos;
         at = embedded.find("DejaVuSerif", at + 1))
        EXPECT_NE(embedded.substr(at, embedded.find('\n', at) - at).find(" yes "), std::string::npos)
            << embedded;

    const Json listed = runJson("fonts list");
    ASSERT_EQ(listed["families"].size(), 1u);
    EXPECT_EQ(listed["families"][0]["variants"][0]["id"], variantId);
    const std::filesystem::path copy = device.root / "kopie.ttf";
    runJson("fonts get " + variantId + " --out " + copy.string());
    EXPECT_EQ(readFile(copy), readFile(kSerif));

    runJson("fonts rm " + variantId);
    EXPECT_TRUE(Json::parse(readFile(fonts / "variants.json")).empty());
    EXPECT_FALSE(std::filesystem::exists(fonts / (variantId + ".ttf")));
}

TEST_F(CliOrganisationIntegrationTest, AnUploadedLogoIsDrawnOnTheNextRender) {
    const std::string invoiceId = runJson("invoices")["invoices"].at(0).value("id", "");
    const std::filesystem::path pdf = device.root / "factuur.pdf";
    const auto images = [&] {
        EXPECT_EQ(device.run("render " + invoiceId + " --pdf " + pdf.string()).exitCode, 0)
            << device.errors();
        const std::string listed = runCommand("pdfimages -list " + pdf.string());
        return std::count(listed.begin(), listed.end(), '\n') - 2;  // below the two header lines
    };
    const long before = images();
    const std::filesystem::path logo = device.root / "logo.png";
    writeFile(logo, *dataUrlBytes(
                        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+"
                        "M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="));
    const Json uploaded = runJson("org logo " + logo.string());
    EXPECT_EQ(query(device, "SELECT logo_pdf_path FROM org_settings"),
              uploaded.value("logoPdfPath", "") + "\n");
    EXPECT_GT(images(), before);

    // An SVG logo is drawn as vectors: no picture in the PDF, but its colour on the page.
    const auto magentaOnPage = [&] {
        EXPECT_EQ(device.run("render " + invoiceId + " --pdf " + pdf.string()).exitCode, 0)
            << device.errors();
        return pagePixels(pdf.string(), 40, [](int r, int g, int b) { return r > 180 && g < 60 && b > 180; });
    };
    const long magentaBefore = magentaOnPage();
    const std::filesystem::path svg = device.root / "logo.svg";
    writeFile(svg, R"svg(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 40 20">)svg"
                   R"svg(<rect width="40" height="20" fill="#e60de6"/></svg>)svg");
    EXPECT_TRUE(runJson("org logo " + svg.string()).value("logoPath", "").ends_with("/logo.svg"));
    EXPECT_GT(magentaOnPage(), magentaBefore + 100);
}

TEST_F(CliOrganisationIntegrationTest, BadFilesAreRefusedInDutchAndChangeNothing) {
    const std::filesystem::path text = device.root / "logo.png";
    writeFile(text, "Dit is een tekstbestand met de naam van een logo.\n");
    const std::filesystem::path notAFont = device.root / "letter.ttf";
    writeFile(notAFont, "Ook geen lettertype.\n");
    const std::filesystem::path svg = device.root / "logo.svg";
    writeFile(svg, R"svg(<svg xmlns="http://www.w3.org/2000/svg"><script>alert(1)</script></svg>)svg");

    const Json before = runJson("org show");
    for (const auto& [arguments, expected] :
         {std::pair<std::string, std::string>{"org logo " + text.string(), "Het logo moet een PNG-"},
          {"org logo " + svg.string(), "bevat een script"},
          {"fonts add " + notAFont.string() + " --family Huisletter",
           "geen lettertype dat gelezen kan worden"},
          {"org set vatRateDefault=7", "btw-tarief moet 0, 9 of 21"},
          {"org set kleur=rood", "onbekende instelling"}}) {
        EXPECT_NE(device.run(arguments).exitCode, 0) << arguments;
        EXPECT_NE(device.errors().find(expected), std::string::npos) << arguments << ": " << device.errors();
    }
    EXPECT_EQ(runJson("org show"), before);
    EXPECT_TRUE(runJson("fonts list")["families"].empty());
}

TEST_F(CliOrganisationIntegrationTest, SettingsReachTheDeviceAndIntegrationKeysAreNeverShown) {
    const Json changed = runJson("org set paymentTermsDays=14 replyToEmail=boeken@studiozelvorin.nl");
    EXPECT_EQ(changed["paymentTermsDays"], 14);
    EXPECT_EQ(query(device, "SELECT payment_terms_days, reply_to_email FROM org_settings"),
              "14|boeken@studiozelvorin.nl\n");
    EXPECT_FALSE(runJson("org set replyToEmail=null").contains("replyToEmail"));
    EXPECT_EQ(query(device, "SELECT reply_to_email IS NULL FROM org_settings"), "1\n");

    const Json status = runJson("integrations key mollie live_heel_geheim");
    EXPECT_TRUE(status["mollieConfigured"].get<bool>());
    EXPECT_EQ(status.dump().find("live_heel_geheim"), std::string::npos);
    EXPECT_FALSE(runJson("integrations key mollie --remove")["mollieConfigured"].get<bool>());
    const Json dropbox = runJson("integrations set --auto-upload aan --folder /Boeken")["dropbox"];
    EXPECT_TRUE(dropbox["autoUpload"].get<bool>());
    EXPECT_FALSE(dropbox["connected"].get<bool>());
    EXPECT_EQ(dropbox["folderTemplate"], "/Boeken");
}

TEST_F(CliOrganisationIntegrationTest, ProfilePhotoAndACustomersAvatar) {
    const Json changed = runJson("profile set --name 'Sanne van Dijk' --phone '030 123 45 67'");
    EXPECT_EQ(changed["name"], "Sanne van Dijk");
    EXPECT_EQ(changed["phone"], "030 123 45 67");
    EXPECT_FALSE(runJson("profile set --clear-phone").contains("phone"));
    EXPECT_NE(device.run("profile set --phone 'bel me maar'").exitCode, 0);
    EXPECT_NE(device.errors().find("geen telefoonnummer"), std::string::npos) << device.errors();

    const std::filesystem::path picture = device.root / "foto.png";
    writeFile(
        picture,
        *dataUrlBytes("data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+"
                      "M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="));
    const std::string image = runJson("profile photo " + picture.string())["image"];
    EXPECT_EQ(runJson("profile show")["image"], image);

    std::string customerId = query(device, "SELECT id FROM customer ORDER BY id LIMIT 1");
    customerId.pop_back();
    const Json avatar = runJson("avatar customer " + customerId + " " + picture.string());
    EXPECT_TRUE(avatar["avatarUrl"].get<std::string>().starts_with("api/uploads/avatars/"));
    EXPECT_EQ(
        query(device, "SELECT avatar_url, revision FROM customer WHERE id = '" + customerId + "'"),
        avatar["avatarUrl"].get<std::string>() + "|" + std::to_string(avatar["revision"].get<int>()) + "\n");
    // A sync after it finds nothing to change: the row already has the service's revision.
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    EXPECT_EQ(query(device, "SELECT sync_state FROM customer WHERE id = '" + customerId + "'"), "synced\n");
}

}  // namespace
}  // namespace zelvorin::testing
