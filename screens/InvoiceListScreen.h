#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "persistence/repositories/InvoiceRepository.h"
#include "screens/DisplayFormats.h"

namespace zelvorin {

// The Facturen section's state: the chosen segment, the search as typed and the year filter,
// which together are the list query the window observes. Every change that alters the query
// tells the listener once; a change to the same value tells nothing, so typing a space that the
// search ignores does not start a new query.
class InvoiceListScreen {
public:
    static constexpr std::array kSegments{InvoiceSegment::alle, InvoiceSegment::concept_,
                                          InvoiceSegment::verzonden, InvoiceSegment::betaald,
                                          InvoiceSegment::achterstallig};
    // "Alle", "Concept", "Verzonden", "Betaald", "Achterstallig"
    static std::string segmentTitle(InvoiceSegment segment);
    // The year filter's choices: "Alle jaren" (nothing), then this year and the four before it.
    struct YearChoice {
        std::string title;
        std::optional<int> year;
    };
    static std::vector<YearChoice> yearChoices(int currentYear);

    // The columns of the list, in order, and a row's text in each.
    static const std::vector<std::string>& columnTitles();
    enum Column { number, customer, issueDate, dueDate, amount, status, columnCount };
    static std::string cellText(const InvoiceListItem& item, Column column, const DisplayFormats& formats);

    const InvoiceListQuery& query() const { return query_; }
    void setSegment(InvoiceSegment segment);
    // Leading and trailing white space is not searched for.
    void setSearch(const std::string& typed);
    void setYear(std::optional<int> year);
    void setOnQueryChange(std::function<void()> listener) { onQueryChange_ = std::move(listener); }

    // What the empty list says: no invoices at all, or none that match the filters.
    std::string emptyText() const;

private:
    void changed();

    InvoiceListQuery query_;
    std::function<void()> onQueryChange_;
};

}  // namespace zelvorin
