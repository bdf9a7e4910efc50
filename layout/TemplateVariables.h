#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

#include "layout/DocumentFormat.h"
#include "layout/InvoiceDocument.h"

namespace zelvorin {

// Stand-ins for the page number and page count until pagination knows them.
inline constexpr std::string_view kPageNumberMark = "\xEE\x80\x81";  // U+E001
inline constexpr std::string_view kPageCountMark = "\xEE\x80\x82";   // U+E002

// The "{{name}}" variables of block texts with their values for one document. Every known name
// starts empty, so a variable without data prints as nothing; unknown names stay as written.
class TemplateVariables {
public:
    TemplateVariables(const InvoiceDocument& document, std::chrono::sys_days today);

    std::string substitute(std::string_view text) const;
    // Substitutes, trims trailing white space per line and drops the lines that became empty.
    std::string substituteLines(std::string_view text) const;
    const std::string& value(const std::string& name) const;
    bool knows(const std::string& name) const { return values_.count(name) != 0; }

    static std::size_t knownNameCount();

private:
    void fillDocument(const InvoiceDocument& document, std::chrono::sys_days today);
    void fillParties(const InvoiceContent& content);
    void fillAmounts(const InvoiceContent& content);

    DocumentFormat format_;
    std::map<std::string, std::string, std::less<>> values_;
};

// "{{paginanummer}}"/"{{totaalpaginas}}" and their marks replaced by the page's figures.
std::string fillPageNumbers(std::string_view text, int pageNumber, int pageCount);

}  // namespace zelvorin
