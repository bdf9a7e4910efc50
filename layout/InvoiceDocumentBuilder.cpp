#include <algorithm>

#include <nlohmann/json.hpp>

#include "domain/InvoiceDocumentTitle.h"
#include "domain/LineTotals.h"
#include "layout/DefaultLayout.h"
#include "layout/InvoiceSource.h"
#include "layout/LayoutError.h"
#include "layout/TemplateUploads.h"

namespace zelvorin {
namespace {

using nlohmann::json;

std::optional<std::string> text(const json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// The organisation's date notation in the layout's vocabulary; day-month-year is the default.
std::optional<std::string> layoutDateFormat(const std::optional<std::string>& stored) {
    if (!stored) return std::nullopt;
    if (*stored == "en-us" || *stored == "MM/dd/yyyy") return "en-us";
    if (*stored == "en-gb" || *stored == "dd/MM/yyyy") return "en-gb";
    if (*stored == "iso" || *stored == "yyyy-MM-dd") return "iso";
    return std::nullopt;
}

// "nl-NL" for a Dutch organisation; the region comes from the number format ("nl-NL" → "NL").
std::string locale(const std::optional<InvoiceSourceOrganisation>& org) {
    std::string language = org && org->defaultLanguage ? org->defaultLanguage->substr(0, 2) : "nl";
    std::string region = "NL";
    if (org && org->numberFormat && org->numberFormat->size() == 5) region = org->numberFormat->substr(3);
    return language + "-" + region;
}

OrganizationSnapshot organisationFromSettings(const InvoiceSourceOrganisation& org) {
    OrganizationSnapshot snapshot;
    snapshot.name = org.orgName.value_or("");
    snapshot.street = org.addressStreet;
    snapshot.postcode = org.addressPostal;
    snapshot.city = org.addressCity;
    snapshot.vatNumber = org.vatNumber;
    snapshot.kvkNumber = org.kvkNumber;
    snapshot.iban = org.iban;
    snapshot.bic = org.bic;
    snapshot.phone = org.orgPhone;
    snapshot.email = org.orgEmail;
    return snapshot;
}

CustomerSnapshot customerFromRecord(const InvoiceSourceCustomer& customer) {
    return {customer.companyName, customer.street,  customer.houseNumber, customer.postcode,
            customer.city,        customer.country, customer.vatNumber};
}

// What the invoice showed when it was numbered wins over today's settings and customer; contact
// details the snapshot does not carry still come from the settings.
void applySnapshot(const json& snapshot, InvoiceContent& content) {
    OrganizationSnapshot org = content.organizationSnapshot.value_or(OrganizationSnapshot{});
    if (auto name = text(snapshot, "orgName")) org.name = *name;
    org.address = text(snapshot, "orgAddress");
    if (auto v = text(snapshot, "orgStreet")) org.street = v;
    if (auto v = text(snapshot, "orgPostcode")) org.postcode = v;
    if (auto v = text(snapshot, "orgCity")) org.city = v;
    if (auto v = text(snapshot, "orgVatNumber")) org.vatNumber = v;
    if (auto v = text(snapshot, "orgKvkNumber")) org.kvkNumber = v;
    if (auto v = text(snapshot, "bankIban")) org.iban = v;
    if (auto v = text(snapshot, "bankBic")) org.bic = v;
    content.organizationSnapshot = std::move(org);

    CustomerSnapshot customer = content.customerSnapshot.value_or(CustomerSnapshot{});
    if (auto name = text(snapshot, "customerCompanyName")) customer.companyName = *name;
    if (auto v = text(snapshot, "customerStreet")) customer.street = v;
    if (auto v = text(snapshot, "customerHouseNumber")) customer.houseNumber = v;
    if (auto v = text(snapshot, "customerPostcode")) customer.postcode = v;
    if (auto v = text(snapshot, "customerCity")) customer.city = v;
    if (auto v = text(snapshot, "customerVatNumber")) customer.vatNumber = v;
    content.customerSnapshot = std::move(customer);
}

InvoiceLineItem lineItem(const InvoiceSourceLine& line, VatTreatment invoiceTreatment) {
    const std::optional<LineMode> mode = parseLineMode(line.lineMode);
    if (!mode) {
        throw LayoutError(
            LayoutError::Kind::invalidDocument,
            "Regel '" + line.description + "' heeft een onbekende regelsoort '" + line.lineMode + "'.");
    }
    std::optional<VatTreatment> override;
    if (line.vatTreatmentOverride) {
        override = parseVatTreatment(*line.vatTreatmentOverride);
        if (!override) {
            throw LayoutError(LayoutError::Kind::invalidDocument,
                              "Regel '" + line.description + "' heeft een onbekende btw-behandeling '" +
                                  *line.vatTreatmentOverride + "'.");
        }
    }
    const CalcLine calc{*mode, line.quantityHundredths, line.unitPriceCents, line.amountCents, override};
    const LineTotals totals = lineTotals(calc, invoiceTreatment);
    InvoiceLineItem item;
    item.id = line.id;
    item.sortOrder = line.sortOrder;
    item.description = line.description;
    if (*mode == LineMode::hoursRate) item.hoursHundredths = line.quantityHundredths;
    if (*mode == LineMode::qtyPrice) item.quantityHundredths = line.quantityHundredths;
    item.unitPriceCents = *mode == LineMode::fixed ? line.amountCents : line.unitPriceCents;
    item.vatRate = vatRate(effectiveTreatment(calc, invoiceTreatment));
    item.vatTreatmentOverride = std::string(rawValue(effectiveTreatment(calc, invoiceTreatment)));
    item.subtotalExVatCents = totals.exclCents;
    item.vatAmountCents = totals.vatCents;
    item.totalIncVatCents = totals.inclCents;
    return item;
}

InvoiceLayoutConfig layoutOf(const std::optional<std::string>& config, std::vector<std::string>& notices) {
    if (!config) return defaultLayout();
    try {
        return decodeInvoiceLayoutConfig(*config);
    } catch (const LayoutError& error) {
        notices.push_back(std::string(kTemplateConfigUnreadable) + " " + error.what());
        return defaultLayout();
    }
}

}  // namespace

BuiltInvoiceDocument buildInvoiceDocument(const InvoiceSource& source) {
    BuiltInvoiceDocument built;
    InvoiceDocument& document = built.document;
    document.layout = layoutOf(source.templateConfig, built.notices);
    if (source.logoDataUrl) {
        for (BlockConfig& block : document.layout.blocks)
            if (block.type == BlockType::logoBlock && !block.imageUrl && !block.imagePngDataUrl)
                block.imageUrl = source.logoDataUrl;
    }
    resolveUploadImages(document.layout, source.uploadDataUrls);
    document.locale = locale(source.organisation);
    document.currency =
        source.organisation && source.organisation->currency ? *source.organisation->currency : "EUR";

    InvoiceContent& content = document.content;
    std::optional<std::string> storedDateFormat;
    if (source.organisation) {
        content.organizationSnapshot = organisationFromSettings(*source.organisation);
        content.footerText = source.organisation->footerText;
        content.paymentTermsDays = source.organisation->paymentTermsDays;
        storedDateFormat = source.organisation->dateFormat;
    }
    if (source.customer) content.customerSnapshot = customerFromRecord(*source.customer);
    if (source.snapshotData) {
        const json snapshot = json::parse(*source.snapshotData, nullptr, false);
        if (snapshot.is_object()) {
            applySnapshot(snapshot, content);
            if (auto format = text(snapshot, "dateFormat")) storedDateFormat = format;
        } else {
            built.notices.push_back(
                "De momentopname van de factuur is geen geldige JSON; de huidige "
                "organisatie- en klantgegevens zijn gebruikt.");
        }
    }
    document.dateFormat = layoutDateFormat(storedDateFormat);

    const std::optional<VatTreatment> treatment = parseVatTreatment(source.vatTreatment);
    if (!treatment)
        throw LayoutError(LayoutError::Kind::invalidDocument,
                          "De factuur heeft een onbekende btw-behandeling '" + source.vatTreatment + "'.");
    content.vatTreatment = source.vatTreatment;
    content.invoiceNumber = source.invoiceNumber ? source.invoiceNumber : source.localDraftNumber;
    content.issueDate = source.issueDate;
    content.dueDate = source.dueDate;
    content.referenceNumber = source.referenceNumber;
    content.projectDescription = source.projectDescription;
    content.freeText = source.freeText;
    if (source.paymentTermsOverride) content.paymentTermsDays = source.paymentTermsOverride;
    if (*treatment == VatTreatment::verlegd && source.organisation)
        content.notesExternal = source.organisation->verlegdNote;
    const bool creditNote = source.invoiceType == std::string("credit_note");
    content.documentType = std::string(InvoiceDocumentTitle::title(creditNote, document.locale));
    content.title = content.documentType;

    std::vector<InvoiceSourceLine> lines = source.lines;
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.sortOrder < b.sortOrder; });
    content.lineItems.reserve(lines.size());
    for (const InvoiceSourceLine& line : lines)
        content.lineItems.push_back(lineItem(line, *treatment));
    return built;
}

}  // namespace zelvorin
