#include <memory>
#include <ostream>

#include "api-client/TemplateActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "persistence/PersistenceError.h"
#include "screens/InvoiceActionRules.h"

namespace zelvorin::cli {
namespace {

namespace api = templateactions;

Json optionalJson(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json templateJson(const api::NativeEmailTemplate& t) {
    return Json{{"id", t.id},
                {"organizationId", t.organizationId},
                {"name", t.name},
                {"type", optionalJson(t.type)},
                {"language", optionalJson(t.language)},
                {"subject", optionalJson(t.subject)},
                {"body", optionalJson(t.body)},
                {"isDefault", t.isDefault.value_or(false)},
                {"invoiceTemplateId", optionalJson(t.invoiceTemplateId)},
                {"style", optionalJson(t.style)},
                {"createdAt", t.createdAt},
                {"updatedAt", t.updatedAt}};
}

void printTemplate(CliContext& context, const api::NativeEmailTemplate& t, const std::string& done) {
    if (context.json) return printJson(context, templateJson(t));
    context.out() << done << ": " << t.name << " (" << t.id << ")\n";
}

void printPreview(CliContext& context, const api::NativeEmailPreview& preview,
                  const std::string& subject = {}) {
    if (context.json) {
        Json body{{"text", preview.text}, {"html", optionalJson(preview.html)}};
        if (!subject.empty())
            body = Json{{"subject", subject}, {"text", preview.text}, {"html", optionalJson(preview.html)}};
        return printJson(context, body);
    }
    if (!subject.empty()) context.out() << "Onderwerp: " << subject << "\n\n";
    context.out() << preview.text << '\n';
}

// A change on the service, then a sync cycle so this device holds the record as it now stands.
template <class Call>
auto onService(CliContext& context, Call call) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    auto answer = call(client);
    context.environment().syncNow();
    return answer;
}

api::NativeEmailTemplate findTemplate(SyncAPIClient& client, const std::string& id) {
    for (api::NativeEmailTemplate& t : api::emailTemplates(client))
        if (t.id == id) return t;
    throw PersistenceError::notFound("E-mailsjabloon '" + id + "'");
}

// "none" clears a member that can be cleared; any other text sets it.
std::optional<std::optional<std::string>> clearable(const std::optional<std::string>& option) {
    if (!option) return std::nullopt;
    if (*option == "none") return std::optional<std::string>();
    return option;
}

void printEmailTemplates(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::vector<api::NativeEmailTemplate> templates = api::emailTemplates(client);
    if (context.json) {
        Json list = Json::array();
        for (const auto& t : templates)
            list.push_back(templateJson(t));
        return printJson(context, Json{{"emailTemplates", std::move(list)}});
    }
    for (const auto& t : templates)
        context.out() << column(t.type.value_or("-"), 15) << column(t.language.value_or("-"), 4)
                      << column(t.isDefault.value_or(false) ? "standaard" : "", 10) << column(t.name, 28)
                      << t.subject.value_or("") << '\n';
}

void addEmailTemplateCommands(CLI::App& parent, CliContext& context) {
    CLI::App* email = parent.add_subcommand("email", "E-mailsjablonen (vereist verbinding)");
    email->require_subcommand(1);

    email->add_subcommand("list", "Alle e-mailsjablonen, ingebouwde standaarden inbegrepen")
        ->callback([&context] { printEmailTemplates(context); });

    auto create = std::make_shared<api::EmailTemplateBody>();
    auto* createCommand = email->add_subcommand("create", "Nieuw e-mailsjabloon");
    createCommand->add_option("--name", create->name, "Naam")->required();
    createCommand
        ->add_option("--type", create->type, "invoice, credit_note, reminder_1, reminder_2 of reminder_final")
        ->required();
    createCommand->add_option("--language", create->language, "nl of en (standaard nl)");
    createCommand->add_option("--subject", create->subject, "Onderwerp (standaard de titel van het type)");
    createCommand->add_option("--body", create->body,
                              "Berichttekst; variabelen als {klant_naam} of {{bedrag}}");
    createCommand->add_option("--document-template", create->invoiceTemplateId,
                              "Id van het documentsjabloon");
    createCommand->add_option("--style", create->style, "plain of branded");
    createCommand->callback([&context, create] {
        printTemplate(
            context,
            onService(context, [&](SyncAPIClient& c) { return api::createEmailTemplate(c, *create); }),
            "E-mailsjabloon aangemaakt");
    });

    struct EditOptions {
        std::string id;
        std::optional<std::string> name, type, language, subject, body, documentTemplate, style;
    };
    auto edit = std::make_shared<EditOptions>();
    auto* editCommand = email->add_subcommand("edit", "E-mailsjabloon wijzigen; wat je weglaat blijft");
    editCommand->add_option("id", edit->id, "Id van het sjabloon")->required();
    editCommand->add_option("--name", edit->name, "Naam");
    editCommand->add_option("--type", edit->type, "Type");
    editCommand->add_option("--language", edit->language, "nl of en");
    editCommand->add_option("--subject", edit->subject, "Onderwerp");
    editCommand->add_option("--body", edit->body, "Berichttekst");
    editCommand->add_option("--document-template", edit->documentTemplate,
                            "Id van het documentsjabloon, of none");
    editCommand->add_option("--style", edit->style, "plain, branded of none");
    editCommand->callback([&context, edit] {
        const api::EmailTemplatePatch patch{edit->name,
                                            edit->type,
                                            edit->language,
                                            edit->subject,
                                            edit->body,
                                            clearable(edit->documentTemplate),
                                            clearable(edit->style)};
        printTemplate(
            context,
            onService(context, [&](SyncAPIClient& c) { return api::patchEmailTemplate(c, edit->id, patch); }),
            "E-mailsjabloon gewijzigd");
    });

    auto id = std::make_shared<std::string>();
    auto* remove = email->add_subcommand("delete", "E-mailsjabloon verwijderen");
    remove->add_option("id", *id, "Id van het sjabloon")->required();
    remove->callback([&context, id] {
        onService(context, [&](SyncAPIClient& c) {
            api::deleteEmailTemplate(c, *id);
            return 0;
        });
        if (context.json) return printJson(context, Json{{"id", *id}, {"deleted", true}});
        context.out() << "E-mailsjabloon " << *id << " verwijderd.\n";
    });

    auto* setDefault = email->add_subcommand("set-default", "Standaardsjabloon voor zijn type en taal maken");
    setDefault->add_option("id", *id, "Id van het sjabloon")->required();
    setDefault->callback([&context, id] {
        printTemplate(
            context,
            onService(context, [&](SyncAPIClient& c) { return api::setDefaultEmailTemplate(c, *id); }),
            "Standaardsjabloon");
    });

    struct PreviewOptions {
        std::string templateId, body, type = "invoice", language = "nl", style = "plain";
    };
    auto preview = std::make_shared<PreviewOptions>();
    auto* previewCommand = email->add_subcommand("preview", "Sjabloontekst met voorbeeldwaarden ingevuld");
    previewCommand->add_option("--template", preview->templateId, "Id van een bestaand sjabloon");
    previewCommand->add_option("--body", preview->body, "Een tekst om te bekijken");
    previewCommand->add_option("--type", preview->type, "Type (standaard invoice)");
    previewCommand->add_option("--language", preview->language, "nl of en");
    previewCommand->add_option("--style", preview->style, "plain of branded");
    previewCommand->callback([&context, preview] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        PreviewOptions options = *preview;
        if (!options.templateId.empty()) {
            const api::NativeEmailTemplate t = findTemplate(client, options.templateId);
            options.body = t.body.value_or("");
            options.type = t.type.value_or(options.type);
            options.language = t.language.value_or(options.language);
            options.style = t.style.value_or(options.style);
        }
        printPreview(context, api::previewEmailTemplate(client, options.body, options.style, options.type,
                                                        options.language));
    });
}

void printDocumentTemplates(CliContext& context) {
    context.requireSignedIn();
    context.environment().syncNow();
    const std::vector<InvoiceTemplateRecord> templates =
        context.environment().repositories().organisation.invoiceTemplates();
    if (context.json) return printJson(context, Json{{"templates", recordsJson(templates)}});
    for (const InvoiceTemplateRecord& t : templates)
        context.out() << column(t.id, 38) << column(t.defaultFor.value_or(""), 12)
                      << column(t.isDefaultForNew.value_or(false) ? "nieuw" : "", 7) << t.name << '\n';
}

void addDocumentTemplateCommands(CLI::App& parent, CliContext& context) {
    CLI::App* doc =
        parent.add_subcommand("doc", "Documentsjablonen: de opmaak van facturen (vereist verbinding)");
    doc->require_subcommand(1);
    doc->add_subcommand("list", "De documentsjablonen van de organisatie")->callback([&context] {
        printDocumentTemplates(context);
    });

    auto id = std::make_shared<std::string>();
    auto value = std::make_shared<std::optional<std::string>>();
    const auto done = [&context](const std::string& text, Json json) {
        if (context.json) return printJson(context, json);
        context.out() << text << '\n';
    };

    auto* rename = doc->add_subcommand("rename", "Documentsjabloon hernoemen");
    rename->add_option("id", *id, "Id van het sjabloon")->required();
    rename->add_option("name", *value, "Nieuwe naam")->required();
    rename->callback([&context, id, value, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::renameTemplate(c, *id, value->value_or(""));
            return 0;
        });
        done("Documentsjabloon hernoemd tot " + value->value_or("") + ".",
             Json{{"id", *id}, {"name", **value}});
    });

    auto* remove = doc->add_subcommand("delete", "Documentsjabloon verwijderen");
    remove->add_option("id", *id, "Id van het sjabloon")->required();
    remove->callback([&context, id, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::deleteTemplate(c, *id);
            return 0;
        });
        done("Documentsjabloon " + *id + " verwijderd.", Json{{"id", *id}, {"deleted", true}});
    });

    auto* duplicate = doc->add_subcommand("duplicate", "Documentsjabloon kopiëren");
    duplicate->add_option("id", *id, "Id van het sjabloon")->required();
    duplicate->callback([&context, id, done] {
        const std::string copy =
            onService(context, [&](SyncAPIClient& c) { return api::duplicateTemplate(c, *id); });
        done(copy, Json{{"id", copy}});
    });

    auto* defaultFor =
        doc->add_subcommand("default-for", "Sjabloon waarmee een documenttype wordt opgemaakt");
    defaultFor->add_option("id", *id, "Id van het sjabloon")->required();
    defaultFor->add_option("--type", *value, "invoice, credit_note of quote; weglaten wist het");
    defaultFor->callback([&context, id, value, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::setTemplateDefaultFor(c, *id, *value);
            return 0;
        });
        done(*value ? "Standaard voor " + **value + "." : "Niet langer standaard voor een documenttype.",
             Json{{"id", *id}, {"defaultFor", optionalJson(*value)}});
    });

    auto* defaultForNew = doc->add_subcommand("default-for-new", "Sjabloon waarmee nieuwe facturen beginnen");
    defaultForNew->add_option("id", *value, "Id van het sjabloon; weglaten: geen");
    defaultForNew->callback([&context, value, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::setTemplateDefaultForNew(c, *value);
            return 0;
        });
        done(*value ? "Nieuwe facturen beginnen met " + **value + "."
                    : "Nieuwe facturen beginnen zonder sjabloon.",
             Json{{"templateId", optionalJson(*value)}});
    });
}

