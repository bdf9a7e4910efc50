#pragma once

#include <CLI/CLI.hpp>

#include "app/cli/CliContext.h"

namespace zelvorin::cli {

// One function per command, each in its own file; main() registers them all.
void addStatusCommand(CLI::App& app, CliContext& context);
// login, logout, whoami, orgs, switch-org
void addAccountCommands(CLI::App& app, CliContext& context);
// sync [--watch]
void addSyncCommand(CLI::App& app, CliContext& context);
// read-receipt FILE
void addReadReceiptCommand(CLI::App& app, CliContext& context);
// receipt add FILE... [--source S], uploads, drain
void addReceiptCommands(CLI::App& app, CliContext& context);
// render INVOICE_ID --pdf out.pdf [--png out.png]
void addRenderCommand(CLI::App& app, CliContext& context);
// invoices, invoice show|new|set|rm
void addInvoiceCommands(CLI::App& app, CliContext& context);
// invoice send|pay|...: what only the service does to an invoice (after addInvoiceCommands)
void addInvoiceActionCommands(CLI::App& app, CliContext& context);
// template email|doc|vars|var, invoice set-template|preview-email (after addInvoiceCommands)
void addTemplateCommands(CLI::App& app, CliContext& context);
// invoice stats|gmail-aliases (after addInvoiceCommands)
void addInvoiceStatsCommands(CLI::App& app, CliContext& context);
// line add|set|rm
void addLineCommands(CLI::App& app, CliContext& context);
// customers, customer add|set
void addCustomerCommands(CLI::App& app, CliContext& context);
// schedules, inbox, bank, dashboard
void addOverviewCommands(CLI::App& app, CliContext& context);
// inbox show|fix|categorize|archive|rm|document (after addOverviewCommands)
void addInboxCommands(CLI::App& app, CliContext& context);
// bank import|sync-now (after addOverviewCommands)
void addBankCommands(CLI::App& app, CliContext& context);
// Below "bank": categorize, search, account and rules.
void addBankRuleCommands(CLI::App& bankCommand, CliContext& context);
// btw QUARTER [--year], btw export QUARTER
void addBtwCommands(CLI::App& app, CliContext& context);
// dashboard summary [--period], dashboard briefing (after addOverviewCommands)
void addDashboardCommands(CLI::App& app, CliContext& context);
// holidays YEAR, schedule days-off SCHEDULE [add DATE [--type] | rm ID]
void addScheduleCommands(CLI::App& app, CliContext& context);
// members list|show|invite|role|name|reset-password|revoke|rm|invites, audit, notifications read|read-all
void addTeamCommands(CLI::App& app, CliContext& context);
// proposals list|new|action|rm|timeline|stats|remind|resend-invite|send
void addProposalCommands(CLI::App& app, CliContext& context);

// org show|set|logo, fonts list|add|rm|get
void addOrgCommands(CLI::App& app, CliContext& context);
// profile show|set|photo, avatar ENTITY ID FILE, integrations show|set|key
void addProfileCommands(CLI::App& app, CliContext& context);

// data stats|export|import|avg-export, org delete --confirm NAME
void addDataCommands(CLI::App& app, CliContext& context);

}  // namespace zelvorin::cli
