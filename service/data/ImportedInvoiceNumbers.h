#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The numbers of invoices and credit notes that a merging import brings into an organisation that
// numbers its own. A number once handed out is a legal fact and never changes, so a bundle holding
// a number another invoice of the organisation already carries (a deleted one too: its number was
// handed out) cannot be merged; the import is refused whole. Unnumbered drafts never clash.
class ImportedInvoiceNumbers {
public:
    ImportedInvoiceNumbers(Connection& db, const std::string& organizationId);

    // Notes the incoming record's number when another record of the organisation carries it.
    void check(const std::string& entityType, const std::string& id, const nlohmann::ordered_json& payload);
    // Throws ServiceError (conflict) naming the clashing numbers.
    void requireNoClash() const;

private:
    std::map<std::string, std::string> taken_;  // number -> id of the record that carries it
    std::vector<std::string> clashes_;
};

}  // namespace zelvorin::service
