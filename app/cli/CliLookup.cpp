#include "app/cli/CliLookup.h"

#include "app/cli/CliError.h"

namespace zelvorin::cli {
namespace {

CliError unknown(const std::string& what, const std::string& id) {
    return CliError(CliError::Kind::notFound, "Onbekende " + what + " '" + id + "' in de lokale database.");
}

}  // namespace

DraftInvoiceRecord requireInvoice(CliContext& context, const std::string& id) {
    std::optional<DraftInvoiceRecord> invoice = context.environment().repositories().invoices.invoice(id);
    if (!invoice) throw unknown("factuur", id);
    return *invoice;
}

InvoiceLineRecord requireLine(CliContext& context, const std::string& id) {
    std::optional<InvoiceLineRecord> line = context.environment().repositories().invoices.line(id);
    if (!line) throw unknown("factuurregel", id);
    return *line;
}

CustomerRecord requireCustomer(CliContext& context, const std::string& id) {
    std::optional<CustomerRecord> customer = context.environment().repositories().customers.customer(id);
    if (!customer || customer->deletedAt) throw unknown("klant", id);
    return *customer;
}

}  // namespace zelvorin::cli
