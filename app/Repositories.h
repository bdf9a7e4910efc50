#pragma once

#include <memory>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/repositories/ActionQueueRepository.h"
#include "persistence/repositories/BankRepository.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/DashboardChartsRepository.h"
#include "persistence/repositories/DashboardRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/repositories/KvitraRepository.h"
#include "persistence/repositories/NotificationsRepository.h"
#include "persistence/repositories/OrgRepository.h"
#include "persistence/repositories/PendingUploadRepository.h"
#include "persistence/repositories/ProposalRepository.h"
#include "persistence/repositories/ScheduleRepository.h"

namespace zelvorin {

// Every repository of the local store, all over the environment's one database and clock.
struct Repositories {
    Repositories(const AppDatabase& database, const std::shared_ptr<const Clock>& clock)
        : invoices(database, clock),
          customers(database, clock),
          actionQueue(database, clock),
          pendingUploads(database),
          dashboard(database, clock),
          dashboardCharts(database, clock),
          inbox(database),
          bank(database),
          notifications(database),
          organisation(database),
          proposals(database),
          schedules(database, clock) {}

    InvoiceRepository invoices;
    CustomerRepository customers;
    ActionQueueRepository actionQueue;
    PendingUploadRepository pendingUploads;
    DashboardRepository dashboard;
    DashboardChartsRepository dashboardCharts;
    KvitraRepository inbox;
    BankRepository bank;
    NotificationsRepository notifications;
    OrgRepository organisation;
    ProposalRepository proposals;
    ScheduleRepository schedules;
};

}  // namespace zelvorin
