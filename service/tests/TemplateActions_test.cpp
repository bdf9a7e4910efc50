#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceSendActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "service/templates/DocumentTemplateActions.h"
#include "service/templates/EmailTemplateActions.h"
#include "service/templates/MessagePreviewActions.h"
#include "service/templates/VariableActions.h"
#include "service/tests/DemoDraft.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

EmailTemplateChange renaming(const std::string& name) {
    EmailTemplateChange change;
    change.name = name;
    return change;
}

class TemplateActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    Caller caller(const std::string& organizationId = demoOrganizationId()) const {
        return {demoOwnerUserId(), organizationId, "apparaat-a", "sessie", std::nullopt};
    }

    // The kind of the ServiceError `action` throws, and that it wrote nothing at all.
    template <class Action>
    ErrorKind refusal(Action action) {
        const std::int64_t before = lastSequence();
        try {
            action();
        } catch (const ServiceError& error) {
            EXPECT_EQ(lastSequence(), before) << error.what();
            return error.kind();
        }
        return ErrorKind::internal;
    }

    std::int64_t lastSequence() {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    }

    std::vector<Json> emailTemplates(const std::string& type, const std::string& language = "nl") {
        std::vector<Json> found;
        for (const Json& t : listEmailTemplates(database, caller()))
            if (t.value("type", "") == type && t.value("language", "") == language) found.push_back(t);
        return found;
    }

    static int defaults(const std::vector<Json>& templates) {
        int count = 0;
        for (const Json& t : templates)
            count += t.value("isDefault", false) ? 1 : 0;
        return count;
    }

    std::vector<StoredRecord> documentTemplates() {
        return database.read([&](Connection& db) {
            std::vector<StoredRecord> live;
            for (StoredRecord& r : records::all(db, demoOrganizationId(), std::string("invoiceTemplate")))
                if (!r.deleted) live.push_back(std::move(r));
            return live;
        });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

TEST_F(TemplateActionsIntegrationTest, OneDefaultPerTypeAndLanguageThroughCreateSetDefaultAndDelete) {
    const Json seeded = emailTemplates("invoice").at(0);
    ASSERT_TRUE(seeded.value("isDefault", false));
    EXPECT_FALSE(seeded.contains("revision"));

    // Left empty, subject and body are the send sheet's defaults.
    const Json made = createEmailTemplate(database, caller(),
                                          {"Kort", "invoice", "nl", "", "", std::nullopt, "plain"}, kNow);
    EXPECT_EQ(made["subject"], "Factuur versturen");
    EXPECT_EQ(made["body"],
              "Beste {klant_naam},\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet");
    EXPECT_FALSE(made["isDefault"].get<bool>());

    setDefaultEmailTemplate(database, caller(), made["id"], kNow);
    std::vector<Json> invoices = emailTemplates("invoice");
    EXPECT_EQ(invoices.size(), 2u);
    EXPECT_EQ(defaults(invoices), 1);
    EXPECT_EQ(defaults(emailTemplates("invoice", "en")), 1);  // the English one keeps its own

    // Deleting the default hands it to the one that remains.
    deleteEmailTemplate(database, caller(), made["id"], kNow);
    invoices = emailTemplates("invoice");
    ASSERT_EQ(invoices.size(), 1u);
    EXPECT_EQ(invoices[0]["id"], seeded["id"]);
    EXPECT_TRUE(invoices[0]["isDefault"].get<bool>());

    // Without any template of its own for a type, the built-in default is offered, and stays as it is.
    for (const Json& note : listEmailTemplates(database, caller()))
        if (note["type"] == "credit_note") deleteEmailTemplate(database, caller(), note["id"], kNow);
    const std::vector<Json> builtin = emailTemplates("credit_note");
    ASSERT_EQ(builtin.size(), 1u);
    EXPECT_EQ(builtin[0]["id"], "standaard-credit_note");
    EXPECT_EQ(builtin[0]["subject"], "Creditnota versturen");
    EXPECT_EQ(refusal([&] {
                  changeEmailTemplate(database, caller(), "standaard-credit_note", renaming("X"), kNow);
              }),
              ErrorKind::conflict);
    EXPECT_EQ(refusal([&] { deleteEmailTemplate(database, caller(), "standaard-credit_note", kNow); }),
              ErrorKind::conflict);
    EXPECT_EQ(setDefaultEmailTemplate(database, caller(), "standaard-credit_note", kNow)["id"],
              "standaard-credit_note");
}

TEST_F(TemplateActionsIntegrationTest, APatchKeepsWhatIsLeftOutAndClearsWhatIsNull) {
    const Json seeded = emailTemplates("reminder_1").at(0);
    ASSERT_TRUE(seeded.contains("style"));
    EmailTemplateChange change;
    change.subject = "Nieuwe herinnering";
    change.style = std::optional<std::string>();  // null: clear
    const Json changed = changeEmailTemplate(database, caller(), seeded["id"], change, kNow);
    EXPECT_EQ(changed["subject"], "Nieuwe herinnering");
    EXPECT_EQ(changed["body"], seeded["body"]);
    EXPECT_EQ(changed["name"], seeded["name"]);
    EXPECT_TRUE(changed["style"].is_null());

    // Moved to a kind that already has a default, it is not a second one; the kind it left hands
    // its default to the template that remains.
    const Json other = createEmailTemplate(
        database, caller(), {"Nog een", "reminder_1", "nl", "", "", std::nullopt, std::nullopt}, kNow);
    EmailTemplateChange move;
    move.type = "reminder_2";
    changeEmailTemplate(database, caller(), seeded["id"], move, kNow);
    EXPECT_EQ(defaults(emailTemplates("reminder_2")), 1);
    const std::vector<Json> left = emailTemplates("reminder_1");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]["id"], other["id"]);
    EXPECT_TRUE(left[0]["isDefault"].get<bool>());
}

