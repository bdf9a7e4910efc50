#pragma once

#include <vector>

#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

// The plans of a busy practice's book, for measuring and stress-testing sync at volume: customers
// with two contact persons, each with four draft invoices of three lines. Exactly `records`
// records come of them (a short last batch is made up of customers without contacts). Invoice
// plans refer to the customers by index from `firstCustomer` on.
struct VolumePlans {
    std::vector<CustomerPlan> customers;
    std::vector<InvoicePlan> invoices;
};
VolumePlans volumePlans(int records, int firstCustomer);

}  // namespace zelvorin::service::seed
