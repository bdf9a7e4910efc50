#include <gtest/gtest.h>

#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"
#include "persistence/ScalarStatements.h"
#include "persistence/sqlite/Connection.h"
#include "screens/CustomerFormModel.h"
#include "screens/InvoiceEditorModel.h"
#include "screens/tests/EditorDatabaseTest.h"

namespace zelvorin {
namespace {

constexpr const char* kNotSavedReference =
    "De referentie is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";

// One draft in a real database file, opened in the editor as the window opens it.
class InvoiceEditorModelTest : public EditorDatabaseTest {
protected:
    InvoiceEditorModelTest() {
        bakker_ = CustomerFormModel(customers_, organisation_).add({"Bakker", "Ede", "NL", "", ""});
        draft_ = invoices_.createDraft(bakker_.id, "2026-03-16");
        editor_ = std::make_unique<InvoiceEditorModel>(invoices_, customers_, *clock_, draft_.id);
        editor_->reload();
    }
    DraftInvoiceRecord stored() { return *invoices_.invoice(draft_.id); }
    void addThreeLines() {
        ASSERT_TRUE(editor_->addLine({"", "Ontwerp", "hours_rate", "1,5", "85,00", "", ""}));
        ASSERT_TRUE(editor_->addLine({"", "Drukwerk", "qty_price", "3", "12,50", "", "nl_9"}));
        ASSERT_TRUE(editor_->addLine({"", "Licentie", "fixed", "", "", "200", "verlegd"}));
    }
    // Another process holds the write lock; the editor's writer gives up at once instead of after
    // its usual wait.
    std::unique_ptr<Connection> lockDatabase() {
        database_.writer->write([](Connection& db) { db.setBusyTimeout(0); });
        auto other = std::make_unique<Connection>(Connection::open(dir_ / "zelvorin.sqlite"));
        other->exec("BEGIN EXCLUSIVE");
        return other;
    }
    CustomerRecord customerWithRate(const std::string& name, std::int64_t rateCents) {
        CustomerRecord customer =
            CustomerFormModel(customers_, organisation_).add({name, "Ede", "NL", "", ""});
        customer.defaultHourlyRate = rateCents;
        return customers_.updateCustomer(customer, {"defaultHourlyRate"});
    }

