#include <gtest/gtest.h>

#include "domain/Timestamps.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"
#include "screens/CustomerFormModel.h"
#include "screens/InvoiceHeaderModel.h"
#include "screens/InvoiceOverview.h"
#include "screens/LineEditorModel.h"
#include "screens/tests/EditorDatabaseTest.h"
#include "testing/TempDir.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

using Kind = PersistenceError::Kind;

template <class Action>
std::optional<InputError::Kind> refusedAs(Action&& action) {
    try {
        action();
    } catch (const InputError& error) {
        return error.kind();
    }
    return std::nullopt;
}

class EditorModelsIntegrationTest : public EditorDatabaseTest {
protected:
    std::string lastChangedFields() {
        return database_.writer->read([](Connection& db) {
            Statement& last =
                db.cached("SELECT changed_fields FROM outbox_change ORDER BY rowid DESC LIMIT 1");
            const std::string fields = last.step() ? last.text(0) : "";
            last.reset();
            return fields;
        });
    }
    CustomerRecord customer(const std::string& name) {
        CustomerFormModel form(customers_, organisation_);
        return form.add({name, "Ede", "NL", "", ""});
    }
};

TEST_F(EditorModelsIntegrationTest, HeaderEditsAreCheckedAsTypedAndSavedAsTheFieldsThatChanged) {
    const CustomerRecord bakker = customer("Bakker");
    EXPECT_EQ(bakker.organizationId, "org-1");
    InvoiceHeaderModel header(invoices_, customers_, *clock_);
    int changes = 0;
    header.setOnChange([&] { ++changes; });

    const DraftInvoiceRecord draft = header.createDraft(bakker.id, "");
    EXPECT_EQ(draft.issueDate, "2026-03-16");  // today by the clock
    EXPECT_EQ(draft.dueDate, "2026-03-30");    // the organisation's 14 days

    header.set("referenceNumber", "PO-1");
    header.set("idealEnabled", "ja");
    header.set("dueDate", "");
    const int before = changes;
    EXPECT_EQ(refusedAs([&] { header.set("issueDate", "16-03-2026"); }), InputError::Kind::invalidValue);
    EXPECT_EQ(refusedAs([&] { header.set("status", "paid"); }), InputError::Kind::unknownField);
    EXPECT_EQ(changes, before);  // a refusal changes nothing and repaints nothing
    EXPECT_EQ(header.invoice().issueDate, "2026-03-16");

    const DraftInvoiceRecord saved = header.save();
    EXPECT_EQ(saved.referenceNumber, "PO-1");
    EXPECT_EQ(saved.idealEnabled, true);
    EXPECT_EQ(saved.dueDate, std::nullopt);
    EXPECT_EQ(invoices_.invoice(draft.id)->referenceNumber, "PO-1");
    EXPECT_EQ(lastChangedFields(), R"(["referenceNumber","idealEnabled","dueDate"])");

    EXPECT_EQ(testing::thrownKind([&] { header.load("weg"); }), Kind::notFound);
    const std::int64_t written = queued();
    EXPECT_EQ(testing::thrownKind([&] { header.createDraft("weg", "2026-03-01"); }), Kind::notFound);
    EXPECT_EQ(refusedAs([&] { header.createDraft(bakker.id, "morgen"); }), InputError::Kind::invalidValue);
    EXPECT_EQ(queued(), written);
}

TEST_F(EditorModelsIntegrationTest, LinesNeedWhatTheirModePricesByAndGoAfterTheOthers) {
    const DraftInvoiceRecord draft = invoices_.createDraft(customer("Bakker").id, "2026-03-16");
    LineEditorModel lines(invoices_);
    const std::int64_t written = queued();
    EXPECT_EQ(refusedAs([&] {
                  lines.add({draft.id, "Drukwerk", "fixed", "", "", "", ""});
              }),
              InputError::Kind::missingValue);
    EXPECT_EQ(refusedAs([&] {
                  lines.add({draft.id, "Uren", "hours_rate", "2", "", "", ""});
              }),
              InputError::Kind::missingValue);
    EXPECT_EQ(refusedAs([&] {
                  lines.add({draft.id, "Uren", "hours_rate", "2", "85", "", "nl_99"});
              }),
              InputError::Kind::invalidValue);
    EXPECT_EQ(testing::thrownKind([&] {
                  lines.add({"weg", "Drukwerk", "fixed", "", "", "10", ""});
              }),
              Kind::notFound);
    EXPECT_EQ(queued(), written);

    const InvoiceLineRecord hours = lines.add({draft.id, "Ontwerp", "hours_rate", "", "85,00", "", ""});
    EXPECT_EQ(hours.quantityHundredths, 100);  // one hour when none was typed
    const InvoiceLineRecord print = lines.add({draft.id, "Drukwerk", "fixed", "", "", "100,00", "nl_9"});
    EXPECT_EQ(print.sortOrder, hours.sortOrder + 1);

    lines.load(hours.id);
    lines.set("qty", "2");
    const InvoiceLineRecord saved = lines.save();
    EXPECT_EQ(saved.lineTotalCents, 17000);
    const InvoiceOverview overview = loadInvoiceOverview(invoices_, *clock_, draft.id);
    EXPECT_EQ(overview.detail.invoice.subtotalCents, 27000);
    EXPECT_EQ(overview.lineExclCents, (std::vector<std::int64_t>{17000, 10000}));
    EXPECT_EQ(overview.vatGroups.size(), 2u);
    EXPECT_EQ(lineQuantityText(overview.detail.lines[0]), "2 × € 85,00");
    EXPECT_EQ(lineQuantityText(overview.detail.lines[1]), "vast bedrag");

    lines.remove(print.id);
    EXPECT_EQ(testing::thrownKind([&] { lines.remove(print.id); }), Kind::notFound);
    EXPECT_EQ(testing::thrownKind([&] { lines.load(print.id); }), Kind::notFound);
    EXPECT_EQ(testing::thrownKind([&] { loadInvoiceOverview(invoices_, *clock_, "weg"); }), Kind::notFound);
}

TEST_F(EditorModelsIntegrationTest, ACustomerKeepsItsNameAndADeletedOneCannotBeEdited) {
    CustomerFormModel form(customers_, organisation_);
    EXPECT_EQ(refusedAs([&] { form.add({"", "Ede", "", "", ""}); }), InputError::Kind::missingValue);
    const CustomerRecord added = form.add({"Bakker", "", "", "post@bakker.nl", ""});
    EXPECT_EQ(added.city, std::nullopt);

    form.load(added.id);
    EXPECT_EQ(refusedAs([&] { form.set("companyName", ""); }), InputError::Kind::missingValue);
    form.set("archived", "ja");
    form.set("defaultHourlyRate", "85,00");
    const CustomerRecord saved = form.save();
    EXPECT_TRUE(saved.archived);
    EXPECT_EQ(saved.defaultHourlyRate, 8500);
    EXPECT_EQ(saved.companyName, "Bakker");

    database_.writer->write([&](Connection& db) {
        db.cached("UPDATE customer SET deleted_at = 'x' WHERE id = ?").bindAll(added.id).run();
    });
    EXPECT_EQ(testing::thrownKind([&] { form.load(added.id); }), Kind::notFound);
}

}  // namespace
}  // namespace zelvorin
