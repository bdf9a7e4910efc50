#include <array>
#include <string_view>

#include "service/seed/DefaultTemplateConfig.h"
#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {

void seedSettings(SeedContext& context, const std::string& organizationId, const OrgProfile& profile,
                  int nextInvoiceSequence) {
    Json settings;
    settings["id"] = context.nextId();
    settings["organizationId"] = organizationId;
    settings["orgName"] = profile.name;
    settings["vatNumber"] = profile.vatNumber;
    settings["kvkNumber"] = profile.kvkNumber;
    settings["addressStreet"] = profile.street;
    settings["addressCity"] = profile.city;
    settings["addressPostal"] = profile.postcode;
    settings["orgPhone"] = profile.phone;
    settings["orgEmail"] = profile.email;
    settings["primaryColor"] = profile.primaryColor;
    settings["accentColor"] = profile.accentColor;
    settings["fontFamily"] = profile.bodyFont;
    settings["headingFontName"] = profile.headingFont;
    settings["bodyFontName"] = profile.bodyFont;
    settings["invoicePrefix"] = "FAC";
    settings["invoiceSeqNum"] = nextInvoiceSequence;
    settings["invoiceTemplate"] = "{PREFIX}-{YEAR}-{SEQ}";
    settings["invoiceSeqPadding"] = 4;
    settings["bic"] = profile.bic;
    settings["iban"] = profile.iban;
    settings["vatRateDefault"] = 21;
    settings["paymentTermsDays"] = 30;
    settings["defaultHourlyRate"] = profile.defaultHourlyRateCents;
    settings["footerText"] =
        "Wij verzoeken u vriendelijk het bedrag binnen de betaaltermijn over te maken onder "
        "vermelding van het factuurnummer.";
    settings["verlegdNote"] = "BTW verlegd naar de afnemer (art. 12 Wet OB / reverse charge).";
    settings["defaultLanguage"] = "nl";
    settings["dateFormat"] = "dd-MM-yyyy";
    settings["currency"] = "EUR";
    settings["numberFormat"] = "nl-NL";
    settings["timezone"] = "Europe/Amsterdam";
    settings["portalLinkEnabled"] = true;
    settings["idealEnabledDefault"] = false;
    settings["invoiceEmailStyle"] = "branded";
    settings["portalShowLogo"] = true;
    settings["portalShowOrgName"] = true;
    settings["updatedAt"] = context.timestamp(-120, 9);
    addServerBookkeeping(settings, context);
    context.put(organizationId, "orgSettings", settings);
}

std::string seedInvoiceTemplate(SeedContext& context, const std::string& organizationId) {
    Json config = Json::parse(defaultTemplateConfigJson());
    // The demo's own template shows how much of each line was billed (hours, pieces).
    config["table"]["showQuantityColumn"] = true;
    Json invoiceTemplate;
    invoiceTemplate["id"] = context.nextId();
    invoiceTemplate["orgId"] = organizationId;
    invoiceTemplate["name"] = "Standaard";
    invoiceTemplate["config"] = std::move(config);
    invoiceTemplate["defaultFor"] = "invoice";
    invoiceTemplate["language"] = "nl";
    invoiceTemplate["isDefaultForNew"] = true;
    invoiceTemplate["createdAt"] = context.timestamp(-120, 9, 5);
    invoiceTemplate["updatedAt"] = context.timestamp(-120, 9, 5);
    addServerBookkeeping(invoiceTemplate, context);
    context.put(organizationId, "invoiceTemplate", invoiceTemplate);
    return invoiceTemplate["id"].get<std::string>();
}

struct EmailText {
    const char* type;
    const char* language;
    const char* name;
    const char* subject;
    const char* body;
};

