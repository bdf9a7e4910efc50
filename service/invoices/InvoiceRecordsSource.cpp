#include "service/invoices/InvoiceRecordsSource.h"

#include <algorithm>

#include "layout/ImageSource.h"
#include "layout/TemplateUploads.h"
#include "persistence/sqlite/Connection.h"
#include "service/org/LogoActions.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

std::optional<std::string> text(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || member->is_null()) return std::nullopt;
    return member->is_string() ? member->get<std::string>() : member->dump();
}

std::optional<std::int64_t> integer(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || !member->is_number_integer()) return std::nullopt;
    return member->get<std::int64_t>();
}

std::optional<Json> livePayload(Connection& db, const std::string& organizationId, const char* type,
                                const std::optional<std::string>& id) {
    if (!id) return std::nullopt;
    const std::optional<StoredRecord> record = records::find(db, organizationId, type, *id);
    if (!record || record->deleted) return std::nullopt;
    return record->payload;
}

std::vector<Json> livePayloads(Connection& db, const std::string& organizationId, const char* type) {
    std::vector<Json> payloads;
    for (const StoredRecord& record : records::all(db, organizationId, std::string(type))) {
        if (!record.deleted) payloads.push_back(record.payload);
    }
    return payloads;
}

InvoiceSourceLine sourceLine(const Json& line) {
    return {text(line, "id").value_or(""),          integer(line, "sortOrder").value_or(0),
            text(line, "description").value_or(""), text(line, "lineMode").value_or(""),
            integer(line, "quantityHundredths"),    integer(line, "unitPriceCents"),
            integer(line, "amountCents"),           text(line, "vatTreatmentOverride")};
}

InvoiceSourceCustomer sourceCustomer(const Json& customer) {
    return {text(customer, "companyName").value_or(""),
            text(customer, "street"),
            text(customer, "houseNumber"),
            text(customer, "postcode"),
            text(customer, "city"),
            text(customer, "country"),
            text(customer, "vatNumber")};
}

InvoiceSourceOrganisation sourceOrganisation(const Json& s) {
    InvoiceSourceOrganisation org;
    org.orgName = text(s, "orgName");
    org.vatNumber = text(s, "vatNumber");
    org.kvkNumber = text(s, "kvkNumber");
    org.addressStreet = text(s, "addressStreet");
    org.addressCity = text(s, "addressCity");
    org.addressPostal = text(s, "addressPostal");
    org.orgPhone = text(s, "orgPhone");
    org.orgEmail = text(s, "orgEmail");
    org.iban = text(s, "iban");
    org.bic = text(s, "bic");
    org.footerText = text(s, "footerText");
    org.verlegdNote = text(s, "verlegdNote");
    org.defaultLanguage = text(s, "defaultLanguage");
    org.dateFormat = text(s, "dateFormat");
    org.currency = text(s, "currency");
    org.numberFormat = text(s, "numberFormat");
    org.paymentTermsDays = integer(s, "paymentTermsDays");
    return org;
}

// The template the invoice names, else the default for its kind (new-invoice default first, then
// by name), as the devices choose it.
std::optional<std::string> templateConfig(Connection& db, const std::string& organizationId,
                                          const Json& invoice) {
    if (const auto named = livePayload(db, organizationId, "invoiceTemplate", text(invoice, "templateId")))
        return text(*named, "config");
    const std::string kind = text(invoice, "invoiceType").value_or("invoice");
    std::vector<Json> candidates;
    for (Json& candidate : livePayloads(db, organizationId, "invoiceTemplate")) {
        if (text(candidate, "defaultFor") == kind) candidates.push_back(std::move(candidate));
    }
    if (candidates.empty()) return std::nullopt;
    const auto first =
        std::min_element(candidates.begin(), candidates.end(), [](const Json& a, const Json& b) {
            const bool aNew = a.value("isDefaultForNew", false), bNew = b.value("isDefaultForNew", false);
            if (aNew != bNew) return aNew;
            return text(a, "name").value_or("") < text(b, "name").value_or("");
        });
    return text(*first, "config");
}

}  // namespace

std::optional<InvoiceSource> invoiceSourceFromRecords(Connection& db, const std::string& organizationId,
                                                      const std::string& invoiceId) {
    const std::optional<Json> invoice = livePayload(db, organizationId, "draftInvoice", invoiceId);
    if (!invoice) return std::nullopt;
    InvoiceSource source;
    source.id = invoiceId;
    source.invoiceNumber = text(*invoice, "invoiceNumber");
    source.localDraftNumber = text(*invoice, "localDraftNumber");
    source.issueDate = text(*invoice, "issueDate").value_or("");
    source.dueDate = text(*invoice, "dueDate");
    source.referenceNumber = text(*invoice, "referenceNumber");
    source.projectDescription = text(*invoice, "projectDescription");
    source.freeText = text(*invoice, "freeText");
    source.invoiceType = text(*invoice, "invoiceType");
    source.vatTreatment = text(*invoice, "vatTreatment").value_or("nl_21");
    source.paymentTermsOverride = integer(*invoice, "paymentTermsOverride");
    source.snapshotData = text(*invoice, "snapshotData");
    for (const Json& line : livePayloads(db, organizationId, "invoiceLine")) {
        if (text(line, "invoiceId") == invoiceId) source.lines.push_back(sourceLine(line));
    }
    std::stable_sort(
        source.lines.begin(), source.lines.end(),
        [](const InvoiceSourceLine& a, const InvoiceSourceLine& b) { return a.sortOrder < b.sortOrder; });
    if (const auto customer = livePayload(db, organizationId, "customer", text(*invoice, "customerId")))
        source.customer = sourceCustomer(*customer);
    for (const Json& settings : livePayloads(db, organizationId, "orgSettings")) {
        source.organisation = sourceOrganisation(settings);
        source.logoDataUrl = logoDataUrl(db, organizationId, settings);
        break;
    }
    source.templateConfig = templateConfig(db, organizationId, *invoice);
    // Looked up among this organisation's files only: another's key finds nothing here.
    for (const std::string& key : uploadKeysOfConfig(source.templateConfig)) {
        const std::optional<StoredFile> file = storedfiles::find(db, organizationId, key);
        if (!file) continue;
        if (std::optional<std::string> url = drawableDataUrl(file->bytes))
            source.uploadDataUrls.emplace(key, std::move(*url));
    }
    return source;
}

}  // namespace zelvorin::service