void printVariables(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const std::vector<api::NativeBuiltinVarGroup> groups = api::builtinVariables(client);
    context.environment().syncNow();
    std::vector<OrgVariableRecord> own = context.environment().repositories().organisation.variables();
    std::erase_if(own, [](const OrgVariableRecord& variable) { return variable.isBuiltin.value_or(false); });
    if (context.json) {
        Json builtin = Json::array();
        for (const auto& group : groups) {
            Json rows = Json::array();
            for (const auto& row : group.rows)
                rows.push_back(Json{{"key", row.key}, {"label", row.label}, {"sample", row.sample}});
            builtin.push_back(Json{{"category", group.category}, {"rows", std::move(rows)}});
        }
        return printJson(context, Json{{"groups", std::move(builtin)}, {"variables", recordsJson(own)}});
    }
    for (const auto& group : groups) {
        context.out() << group.category << '\n';
        for (const auto& row : group.rows)
            context.out() << "  " << column("{" + row.key + "}", 18) << column(row.label, 24) << row.sample
                          << '\n';
    }
    context.out() << "Eigen variabelen\n";
    for (const OrgVariableRecord& variable : own)
        context.out() << "  " << column("{" + variable.key + "}", 18)
                      << column(variable.label.value_or(""), 24) << variable.defaultValue.value_or("")
                      << '\n';
}