    CustomerRecord bakker_;
    DraftInvoiceRecord draft_;
    std::unique_ptr<InvoiceEditorModel> editor_;
};

TEST_F(InvoiceEditorModelTest, LinesOfEveryModeGiveTheTotalsBesideThemAndTheInspectorsState) {
    EXPECT_EQ(editor_->loadState(), RecordLoadState::found);
    EXPECT_EQ(editor_->numberText(), "Nummer volgt bij verzenden");
    EXPECT_EQ(editor_->statusText(), "Concept");
    EXPECT_FALSE(editor_->nextAction());  // a draft has no next step yet
    addThreeLines();

    ASSERT_EQ(editor_->lines().size(), 3u);
    EXPECT_EQ(editor_->lineExclCents(0), 12750);
    EXPECT_EQ(editor_->lineExclCents(1), 3750);
    EXPECT_EQ(editor_->lineExclCents(2), 20000);
    const InvoiceEditorModel::Totals totals = editor_->totals();
    EXPECT_EQ(totals.groups.at(VatTreatment::nl21).vatCents, 2678);  // 2677,5 rounded half up
    EXPECT_EQ(totals.groups.at(VatTreatment::nl9).vatCents, 338);    // 337,5
    EXPECT_EQ(totals.groups.at(VatTreatment::verlegd).vatCents, 0);
    EXPECT_EQ(totals.subtotalCents, 36500);
    EXPECT_EQ(totals.totalCents, 36500 + 2678 + 338);
    // The totals shown are the ones stored with the invoice.
    EXPECT_EQ(stored().totalCents, totals.totalCents);
    EXPECT_EQ(editor_->lineText(editor_->lines()[0].id, "qty"), "1,5");
    EXPECT_EQ(editor_->lineText(editor_->lines()[1].id, "price"), "12,50");

    EXPECT_FALSE(editor_->addLine({"", "", "fixed", "", "", "10", ""}));
    EXPECT_EQ(editor_->message(), "Vul een omschrijving in.");
    EXPECT_EQ(editor_->lines().size(), 3u);

    EXPECT_EQ(InvoiceEditorModel(invoices_, customers_, *clock_, "nope").loadState(),
              RecordLoadState::loading);
    InvoiceEditorModel missing(invoices_, customers_, *clock_, "nope");
    missing.reload();
    EXPECT_EQ(missing.loadState(), RecordLoadState::notFound);
}

TEST_F(InvoiceEditorModelTest, UndoWritesTheEarlierValuesBackAndRedoTheLaterOnes) {
    addThreeLines();
    ASSERT_TRUE(editor_->setHeader("referenceNumber", "PO-7"));
    const std::string ontwerp = editor_->lines()[0].id;
    ASSERT_TRUE(editor_->setLine(ontwerp, "qty", "2"));
    EXPECT_EQ(editor_->lineExclCents(0), 17000);
    ASSERT_TRUE(editor_->deleteLine(editor_->lines()[2].id));
    const std::int64_t changesBeforeUndo = queued();

    // Each undo is a write of its own, queued for the service like the edit it takes back.
    ASSERT_TRUE(editor_->undo());  // the licence line comes back
    ASSERT_EQ(editor_->lines().size(), 3u);
    EXPECT_EQ(editor_->lines()[2].description, "Licentie");
    EXPECT_EQ(editor_->lines()[2].vatTreatmentOverride, "verlegd");
    ASSERT_TRUE(editor_->undo());  // 2 hours back to 1,5
    EXPECT_EQ(editor_->lineExclCents(0), 12750);
    ASSERT_TRUE(editor_->undo());
    EXPECT_EQ(stored().referenceNumber, std::nullopt);
    EXPECT_GT(queued(), changesBeforeUndo);

    ASSERT_TRUE(editor_->redo());
    EXPECT_EQ(stored().referenceNumber, "PO-7");
    ASSERT_TRUE(editor_->redo());
    EXPECT_EQ(editor_->lineExclCents(0), 17000);
    ASSERT_TRUE(editor_->redo());
    EXPECT_EQ(editor_->lines().size(), 2u);

    // Undo down to the adds: the line that came back under a new id is still the one undone.
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(editor_->undo()) << i;
    EXPECT_TRUE(editor_->lines().empty());
    EXPECT_EQ(stored().totalCents, 0);
    EXPECT_FALSE(editor_->canUndo());
    EXPECT_FALSE(editor_->undo());
    EXPECT_EQ(editor_->message(), "");

    // A new edit after undoing drops what could have been redone.
    ASSERT_TRUE(editor_->redo());
    ASSERT_TRUE(editor_->setHeader("projectDescription", "Huisstijl"));
    EXPECT_FALSE(editor_->canRedo());
}

TEST_F(InvoiceEditorModelTest, ASaveThatFailsKeepsWhatWasTypedAndUndoDropsIt) {
    ASSERT_TRUE(editor_->setHeader("referenceNumber", "PO-1"));
    const std::int64_t changes = queued();
    {
        const auto lock = lockDatabase();
        EXPECT_FALSE(editor_->setHeader("referenceNumber", "PO-2"));
        EXPECT_EQ(editor_->message(), kNotSavedReference);
        EXPECT_EQ(editor_->fieldText("referenceNumber"), "PO-2");
        EXPECT_FALSE(editor_->setHeader("issueDate", "2026-03-20"));
        EXPECT_EQ(
            editor_->message(),
            "De nieuwe factuurdatum is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.");
        EXPECT_FALSE(editor_->setHeader("idealEnabled", "ja"));
        EXPECT_EQ(editor_->message(),
                  "De wijziging in de instellingen is niet opgeslagen. Probeer het opnieuw.");
        EXPECT_FALSE(editor_->deleteInvoice());
        EXPECT_EQ(editor_->message(), "De factuur is niet verwijderd. Probeer het opnieuw.");
        EXPECT_FALSE(editor_->addLine({"", "Ontwerp", "hours_rate", "1", "85", "", ""}));
        EXPECT_EQ(editor_->message(),
                  "De regelwijziging is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.");

        // Undo first forgets what could not be saved, without writing.
        EXPECT_TRUE(editor_->canUndo());
        ASSERT_TRUE(editor_->undo());
        EXPECT_EQ(editor_->fieldText("referenceNumber"), "PO-1");
        EXPECT_EQ(editor_->message(), "");
        // The saved change cannot be undone while the lock holds, and says so.
        EXPECT_FALSE(editor_->undo());
        EXPECT_EQ(editor_->message(),
                  "Ongedaan maken is niet volledig gelukt — niet alle wijzigingen zijn hersteld. Probeer het "
                  "opnieuw.");
        EXPECT_EQ(queued(), changes);
        EXPECT_EQ(stored().referenceNumber, "PO-1");
        lock->exec("ROLLBACK");
    }
    ASSERT_TRUE(editor_->undo());
    EXPECT_EQ(stored().referenceNumber, std::nullopt);

    // A value that does not parse is refused before anything is written, and stays as typed.
    EXPECT_FALSE(editor_->setHeader("dueDate", "morgen"));
    EXPECT_NE(editor_->message().find("'morgen'"), std::string::npos);
    EXPECT_EQ(editor_->fieldText("dueDate"), "morgen");
    EXPECT_EQ(stored().dueDate, "2026-03-30");
}

TEST_F(InvoiceEditorModelTest, WhatTheCustomerReceivedIsReadOnlyOnceSent) {
    addThreeLines();
    database_.writer->write([&](Connection& db) {
        db.exec("UPDATE draft_invoice SET status = 'sent', invoice_number = '2026-0007' WHERE id = '" +
                draft_.id + "'");
    });
    editor_->reload();
    const std::int64_t changes = queued();
    EXPECT_EQ(editor_->numberText(), "2026-0007");
    EXPECT_FALSE(editor_->contentEditable());
    EXPECT_FALSE(editor_->headerFieldEditable("issueDate"));
    EXPECT_FALSE(editor_->setHeader("referenceNumber", "PO-9"));
    EXPECT_EQ(editor_->message(), SentInvoiceContent::kRefusal);
    EXPECT_EQ(editor_->fieldText("referenceNumber"), "");  // nothing typed is kept on a refusal
    EXPECT_FALSE(editor_->setLine(editor_->lines()[0].id, "qty", "5"));
    EXPECT_FALSE(editor_->deleteLine(editor_->lines()[0].id));
    EXPECT_FALSE(editor_->addLine({"", "Extra", "fixed", "", "", "10", ""}));
    EXPECT_FALSE(editor_->deleteInvoice());
    EXPECT_EQ(queued(), changes);

    // The organisation's own note and the payment switches still change.
    EXPECT_TRUE(editor_->setHeader("internalNote", "Belt volgende week"));
    EXPECT_TRUE(editor_->setHeader("idealEnabled", "ja"));
    EXPECT_EQ(stored().idealEnabled, true);
    ASSERT_TRUE(editor_->undo());
    EXPECT_EQ(stored().idealEnabled.value_or(false), false);
}

TEST_F(InvoiceEditorModelTest, ANewCustomersRateGoesOnEveryHourLineAsOneChange) {
    addThreeLines();
    ASSERT_TRUE(editor_->addLine({"", "Overleg", "hours_rate", "0,5", "60", "", ""}));
    const CustomerRecord jansen = customerWithRate("Jansen BV", 9500);

    ASSERT_TRUE(editor_->setHeader("customerId", jansen.id));
    ASSERT_TRUE(editor_->rateQuestion());
    EXPECT_EQ(editor_->rateQuestion()->text,
              "Jansen BV heeft een standaard uurtarief van € 95,00. Wil je dit toepassen op de bestaande "
              "uren-regels?");
    ASSERT_TRUE(editor_->applyCustomerRate());
    EXPECT_EQ(editor_->lines()[0].unitPriceCents, 9500);
    EXPECT_EQ(editor_->lines()[1].unitPriceCents, 1250);  // a quantity line keeps its price
    EXPECT_EQ(editor_->lines()[3].unitPriceCents, 9500);

    ASSERT_TRUE(editor_->undo());  // both hour lines at once
    EXPECT_EQ(editor_->lines()[0].unitPriceCents, 8500);
    EXPECT_EQ(editor_->lines()[3].unitPriceCents, 6000);
    EXPECT_EQ(stored().customerId, jansen.id);
    ASSERT_TRUE(editor_->undo());
    EXPECT_EQ(stored().customerId, bakker_.id);

    // Reverse charge needs the customer's VAT number; a customer that does not exist is refused.
    EXPECT_FALSE(editor_->setHeader("vatTreatment", "verlegd"));
    EXPECT_EQ(editor_->message(), "BTW verlegd kan alleen bij een klant met een btw-nummer.");
    EXPECT_EQ(stored().vatTreatment, "nl_21");
    EXPECT_FALSE(editor_->setHeader("customerId", "geen-klant"));
    EXPECT_EQ(stored().customerId, bakker_.id);
}

}  // namespace
}  // namespace zelvorin
