#include <gtest/gtest.h>

#include "screens/InputError.h"
#include "screens/InvoiceSheets.h"

namespace zelvorin {
namespace {

using D = SyncDisplayStatus;
const D kOnline{D::Synced{}};
const D kOffline{D::Offline{}};

InvoiceDetail sentInvoice() {
    InvoiceDetail detail;
    detail.invoice.id = "inv-1";
    detail.invoice.status = "sent";
    detail.invoice.totalCents = 12100;
    CustomerRecord customer;
    customer.companyName = "Bakker";
    customer.billingEmail = "boekhouding@bakker.nl";
    detail.customer = customer;
    InvoicePaymentRecord first;
    first.amountCents = 5000;
    detail.payments.push_back(first);
    return detail;
}

TEST(InvoiceSheetsTest, ThePaymentSheetOffersWhatIsOpenAndSendsOneCallAtATime) {
    PaymentSheet sheet = PaymentSheet::open(sentInvoice(), "2026-03-16");
    EXPECT_EQ(sheet.paidCents, 5000);
    EXPECT_EQ(sheet.openCents(), 7100);
    EXPECT_EQ(sheet.amountText, "71,00");

    EXPECT_FALSE(sheet.submit(kOffline));
    EXPECT_EQ(sheet.error, "Betaling registreren vereist een internetverbinding.");
    sheet.amountText = "0,00";
    EXPECT_FALSE(sheet.submit(kOnline));
    EXPECT_EQ(sheet.error, "Vul een geldig bedrag in.");
    EXPECT_FALSE(sheet.busy);

    sheet.amountText = "1.234,56";
    sheet.method = "ideal";
    const auto body = sheet.submit(kOnline);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->amountCents, 123456);
    EXPECT_EQ(body->paymentDate, "2026-03-16");
    EXPECT_EQ(body->notes, std::nullopt);
    EXPECT_TRUE(sheet.busy);
    EXPECT_FALSE(sheet.submit(kOnline));  // the first call still runs
    sheet.finished(std::string(PaymentSheet::kFailed));
    EXPECT_FALSE(sheet.busy);
    EXPECT_EQ(sheet.error, PaymentSheet::kFailed);
    EXPECT_TRUE(sheet.submit(kOnline));
}

TEST(InvoiceSheetsTest, TheSendSheetFollowsItsModeAndRefusesWithoutAConnectionOrRecipient) {
    SendSheet reminder =
        SendSheet::open(sentInvoice(), std::nullopt, InvoiceActionRules::SendMode::reminder, "reminder_2");
    EXPECT_EQ(reminder.title(), "2e herinnering versturen");
    EXPECT_EQ(reminder.subject, "2e herinnering versturen");
    EXPECT_EQ(reminder.recipient, "boekhouding@bakker.nl");
    EXPECT_EQ(reminder.body, "Beste Bakker,\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet");

    SendSheet sheet = SendSheet::open(sentInvoice(), std::nullopt, InvoiceActionRules::SendMode::invoice);
    sheet.later = true;
    sheet.sendAt = "2026-03-20T08:00:00Z";
    EXPECT_FALSE(sheet.submit(kOffline));
    EXPECT_EQ(sheet.error, "Versturen vereist een internetverbinding.");
    sheet.recipient = "";
    EXPECT_FALSE(sheet.submit(kOnline));
    EXPECT_EQ(sheet.error, "Vul het e-mailadres van de ontvanger in.");
    sheet.recipient = "geen adres";
    EXPECT_FALSE(sheet.submit(kOnline));
    sheet.recipient = "jan@bakker.nl";
    sheet.subject = "";
    const auto call = sheet.submit(kOnline);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->body.subject, "Factuur versturen");
    EXPECT_EQ(call->scheduledAt, "2026-03-20T08:00:00Z");
    EXPECT_FALSE(sheet.submit(kOnline));
}

templateactions::NativeEmailTemplate emailTemplate(std::string id, std::string type, std::string body) {
    templateactions::NativeEmailTemplate made;
    made.id = std::move(id);
    made.type = std::move(type);
    made.body = std::move(body);
    return made;
}

TEST(InvoiceSheetsTest, ATemplateFitsTheModeFillsItsVariablesAndAsksBeforeOverwritingAnEditedBody) {
    OrgSettingsRecord settings;
    settings.orgName = "Studio";
    SendSheet sheet = SendSheet::open(sentInvoice(), settings, InvoiceActionRules::SendMode::resend);
    sheet.setTemplates(
        {emailTemplate("t-1", "invoice", "Beste {{klant_naam}}, bedrag {bedrag}, {betaaltermijn} dagen"),
         emailTemplate("t-2", "reminder_1", "Herinnering"),
         emailTemplate("t-3", "invoice", "Groet van {org_naam}")});
    ASSERT_EQ(sheet.templates.size(), 2u);  // a resend mails the invoice
    ASSERT_TRUE(sheet.chooseTemplate("t-1"));
    // Without a payment term of its own the organisation gives 30 days.
    EXPECT_EQ(sheet.body, "Beste Bakker, bedrag € 121,00, 30 dagen");
    EXPECT_FALSE(sheet.chooseTemplate("t-2"));  // not offered in this mode

    sheet.editBody("Eigen tekst");
    EXPECT_TRUE(sheet.bodyEdited);
    EXPECT_FALSE(sheet.chooseTemplate("t-3"));  // asks first
    EXPECT_EQ(sheet.body, "Eigen tekst");
    ASSERT_TRUE(sheet.chooseTemplate("t-3", true));
    EXPECT_EQ(sheet.body, "Groet van Studio");
    EXPECT_FALSE(sheet.bodyEdited);

    SendSheet credit = SendSheet::open(sentInvoice(), settings, InvoiceActionRules::SendMode::creditnote);
    credit.setTemplates({emailTemplate("t-1", "invoice", "")});
    EXPECT_EQ(credit.templates.size(), 1u);  // none fits: all are offered
}

