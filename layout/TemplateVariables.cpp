#include "layout/TemplateVariables.h"

#include <array>
#include <cstdint>
#include <sstream>

#include "domain/CollectionCosts.h"
#include "domain/InvoiceDueDate.h"

namespace zelvorin {

namespace {

constexpr std::array<const char*, 65> kKnownNames{"factuurnummer",
                                                  "factuurdatum",
                                                  "vervaldatum",
                                                  "referentie",
                                                  "onderwerp",
                                                  "type",
                                                  "originele_factuur",
                                                  "betaaltermijn",
                                                  "betaallink",
                                                  "klant.naam",
                                                  "klant.bedrijf",
                                                  "klant.straat",
                                                  "klant.huisnummer",
                                                  "klant.postcode",
                                                  "klant.stad",
                                                  "klant.land",
                                                  "klant.email",
                                                  "klant.telefoon",
                                                  "klant.btw",
                                                  "klant.kvk",
                                                  "klant.iban",
                                                  "klant.billing_email",
                                                  "klant.taal",
                                                  "klant.uurtarief",
                                                  "klant.betaaltermijn",
                                                  "klant.contact_persoon",
                                                  "klant.referentie",
                                                  "org.naam",
                                                  "org.straat",
                                                  "org.huisnummer",
                                                  "org.postcode",
                                                  "org.stad",
                                                  "org.land",
                                                  "org.email",
                                                  "org.telefoon",
                                                  "org.iban",
                                                  "org.bic",
                                                  "org.kvk",
                                                  "org.btw",
                                                  "subtotaal",
                                                  "btw",
                                                  "totaal_incl",
                                                  "totaal_excl",
                                                  "openstaand_bedrag",
                                                  "incassokosten",
                                                  "dagen_vervallen",
                                                  "originele_factuurdatum",
                                                  "nieuwe_vervaldatum",
                                                  "paginanummer",
                                                  "totaalpaginas",
                                                  "vrije_tekst",
                                                  "intro_tekst",
                                                  "notities",
                                                  "footer_tekst",
                                                  "datum",
                                                  "offerte.nummer",
                                                  "offerte.titel",
                                                  "offerte.datum",
                                                  "offerte.vervaldatum",
                                                  "offerte.geldigheid",
                                                  "offerte.referentie",
                                                  "offerte.status",
                                                  "offerte.versie",
                                                  "pagina.naam",
                                                  "pagina.nummer"};

std::string braced(const char* name) {
    return std::string("{{") + name + "}}";
}

std::string trimRight(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r'))
        --end;
    return std::string(line.substr(0, end));
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

}  // namespace

std::size_t TemplateVariables::knownNameCount() {
    return kKnownNames.size();
}

TemplateVariables::TemplateVariables(const InvoiceDocument& document, std::chrono::sys_days today)
    : format_{document.locale, document.currency, document.dateFormat} {
    for (const char* name : kKnownNames)
        values_[braced(name)] = "";
    values_["{{paginanummer}}"] = std::string(kPageNumberMark);
    values_["{{totaalpaginas}}"] = std::string(kPageCountMark);
    fillDocument(document, today);
    fillParties(document.content);
    fillAmounts(document.content);
}

void TemplateVariables::fillDocument(const InvoiceDocument& document, std::chrono::sys_days today) {
    const InvoiceContent& c = document.content;
    auto set = [&](const char* name, const std::optional<std::string>& value) {
        if (value) values_[braced(name)] = *value;
    };
    set("factuurnummer", c.invoiceNumber);
    set("referentie", c.referenceNumber);
    set("onderwerp", c.projectDescription);
    set("vrije_tekst", c.freeText);
    set("intro_tekst", c.introText);
    set("notities", c.notesExternal);
    set("footer_tekst", c.footerText);
    set("type", c.documentType);
    if (c.issueDate) values_["{{factuurdatum}}"] = values_["{{datum}}"] = format_.date(*c.issueDate);
    if (c.dueDate) values_["{{vervaldatum}}"] = format_.date(*c.dueDate);
    if (c.originalIssueDate) values_["{{originele_factuurdatum}}"] = format_.date(*c.originalIssueDate);
    if (c.newDueDate) values_["{{nieuwe_vervaldatum}}"] = format_.date(*c.newDueDate);
    std::optional<std::int64_t> term;
    if (c.issueDate && c.dueDate) term = InvoiceDueDate::paymentTermDays(*c.issueDate, *c.dueDate);
    if (!term && c.paymentTermsDays) term = *c.paymentTermsDays;
    if (term) values_["{{betaaltermijn}}"] = std::to_string(*term);
    if (c.dueDate) {
        if (auto overdue = InvoiceDueDate::daysOverdue(*c.dueDate, today))
            values_["{{dagen_vervallen}}"] = std::to_string(*overdue);
    }
}

void TemplateVariables::fillParties(const InvoiceContent& c) {
    auto set = [&](const char* name, const std::optional<std::string>& value) {
        if (value) values_[braced(name)] = *value;
    };
    if (const auto& o = c.organizationSnapshot) {
        values_["{{org.naam}}"] = o->name;
        set("org.straat", o->street);
        set("org.huisnummer", o->houseNumber);
        set("org.postcode", o->postcode);
        set("org.stad", o->city);
        set("org.land", o->country);
        set("org.email", o->email);
        set("org.telefoon", o->phone);
        set("org.iban", o->iban);
        set("org.bic", o->bic);
        set("org.kvk", o->kvkNumber);
        set("org.btw", o->vatNumber);
    }
    if (const auto& k = c.customerSnapshot) {
        values_["{{klant.bedrijf}}"] = k->companyName;
        set("klant.straat", k->street);
        set("klant.huisnummer", k->houseNumber);
        set("klant.postcode", k->postcode);
        set("klant.stad", k->city);
        set("klant.land", k->country);
        set("klant.btw", k->vatNumber);
    }
    if (const auto& p = c.contactSnapshot) {
        std::string name = p->firstName.value_or("");
        if (p->lastName && !p->lastName->empty()) name += (name.empty() ? "" : " ") + *p->lastName;
        values_["{{klant.naam}}"] = name;
        set("klant.email", p->email);
    }
}

void TemplateVariables::fillAmounts(const InvoiceContent& c) {
    std::int64_t excl = 0, vat = 0, incl = 0;
    for (const InvoiceLineItem& line : c.lineItems) {
        excl += line.subtotalExVatCents;
        vat += line.vatAmountCents;
        incl += line.totalIncVatCents;
    }
    values_["{{subtotaal}}"] = values_["{{totaal_excl}}"] = format_.money(excl, "EUR");
    values_["{{btw}}"] = format_.money(vat, "EUR");
    values_["{{totaal_incl}}"] = format_.money(incl, "EUR");
    std::int64_t outstanding = c.outstandingCents.value_or(incl);
    values_["{{openstaand_bedrag}}"] = format_.money(outstanding, "EUR");
    values_["{{incassokosten}}"] = format_.money(collectionCostsCents(outstanding), "EUR");
}

const std::string& TemplateVariables::value(const std::string& name) const {
    static const std::string empty;
    auto it = values_.find(name);
    return it == values_.end() ? empty : it->second;
}

std::string TemplateVariables::substitute(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t open = text.find("{{", pos);
        if (open == std::string_view::npos) break;
        std::size_t close = text.find("}}", open + 2);
        if (close == std::string_view::npos) break;
        out.append(text.substr(pos, open - pos));
        std::string_view name = text.substr(open, close + 2 - open);
        if (auto it = values_.find(name); it != values_.end()) {
            out += it->second;
            pos = close + 2;
        } else {
            // Not ours: keep the brace and look for a variable starting after it.
            out += '{';
            pos = open + 1;
        }
    }
    out.append(text.substr(pos));
    return out;
}

std::string TemplateVariables::substituteLines(std::string_view text) const {
    std::istringstream lines(substitute(text));
    std::string line, out;
    while (std::getline(lines, line)) {
        std::string trimmed = trimRight(line);
        if (trimmed.find_first_not_of(" \t") == std::string::npos) continue;
        if (!out.empty()) out += '\n';
        out += trimmed;
    }
    return out;
}

std::string fillPageNumbers(std::string_view text, int pageNumber, int pageCount) {
    std::string out(text);
    std::string number = std::to_string(pageNumber), count = std::to_string(pageCount);
    replaceAll(out, kPageNumberMark, number);
    replaceAll(out, kPageCountMark, count);
    replaceAll(out, "{{paginanummer}}", number);
    replaceAll(out, "{{totaalpaginas}}", count);
    return out;
}

}  // namespace zelvorin