TEST_F(TemplateActionsIntegrationTest, RefusalsWriteNothing) {
    const std::string id = emailTemplates("invoice").at(0)["id"];
    const auto create = [&](EmailTemplateFields fields) {
        return [&, fields] { createEmailTemplate(database, caller(), fields, kNow); };
    };
    EXPECT_EQ(refusal(create({"X", "offerte", "nl", "", "", std::nullopt, std::nullopt})),
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal(create({"X", "invoice", "de", "", "", std::nullopt, std::nullopt})),
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal(create({"  ", "invoice", "nl", "", "", std::nullopt, std::nullopt})),
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal(create({"X", "invoice", "nl", "", "", std::string("weg"), std::nullopt})),
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal(create({"X", "invoice", "nl", "", "", std::nullopt, std::string("neon")})),
              ErrorKind::unprocessable);

    // Another organisation's template, variable or document template is not there for this caller.
    const Caller other = caller(secondOrganizationId());
    EXPECT_EQ(refusal([&] { changeEmailTemplate(database, other, id, renaming("Overgenomen"), kNow); }),
              ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { deleteEmailTemplate(database, other, id, kNow); }), ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { setDefaultEmailTemplate(database, other, id, kNow); }), ErrorKind::notFound);
    const std::string documentId = documentTemplates().at(0).id;
    EXPECT_EQ(refusal([&] { renameDocumentTemplate(database, other, documentId, "Van mij", kNow); }),
              ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { duplicateDocumentTemplate(database, other, documentId, kNow); }),
              ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { setInvoiceTemplate(database, caller(), "weg", documentId, kNow); }),
              ErrorKind::notFound);
}