constexpr std::array<EmailText, 10> kEmailTexts{{
    {"invoice", "nl", "Factuur", "Factuur {factuurnummer} van {bedrijfsnaam}",
     "Beste {klant_naam},\n\nIn de bijlage vind je factuur {factuurnummer} van {bedrag}. Wil je die voor "
     "{vervaldatum} voldoen?\n\nMet vriendelijke groet,\n{bedrijfsnaam}"},
    {"invoice", "en", "Invoice", "Invoice {factuurnummer} from {bedrijfsnaam}",
     "Dear {klant_naam},\n\nPlease find attached invoice {factuurnummer} for {bedrag}, due on "
     "{vervaldatum}.\n\nKind regards,\n{bedrijfsnaam}"},
    {"credit_note", "nl", "Creditnota", "Creditnota {factuurnummer} van {bedrijfsnaam}",
     "Beste {klant_naam},\n\nIn de bijlage vind je creditnota {factuurnummer} van {bedrag}.\n\nMet "
     "vriendelijke groet,\n{bedrijfsnaam}"},
    {"credit_note", "en", "Credit note", "Credit note {factuurnummer} from {bedrijfsnaam}",
     "Dear {klant_naam},\n\nPlease find attached credit note {factuurnummer} for {bedrag}.\n\nKind "
     "regards,\n{bedrijfsnaam}"},
    {"reminder_1", "nl", "Herinnering", "Herinnering: factuur {factuurnummer}",
     "Beste {klant_naam},\n\nWe hebben de betaling van factuur {factuurnummer} ({bedrag}) nog niet "
     "ontvangen. Wil je het bedrag binnenkort overmaken?\n\nMet vriendelijke groet,\n{bedrijfsnaam}"},
    {"reminder_1", "en", "Reminder", "Reminder: invoice {factuurnummer}",
     "Dear {klant_naam},\n\nWe have not yet received payment of invoice {factuurnummer} ({bedrag}). "
     "Could you transfer the amount soon?\n\nKind regards,\n{bedrijfsnaam}"},
    {"reminder_2", "nl", "Tweede herinnering", "Tweede herinnering: factuur {factuurnummer}",
     "Beste {klant_naam},\n\nOndanks onze eerdere herinnering staat factuur {factuurnummer} ({bedrag}) "
     "nog open. We verzoeken je het bedrag binnen 7 dagen te voldoen.\n\nMet vriendelijke groet,\n"
     "{bedrijfsnaam}"},
    {"reminder_2", "en", "Second reminder", "Second reminder: invoice {factuurnummer}",
     "Dear {klant_naam},\n\nDespite our earlier reminder, invoice {factuurnummer} ({bedrag}) is still "
     "unpaid. Please settle it within 7 days.\n\nKind regards,\n{bedrijfsnaam}"},
    {"reminder_final", "nl", "Laatste aanmaning", "Laatste aanmaning: factuur {factuurnummer}",
     "Beste {klant_naam},\n\nFactuur {factuurnummer} ({bedrag}) is ondanks herhaalde herinneringen niet "
     "betaald. Zonder betaling binnen 5 dagen dragen we de vordering over.\n\nMet vriendelijke groet,\n"
     "{bedrijfsnaam}"},
    {"reminder_final", "en", "Final notice", "Final notice: invoice {factuurnummer}",
     "Dear {klant_naam},\n\nInvoice {factuurnummer} ({bedrag}) remains unpaid despite repeated reminders. "
     "Without payment within 5 days we will hand the claim over.\n\nKind regards,\n{bedrijfsnaam}"},
}};

// Returns the id of the Dutch invoice e-mail.
std::string seedEmailTemplates(SeedContext& context, const std::string& organizationId,
                               const std::string& invoiceTemplateId) {
    std::string dutchInvoiceId;
    for (const EmailText& text : kEmailTexts) {
        Json email;
        email["id"] = context.nextId();
        email["organizationId"] = organizationId;
        email["name"] = text.name;
        email["type"] = text.type;
        email["language"] = text.language;
        email["subject"] = text.subject;
        email["body"] = text.body;
        email["isDefault"] = true;
        if (std::string_view(text.type) == "invoice") email["invoiceTemplateId"] = invoiceTemplateId;
        email["style"] = "branded";
        email["createdAt"] = context.timestamp(-120, 9, 10);
        email["updatedAt"] = context.timestamp(-120, 9, 10);
        addServerBookkeeping(email, context);
        context.put(organizationId, "emailTemplate", email);
        if (std::string_view(text.type) == "invoice" && std::string_view(text.language) == "nl") {
            dutchInvoiceId = email["id"].get<std::string>();
        }
    }
    return dutchInvoiceId;
}

