#include "service/templates/MessageValues.h"

#include "service/http/HtmlText.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/Records.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service::messagevalues {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

Json settingsOf(Connection& db, const Caller& caller) {
    const std::vector<StoredRecord> settings = templaterecords::live(db, caller, "orgSettings");
    return settings.empty() ? Json::object() : settings.front().payload;
}

void addOrganisation(MessageVariables& values, const Json& settings) {
    values.orgName = text(settings, "orgName");
    values.iban = text(settings, "iban");
    values.bic = text(settings, "bic");
    if (const auto days = settings.find("paymentTermsDays");
        days != settings.end() && days->is_number_integer())
        values.paymentTermDays = days->get<std::int64_t>();
}

}  // namespace

MessageVariables ofInvoice(Connection& db, const Caller& caller, const Json& invoice) {
    MessageVariables values;
    if (const auto customerId = text(invoice, "customerId")) {
        const std::optional<StoredRecord> customer =
            records::find(db, caller.organizationId, "customer", *customerId);
        if (customer && !customer->deleted) values.customerName = text(customer->payload, "companyName");
    }
    values.invoiceNumber = text(invoice, "invoiceNumber");
    values.totalCents = invoicerecords::integer(invoice, "totalCents");
    values.dueDate = text(invoice, "dueDate");
    values.issueDate = text(invoice, "issueDate");
    addOrganisation(values, settingsOf(db, caller));
    return values;
}

MessageVariables sample(Connection& db, const Caller& caller) {
    MessageVariables values;
    values.customerName = "Bakkerij Jansen";
    values.invoiceNumber = "FAC-2026-0001";
    values.totalCents = 121000;
    values.dueDate = "2026-04-15";
    values.issueDate = "2026-03-16";
    addOrganisation(values, settingsOf(db, caller));
    return values;
}

std::vector<std::pair<std::string, std::string>> ownVariables(Connection& db, const Caller& caller) {
    std::vector<std::pair<std::string, std::string>> own;
    for (const StoredRecord& variable : templaterecords::live(db, caller, "orgVariable"))
        if (!variable.payload.value("isBuiltin", false))
            own.emplace_back(text(variable.payload, "key").value_or(""),
                             text(variable.payload, "defaultValue").value_or(""));
    return own;
}

Json preview(const std::string& text, const std::string& style) {
    std::string html = "<div class=\"mail mail-" + htmlEscaped(style) + "\">";
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\n\n", start);
        if (end == std::string::npos) end = text.size();
        std::string paragraph = htmlEscaped(text.substr(start, end - start));
        for (std::size_t at = paragraph.find('\n'); at != std::string::npos; at = paragraph.find('\n', at))
            paragraph.replace(at, 1, "<br>");
        if (!paragraph.empty()) html += "<p>" + paragraph + "</p>";
        start = end + 2;
    }
    html += "</div>";
    return Json{{"text", text}, {"html", html}};
}

}  // namespace zelvorin::service::messagevalues