void addVariableCommands(CLI::App& parent, CliContext& context) {
    parent.add_subcommand("vars", "Ingebouwde en eigen variabelen voor e-mails")->callback([&context] {
        printVariables(context);
    });
    CLI::App* variable = parent.add_subcommand("var", "Eigen variabelen (vereist verbinding)");
    variable->require_subcommand(1);

    struct VariableOptions {
        std::string id, label, kind = "text", description;
    };
    auto options = std::make_shared<VariableOptions>();
    const auto done = [&context, options](const std::string& text) {
        if (context.json) {
            Json out = Json::object();
            if (!options->id.empty()) out["id"] = options->id;  // the service does not answer a new one's id
            if (!options->label.empty()) out["label"] = options->label;
            out["done"] = true;
            return printJson(context, out);
        }
        context.out() << text << '\n';
    };
    auto* add = variable->add_subcommand("add", "Eigen variabele toevoegen; de sleutel volgt uit de naam");
    add->add_option("--label", options->label, "Naam, bijvoorbeeld \"Project code\" voor {project_code}")
        ->required();
    add->add_option("--kind", options->kind, "text, date, money of number");
    add->add_option("--description", options->description, "Omschrijving");
    add->callback([&context, options, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::createOrgVariable(c, options->label, options->kind, options->description);
            return 0;
        });
        done("Variabele " + options->label + " toegevoegd.");
    });
    auto* edit = variable->add_subcommand("edit", "Eigen variabele wijzigen; de sleutel blijft");
    edit->add_option("id", options->id, "Id van de variabele")->required();
    edit->add_option("--label", options->label, "Naam")->required();
    edit->add_option("--description", options->description, "Omschrijving");
    edit->callback([&context, options, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::patchOrgVariable(c, options->id, options->label, options->description);
            return 0;
        });
        done("Variabele " + options->label + " gewijzigd.");
    });
    auto* remove = variable->add_subcommand("rm", "Eigen variabele verwijderen");
    remove->add_option("id", options->id, "Id van de variabele")->required();
    remove->callback([&context, options, done] {
        onService(context, [&](SyncAPIClient& c) {
            api::deleteOrgVariable(c, options->id);
            return 0;
        });
        done("Variabele " + options->id + " verwijderd.");
    });
}

