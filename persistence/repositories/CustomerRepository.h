#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/Executor.h"
#include "persistence/Observation.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

struct LinkedInvoices {
    std::vector<DraftInvoiceRecord> outgoing;
    std::vector<IncomingInvoiceRecord> incoming;
    bool operator==(const LinkedInvoices&) const = default;
};

// The customer list and detail screens: customers, their contact persons and the invoices linked
// to them. Writes are local edits: the row and its queued change ("customer" / "contact") land in
// one transaction.
class CustomerRepository {
public:
    CustomerRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    // Customers that are not deleted, archived ones only when asked; a non-empty search matches
    // company name, city or a contact person's name. By company name, ignoring case.
    static std::string customersStatement(bool includeArchived, bool searching);  // the pattern bound 3 times
    static std::vector<CustomerRecord> customers(Connection& db, bool includeArchived,
                                                 const std::string& search);
    std::vector<CustomerRecord> customers(bool includeArchived, const std::string& search);
    ObservationHandle observeCustomers(bool includeArchived, std::string search,
                                       std::function<void(std::vector<CustomerRecord>)> onValue,
                                       std::shared_ptr<Executor> deliverOn);

    std::optional<CustomerRecord> customer(const std::string& id);                   // tombstoned rows too
    std::vector<ContactPersonRecord> contactPersons(const std::string& customerId);  // primary first
    std::vector<ContactPersonRecord> allContactPersons();
    std::optional<ContactPersonRecord> contactPerson(const std::string& id);
    LinkedInvoices linkedInvoices(const std::string& customerId);

    // A new customer from the given fields (its id, stamps and sync state are set here).
    CustomerRecord createCustomer(CustomerRecord fields);
    // Writes the editable fields of `customer` over its row. Throws PersistenceError notFound when the
    // customer does not exist.
    CustomerRecord updateCustomer(const CustomerRecord& customer, std::vector<std::string> changedFields);
    // Creates the contact person when its id is empty or unknown, else updates it.
    ContactPersonRecord saveContactPerson(ContactPersonRecord person);
    // False when there is no such contact person.
    bool deleteContactPerson(const std::string& id);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace zelvorin