struct VariableText {
    const char* key;
    const char* label;
    const char* kind;
    const char* defaultValue;
    const char* groupName;
    bool builtin;
};

constexpr std::array<VariableText, 5> kVariables{{
    {"klantnaam", "Klantnaam", "text", "", "Klant", true},
    {"factuurnummer", "Factuurnummer", "text", "", "Factuur", true},
    {"vervaldatum", "Vervaldatum", "date", "", "Factuur", true},
    {"projectcode", "Projectcode", "text", "PRJ-000", "Eigen", false},
    {"uurtarief", "Uurtarief", "money", "95,00", "Eigen", false},
}};

void seedVariables(SeedContext& context, const std::string& organizationId) {
    for (const VariableText& text : kVariables) {
        Json variable;
        variable["id"] = context.nextId();
        variable["organizationId"] = organizationId;
        variable["key"] = text.key;
        variable["label"] = text.label;
        variable["kind"] = text.kind;
        variable["defaultValue"] = text.defaultValue;
        variable["description"] = std::string("Vult {") + text.key + "} in documenten en e-mails in.";
        variable["groupName"] = text.groupName;
        variable["isBuiltin"] = text.builtin;
        variable["createdAt"] = context.timestamp(-120, 9, 15);
        variable["updatedAt"] = context.timestamp(-120, 9, 15);
        addServerBookkeeping(variable, context);
        context.put(organizationId, "orgVariable", variable);
    }
}

struct RuleText {
    const char* senderPattern;
    const char* subjectPattern;  // empty: any subject
    const char* category;
    bool skip;
    int matches;
};

constexpr std::array<RuleText, 3> kKvitraRules{{
    {"*@telecom-noord.nl", "", "zakelijk", false, 6},
    {"facturen@kantoorhuis.nl", "Factuur*", "zakelijk", false, 3},
    {"nieuwsbrief@*", "", "prive", true, 11},
}};

void seedKvitraRules(SeedContext& context, const std::string& organizationId) {
    for (const RuleText& text : kKvitraRules) {
        Json rule;
        rule["id"] = context.nextId();
        rule["organizationId"] = organizationId;
        rule["senderEmailPattern"] = text.senderPattern;
        if (*text.subjectPattern != '\0') rule["subjectPattern"] = text.subjectPattern;
        rule["suggestedCategory"] = text.category;
        rule["isSkip"] = text.skip;
        rule["matchCount"] = text.matches;
        rule["createdAt"] = context.timestamp(-100, 14);
        rule["updatedAt"] = context.timestamp(-10, 14);
        addServerBookkeeping(rule, context);
        context.put(organizationId, "kvitraRule", rule);
    }
}

}  // namespace

SeededOrganisation seedOrganisation(SeedContext& context, const std::string& organizationId,
                                    const OrgProfile& profile, int nextInvoiceSequence) {
    SeededOrganisation organisation{organizationId, profile, {}, {}};
    seedSettings(context, organizationId, profile, nextInvoiceSequence);
    organisation.invoiceTemplateId = seedInvoiceTemplate(context, organizationId);
    organisation.invoiceEmailTemplateId =
        seedEmailTemplates(context, organizationId, organisation.invoiceTemplateId);
    seedVariables(context, organizationId);
    seedKvitraRules(context, organizationId);
    return organisation;
}

}  // namespace zelvorin::service::seed