void addInvoiceTemplateCommands(CLI::App& app, CliContext& context) {
    CLI::App* invoice = app.get_subcommand("invoice");

    auto id = std::make_shared<std::string>();
    auto templateId = std::make_shared<std::string>();
    auto* setTemplate = invoice->add_subcommand("set-template", "Documentsjabloon van een concept wijzigen");
    setTemplate->add_option("id", *id, "Id van de factuur")->required();
    setTemplate->add_option("template", *templateId, "Id van het documentsjabloon")->required();
    setTemplate->callback([&context, id, templateId] {
        context.requireSignedIn();
        context.environment().syncNow();  // the service changes the invoice it holds
        const auto answer = onService(
            context, [&](SyncAPIClient& c) { return api::setInvoiceTemplate(c, *id, *templateId); });
        if (context.json)
            return printJson(context,
                             Json{{"id", answer.id}, {"templateId", optionalJson(answer.templateId)}});
        context.out() << "Sjabloon van factuur " << answer.id << " is nu " << answer.templateId.value_or("-")
                      << ".\n";
    });

    auto message = std::make_shared<std::string>();
    auto emailTemplate = std::make_shared<std::string>();
    auto* preview =
        invoice->add_subcommand("preview-email", "Het bericht bij een factuur, met ingevulde variabelen");
    preview->add_option("id", *id, "Id van de factuur")->required();
    preview->add_option("--template", *emailTemplate,
                        "Id van het e-mailsjabloon (standaard dat voor facturen)");
    preview->add_option("--message", *message, "Eigen berichttekst in plaats van een sjabloon");
    preview->callback([&context, id, emailTemplate, message] {
        context.requireSignedIn();
        context.environment().syncNow();
        SyncAPIClient client = context.apiClient();
        std::string subject, body = *message;
        if (body.empty()) {
            const std::vector<api::NativeEmailTemplate> templates = api::emailTemplates(client);
            const auto chosen = std::ranges::find_if(templates, [&](const api::NativeEmailTemplate& t) {
                return emailTemplate->empty()
                           ? t.type == "invoice" && t.language == "nl" && t.isDefault.value_or(false)
                           : t.id == *emailTemplate;
            });
            if (chosen == templates.end())
                throw PersistenceError::notFound("E-mailsjabloon '" + *emailTemplate + "'");
            body = chosen->body.value_or("");
            subject = api::previewInvoiceEmail(client, *id, chosen->subject.value_or("")).text;
        }
        printPreview(context, api::previewInvoiceEmail(client, *id, body), subject);
    });
}

}  // namespace

void addTemplateCommands(CLI::App& app, CliContext& context) {
    CLI::App* templates = app.add_subcommand("template", "E-mail- en documentsjablonen en variabelen");
    templates->require_subcommand(1);
    addEmailTemplateCommands(*templates, context);
    addDocumentTemplateCommands(*templates, context);
    addVariableCommands(*templates, context);
    addInvoiceTemplateCommands(app, context);
}

}  // namespace zelvorin::cli
