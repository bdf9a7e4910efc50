#include "screens/InvoiceListScreen.h"

#include "screens/InvoiceOverview.h"

namespace zelvorin {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string InvoiceListScreen::segmentTitle(InvoiceSegment segment) {
    switch (segment) {
        case InvoiceSegment::alle:
            return "Alle";
        case InvoiceSegment::concept_:
            return "Concept";
        case InvoiceSegment::verzonden:
            return "Verzonden";
        case InvoiceSegment::betaald:
            return "Betaald";
        case InvoiceSegment::achterstallig:
            return "Achterstallig";
    }
    return "";
}

std::vector<InvoiceListScreen::YearChoice> InvoiceListScreen::yearChoices(int currentYear) {
    std::vector<YearChoice> choices{{"Alle jaren", std::nullopt}};
    for (int year = currentYear; year > currentYear - 5; --year)
        choices.push_back({std::to_string(year), year});
    return choices;
}

const std::vector<std::string>& InvoiceListScreen::columnTitles() {
    static const std::vector<std::string> titles{"Nummer",      "Klant",  "Datum",
                                                 "Vervaldatum", "Bedrag", "Status"};
    return titles;
}

std::string InvoiceListScreen::cellText(const InvoiceListItem& item, Column column,
                                        const DisplayFormats& formats) {
    switch (column) {
        case number:
            return invoiceLabel(item);  // a draft shows its draft number until it is sent
        case customer:
            return item.customerName.value_or("Geen klant");
        case issueDate:
            return formats.date(item.issueDate);
        case dueDate:
            return formats.date(item.dueDate);
        case amount:
            return formats.money(item.totalCents);
        case status:
            return invoiceStatusLabel(item.status);
        case columnCount:
            break;
    }
    return {};
}

void InvoiceListScreen::setSegment(InvoiceSegment segment) {
    if (segment == query_.segment) return;
    query_.segment = segment;
    changed();
}

void InvoiceListScreen::setSearch(const std::string& typed) {
    std::string search = trimmed(typed);
    if (search == query_.search) return;
    query_.search = std::move(search);
    changed();
}

void InvoiceListScreen::setYear(std::optional<int> year) {
    if (year == query_.year) return;
    query_.year = year;
    changed();
}

std::string InvoiceListScreen::emptyText() const {
    if (!query_.search.empty()) return "Geen facturen gevonden voor \u201c" + query_.search + "\u201d.";
    if (query_.segment != InvoiceSegment::alle || query_.year) return "Geen facturen in deze selectie.";
    return "Nog geen facturen. Maak je eerste factuur met Ctrl+N.";
}

void InvoiceListScreen::changed() {
    if (onQueryChange_) onQueryChange_();
}

}  // namespace zelvorin
