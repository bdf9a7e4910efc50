#pragma once

#include <memory>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/InvoiceRepository.h"

namespace zelvorin {

// Every repository of the local store, all over the environment's one database and clock.
struct Repositories {
    Repositories(const AppDatabase& database, const std::shared_ptr<const Clock>& clock)
        : invoices(database, clock), customers(database, clock) {}

    InvoiceRepository invoices;
    CustomerRepository customers;
};

}  // namespace zelvorin