TEST_F(TemplateActionsIntegrationTest, AnInvoiceMessageIsFilledFromTheInvoiceItsCustomerAndTheOrganisation) {
    database.write([&](Connection& db) {
        writeDemoDraft(db, "f-bericht", 1, 50000, {ChangeSource::push, demoOwnerUserId(), "apparaat-a"},
                       kNow);
    });
    createOwnVariable(database, caller(), {"Project code!", "text", "", "PRJ-7"}, kNow);
    const Json preview = previewInvoiceEmail(
        database, caller(), "f-bericht",
        "Beste {{klant_naam}},\nbedrag {bedrag}, nummer '{factuurnummer}', vóór {vervaldatum} "
        "({betaaltermijn} dagen) aan {{bedrijfsnaam}}: {project_code} {onbekend}");
    const std::string text = preview["text"];
    EXPECT_EQ(text.find("{"), text.find("{onbekend}")) << text;  // only the unknown one stays
    EXPECT_NE(text.find("bedrag € 605,00, nummer '', vóór 15-04-2026"), std::string::npos) << text;
    EXPECT_NE(text.find("Studio Zelvorin"), std::string::npos) << text;
    EXPECT_NE(text.find("PRJ-7"), std::string::npos) << text;
    EXPECT_NE(preview["html"].get<std::string>().find("<br>"), std::string::npos);

    // Own variables: the key comes from the label and is never taken twice, nor from a built-in one.
    EXPECT_EQ(variableKeyOf("Project code!"), "project_code");
    EXPECT_EQ(refusal([&] {
                  createOwnVariable(database, caller(), {"project-code", "text", "", ""}, kNow);
              }),
              ErrorKind::conflict);
    EXPECT_EQ(refusal([&] {
                  createOwnVariable(database, caller(), {"IBAN", "text", "", ""}, kNow);
              }),
              ErrorKind::conflict);
    EXPECT_EQ(refusal([&] {
                  createOwnVariable(database, caller(), {"Iets", "kleur", "", ""}, kNow);
              }),
              ErrorKind::unprocessable);

    // The template of a draft can change; of a sent invoice, whose PDF is kept, not.
    const std::string copy =
        duplicateDocumentTemplate(database, caller(), documentTemplates().at(0).id, kNow);
    EXPECT_EQ(setInvoiceTemplate(database, caller(), "f-bericht", copy, kNow)["templateId"], copy);
    MailOutbox outbox{dir.path() / "data"};
    sendInvoice(database, outbox, caller(), "f-bericht",
                {"boekhouding@bakkerij-jansen.nl", "Factuur", "Beste klant", std::nullopt, {}}, kNow);
    EXPECT_EQ(refusal([&] {
                  setInvoiceTemplate(database, caller(), "f-bericht", documentTemplates().at(0).id, kNow);
              }),
              ErrorKind::conflict);
    EXPECT_NE(previewInvoiceEmail(database, caller(), "f-bericht", "{factuurnummer}")["text"], "");
}

TEST_F(TemplateActionsIntegrationTest, DocumentTemplatesKeepOneDefaultPerTypeAndAtLeastOneTemplate) {
    const StoredRecord original = documentTemplates().at(0);
    ASSERT_EQ(documentTemplates().size(), 1u);
    EXPECT_EQ(refusal([&] { deleteDocumentTemplate(database, caller(), original.id, kNow); }),
              ErrorKind::conflict);

    const std::string copy = duplicateDocumentTemplate(database, caller(), original.id, kNow);
    renameDocumentTemplate(database, caller(), copy, "  Zakelijk  ", kNow);
    setDocumentTemplateDefaultFor(database, caller(), copy, "invoice", kNow);
    setDocumentTemplateDefaultForNew(database, caller(), copy, kNow);
    for (const StoredRecord& t : documentTemplates()) {
        const bool isCopy = t.id == copy;
        EXPECT_EQ(t.payload.contains("defaultFor") && t.payload.at("defaultFor") == "invoice", isCopy)
            << t.id;
        EXPECT_EQ(t.payload.value("isDefaultForNew", false), isCopy) << t.id;
        if (isCopy) {
            EXPECT_EQ(t.payload["name"], "Zakelijk");
            EXPECT_EQ(t.payload["config"], original.payload["config"]);
        }
    }
    EXPECT_EQ(refusal([&] { setDocumentTemplateDefaultFor(database, caller(), copy, "brief", kNow); }),
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal([&] { renameDocumentTemplate(database, caller(), copy, " ", kNow); }),
              ErrorKind::unprocessable);

    // A template a draft still uses stays until the draft has another.
    database.write([&](Connection& db) {
        writeDemoDraft(db, "f-sjabloon", 1, 1000, {ChangeSource::push, demoOwnerUserId(), "apparaat-a"},
                       kNow);
    });
    setInvoiceTemplate(database, caller(), "f-sjabloon", copy, kNow);
    EXPECT_EQ(refusal([&] { deleteDocumentTemplate(database, caller(), copy, kNow); }), ErrorKind::conflict);
    setInvoiceTemplate(database, caller(), "f-sjabloon", original.id, kNow);
    deleteDocumentTemplate(database, caller(), copy, kNow);
    EXPECT_EQ(documentTemplates().size(), 1u);

    setDocumentTemplateDefaultForNew(database, caller(), std::nullopt, kNow);
    EXPECT_FALSE(documentTemplates().at(0).payload.value("isDefaultForNew", true));
}

}  // namespace
}  // namespace zelvorin::service
