#pragma once

#include <vector>

#include "service/seed/SeedParts.h"

// What the demo seed contains, as plain data: the two organisations, their customers and their
// invoices with every line.
namespace zelvorin::service::seed {

const OrgProfile& demoProfile();
const std::vector<CustomerPlan>& demoCustomers();
const std::vector<InvoicePlan>& demoInvoices();

const OrgProfile& secondProfile();
const std::vector<CustomerPlan>& secondCustomers();
const std::vector<InvoicePlan>& secondInvoices();

}  // namespace zelvorin::service::seed