// The mail's language picks the default template an untouched message starts from; the sender
// alias and the attachments travel with the call.
TEST(InvoiceSheetsTest, LanguageAliasAndAttachmentsShapeTheCall) {
    InvoiceDetail english = sentInvoice();
    english.customer->country = "DE";
    SendSheet sheet = SendSheet::open(english, std::nullopt, InvoiceActionRules::SendMode::invoice);
    EXPECT_EQ(sheet.language, "en");
    auto dutch = emailTemplate("nl-1", "invoice", "Beste {klant_naam}");
    dutch.language = "nl";
    dutch.isDefault = true;
    auto inEnglish = emailTemplate("en-1", "invoice", "Dear {klant_naam}");
    inEnglish.language = "en";
    inEnglish.isDefault = true;
    sheet.setTemplates({dutch, inEnglish});
    EXPECT_EQ(sheet.selectedTemplateId, "en-1");
    EXPECT_EQ(sheet.body, "Dear Bakker");

    SendSheet edited = SendSheet::open(english, std::nullopt, InvoiceActionRules::SendMode::invoice);
    edited.editBody("Eigen woorden");
    edited.setTemplates({dutch, inEnglish});
    EXPECT_EQ(edited.body, "Eigen woorden");  // what was typed is never replaced unasked

    invoicestats::NativeGmailAliasInfo aliases{
        true, "jan@gmail.com", {{"jan@gmail.com", false}, {"factuur@studio.nl", true}}};
    sheet.setSenderAliases(aliases);
    EXPECT_EQ(sheet.senderAddresses.size(), 2u);
    EXPECT_EQ(sheet.fromEmail, "factuur@studio.nl");
    sheet.setSenderAliases({});
    EXPECT_EQ(sheet.fromEmail, std::nullopt);  // no mailbox: the service's own sender
    sheet.setSenderAliases(aliases);

    using Attachment = InvoiceActionRules::Attachment;
    EXPECT_THROW(sheet.checkNewAttachments({{"a.pdf", 6 << 20}, {"b.pdf", 6 << 20}}), InputError);
    sheet.attachments = {{"k1", "a.pdf", "application/pdf", 1000},
                         {"k2", "b.png", "image/png", 2000},
                         {"k3", "c.pdf", "application/pdf", 3000}};
    EXPECT_FALSE(sheet.canAttachMore());
    EXPECT_THROW(sheet.checkNewAttachments({Attachment{"d.pdf", 10}}), InputError);  // a fourth
    sheet.detach("k2");
    EXPECT_TRUE(sheet.canAttachMore());
    EXPECT_NO_THROW(sheet.checkNewAttachments({Attachment{"d.pdf", 10}}));

    const auto call = sheet.submit(kOnline);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->body.fromEmail, "factuur@studio.nl");
    EXPECT_EQ(call->body.attachmentKeys, (std::vector<std::string>{"k1", "k3"}));

    EXPECT_EQ(SendSheet::sizeText(2516582), "2.4 MB");
    EXPECT_EQ(SendSheet::sizeText(10485760), "10.0 MB");
}

TEST(InvoiceSheetsTest, CreditCancelAndReopenCheckWhatWasTypedBeforeAnyCall) {
    CreditSheet credit;
    credit.amountText = "0,00";
    EXPECT_FALSE(credit.submit(kOnline));
    EXPECT_EQ(credit.error, "Vul een geldig bedrag in.");
    credit.amountText = "25";
    EXPECT_FALSE(credit.submit(kOffline));
    EXPECT_EQ(credit.error, "Een creditnota maken vereist een internetverbinding.");
    EXPECT_EQ(credit.submit(kOnline), 2500);

    CancelSheet cancel;
    cancel.reason = "  negen tek  ";  // nine characters once trimmed
    cancel.confirmText = "ANNULEER";
    EXPECT_FALSE(cancel.submit(kOnline));
    EXPECT_EQ(cancel.error, "Reden voor annulering moet minimaal 10 tekens bevatten.");
    cancel.reason = " dubbel gefactureerd ";
    cancel.confirmText = "annuleer";
    EXPECT_FALSE(cancel.submit(kOnline));
    EXPECT_EQ(cancel.error, "Type exact ANNULEER om de annulering te bevestigen.");
    cancel.confirmText = " ANNULEER ";
    const auto input = cancel.submit(kOnline);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->reason, "dubbel gefactureerd");
    EXPECT_EQ(input->confirmText, "ANNULEER");
    EXPECT_FALSE(CancelSheet::offered("cancelled"));

    ReopenSheet reopen;
    reopen.reason = "bedrag klopte niet";
    EXPECT_FALSE(reopen.submit(kOnline));
    EXPECT_EQ(reopen.error, "Alleen owner/admin kan facturen heropenen");
    reopen.isOrgAdmin = true;
    reopen.reason = "te kort";
    EXPECT_FALSE(reopen.submit(kOnline));
    EXPECT_EQ(reopen.error, "Reden voor heropenen moet minimaal 10 tekens bevatten.");
    reopen.reason = " bedrag klopte niet ";
    EXPECT_EQ(reopen.submit(kOnline), "bedrag klopte niet");
    EXPECT_TRUE(reopen.busy);
}

}  // namespace
}  // namespace zelvorin
