#pragma once

#include <string>

#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/OrgRepository.h"
#include "screens/RecordEditor.h"

namespace zelvorin {

// Adding a customer and editing one field by field. A customer always has a name; the other texts
// may be cleared, the switches take ja/nee, the payment term whole days and the hourly rate an
// amount.
class CustomerFormModel {
public:
    struct TypedCustomer {
        std::string name;
        std::string city;
        std::string country;
        std::string email;
        std::string vatNumber;
    };

    CustomerFormModel(CustomerRepository& customers, OrgRepository& organisation);

    // New customers belong to the organisation the device synced; before the first sync the
    // service fills it in. Throws InputError missingValue without a name.
    CustomerRecord add(const TypedCustomer& typed);
    // Throws PersistenceError notFound for an unknown or deleted customer.
    void load(const std::string& customerId);
    void set(const std::string& field, const std::string& typed) { editor_.set(field, typed); }
    CustomerRecord save();

    const CustomerRecord& customer() const { return editor_.record(); }
    std::vector<std::string> fieldNames() const { return editor_.fieldNames(); }
    void setOnChange(std::function<void()> onChange) { editor_.setOnChange(std::move(onChange)); }

private:
    CustomerRepository& customers_;
    OrgRepository& organisation_;
    RecordEditor<CustomerRecord> editor_;
};

}  // namespace zelvorin
