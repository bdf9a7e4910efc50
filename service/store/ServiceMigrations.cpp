#include "service/store/ServiceMigrations.h"

namespace zelvorin::service {

namespace {

// Users, organisations and who belongs where.
constexpr const char* kAccounts = R"sql(
CREATE TABLE organization (
  id TEXT PRIMARY KEY NOT NULL,
  name TEXT NOT NULL,
  created_at TEXT NOT NULL
);
CREATE TABLE user_account (
  id TEXT PRIMARY KEY NOT NULL,
  email TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL,
  created_at TEXT NOT NULL
);
CREATE TABLE membership (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  user_id TEXT NOT NULL REFERENCES user_account(id),
  role TEXT NOT NULL CHECK (role IN ('owner', 'admin', 'member')),
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, user_id)
);
CREATE INDEX idx_membership_user ON membership(user_id);
)sql";

// Signing in: the secret access tokens are signed with (made once, so tokens outlive restarts),
// one-time codes (hand-off codes and onboarding tokens, kept only as their SHA-256), device
// sessions (revoked ones stay for the admin list), one-time refresh tokens (SHA-256 too) and how
// far each user got in the onboarding of an organisation.
constexpr const char* kSignIn = R"sql(
CREATE TABLE signing_secret (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  secret TEXT NOT NULL
);
CREATE TABLE sign_in_grant (
  code_hash TEXT PRIMARY KEY NOT NULL,
  purpose TEXT NOT NULL CHECK (purpose IN ('handoff', 'onboarding')),
  user_id TEXT NOT NULL REFERENCES user_account(id),
  organization_id TEXT REFERENCES organization(id),
  device_id TEXT NOT NULL,
  platform TEXT NOT NULL,
  app_version TEXT NOT NULL,
  device_name TEXT NOT NULL,
  expires_at INTEGER NOT NULL,
  used INTEGER NOT NULL DEFAULT 0,
  CHECK ((purpose = 'handoff') = (organization_id IS NOT NULL))
);
CREATE TABLE device_session (
  id TEXT PRIMARY KEY NOT NULL,
  user_id TEXT NOT NULL REFERENCES user_account(id),
  organization_id TEXT NOT NULL REFERENCES organization(id),
  device_id TEXT NOT NULL,
  platform TEXT NOT NULL,
  app_version TEXT NOT NULL,
  label TEXT NOT NULL,
  user_agent TEXT NOT NULL,
  ip TEXT NOT NULL,
  created_at TEXT NOT NULL,
  last_seen_at TEXT NOT NULL,
  revoked INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX idx_device_session_org ON device_session(organization_id, created_at);
CREATE INDEX idx_device_session_user ON device_session(user_id, organization_id);
CREATE TABLE refresh_token (
  token_hash TEXT PRIMARY KEY NOT NULL,
  session_id TEXT NOT NULL REFERENCES device_session(id),
  used INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE onboarding_step (
  user_id TEXT NOT NULL REFERENCES user_account(id),
  organization_id TEXT NOT NULL REFERENCES organization(id),
  step INTEGER NOT NULL,
  PRIMARY KEY (user_id, organization_id)
);
)sql";

// The records of every organisation, keyed by (organisation, entity type, id), and the
// append-only change log that pulls read: each write appends one entry whose sequence comes from
// one AUTOINCREMENT counter, so sequences only grow, are never reused and survive restarts.
constexpr const char* kRecords = R"sql(
CREATE TABLE change_log (
  sequence INTEGER PRIMARY KEY AUTOINCREMENT,
  organization_id TEXT NOT NULL REFERENCES organization(id),
  entity_type TEXT NOT NULL,
  entity_id TEXT NOT NULL,
  operation TEXT NOT NULL CHECK (operation IN ('create', 'update', 'delete')),
  revision INTEGER NOT NULL,
  changed_at TEXT NOT NULL,
  device_id TEXT,
  idempotency_key TEXT
);
CREATE INDEX idx_change_log_org_sequence ON change_log(organization_id, sequence);
CREATE UNIQUE INDEX idx_change_log_idempotency ON change_log(organization_id, idempotency_key)
  WHERE idempotency_key IS NOT NULL;
CREATE TABLE record (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  entity_type TEXT NOT NULL,
  id TEXT NOT NULL,
  revision INTEGER NOT NULL,
  payload TEXT NOT NULL,
  deleted INTEGER NOT NULL DEFAULT 0,
  last_sequence INTEGER NOT NULL REFERENCES change_log(sequence),
  changed_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, entity_type, id)
);
CREATE INDEX idx_record_org_sequence ON record(organization_id, last_sequence);
)sql";

// The first answer to each pushed change, so that a retried push is answered without applying twice.
constexpr const char* kPushReceipts = R"sql(
CREATE TABLE push_receipt (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  idempotency_key TEXT NOT NULL,
  list TEXT NOT NULL CHECK (list IN ('accepted', 'conflicts', 'errors')),
  item TEXT NOT NULL,
  PRIMARY KEY (organization_id, idempotency_key)
);
)sql";

// Files the devices uploaded (inbox documents), served back by key.
constexpr const char* kStoredFiles = R"sql(
CREATE TABLE stored_file (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  key TEXT NOT NULL,
  file_name TEXT NOT NULL,
  content_type TEXT NOT NULL,
  bytes BLOB NOT NULL,
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, key)
);
)sql";

// Who changed which record when, one entry per change-log entry (the same sequence), written in
// the transaction of the change.
constexpr const char* kAudit = R"sql(
CREATE TABLE audit_entry (
  sequence INTEGER PRIMARY KEY NOT NULL REFERENCES change_log(sequence),
  organization_id TEXT NOT NULL REFERENCES organization(id),
  at TEXT NOT NULL,
  source TEXT NOT NULL CHECK (source IN ('push', 'route', 'seed', 'admin', 'service')),
  user_id TEXT,
  device_id TEXT,
  action TEXT NOT NULL CHECK (action IN ('create', 'update', 'delete', 'restate')),
  entity_type TEXT NOT NULL,
  entity_id TEXT NOT NULL,
  revision INTEGER NOT NULL
);
CREATE INDEX idx_audit_entry_org ON audit_entry(organization_id, sequence);
)sql";

// The last invoice number handed out per organisation and year. A number is taken in the
// transaction that sends the invoice and is never handed out again, whatever becomes of it.
constexpr const char* kInvoiceNumbers = R"sql(
CREATE TABLE invoice_number_counter (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  year INTEGER NOT NULL,
  last_sequence INTEGER NOT NULL CHECK (last_sequence >= 0),
  PRIMARY KEY (organization_id, year)
);
)sql";

// What happened to an invoice beyond its record's fields (sent to whom, a payment, a reminder, the
// reason of a cancel or reopen), for its timeline; written in the transaction of the action.
constexpr const char* kInvoiceEvents = R"sql(
CREATE TABLE invoice_event (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  id TEXT NOT NULL,
  invoice_id TEXT NOT NULL,
  kind TEXT NOT NULL,
  occurred_at TEXT NOT NULL,
  description TEXT NOT NULL,
  detail TEXT,
  reminder_level TEXT,
  reminder_recipient TEXT,
  PRIMARY KEY (organization_id, id)
);
CREATE INDEX idx_invoice_event_invoice ON invoice_event(organization_id, invoice_id, occurred_at);
)sql";

// A send the service makes at its time: the message as the device composed it (JSON of the
// send body), and who asked, whose name the send is made in. One per invoice; sending the invoice
// by hand takes it away in the same transaction.
constexpr const char* kScheduledSends = R"sql(
CREATE TABLE scheduled_send (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  invoice_id TEXT NOT NULL,
  scheduled_at TEXT NOT NULL,
  message TEXT NOT NULL,
  user_id TEXT NOT NULL,
  device_id TEXT NOT NULL,
  PRIMARY KEY (organization_id, invoice_id)
);
CREATE INDEX idx_scheduled_send_due ON scheduled_send(scheduled_at);
)sql";

// The organisation's decisions about the dashboard briefing's suggested actions, by the action's id:
// done and dismissed keep it away, snoozed until its date.
constexpr const char* kBriefingDecisions = R"sql(
CREATE TABLE briefing_decision (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  action_id TEXT NOT NULL,
  decision TEXT NOT NULL CHECK (decision IN ('done', 'dismissed', 'snoozed')),
  snooze_until TEXT,
  user_id TEXT NOT NULL,
  decided_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, action_id)
);
)sql";

// An invoice's lines and payments by the invoice: restating totals after a pushed line read every
// record of the organisation without it. A refresh token's issue time, for its idle lifetime
// (tokens issued before stay 0: their sessions' absolute lifetime still ends them).
constexpr const char* kHardening = R"sql(
CREATE INDEX idx_record_invoice ON record(organization_id, entity_type, json_extract(payload, '$.invoiceId'));
ALTER TABLE refresh_token ADD COLUMN issued_at INTEGER NOT NULL DEFAULT 0;
)sql";

// Inbox uploads by the device's idempotency key, with the items they made.
constexpr const char* kInboxUploadKeys = R"sql(
CREATE TABLE inbox_upload_key (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  idempotency_key TEXT NOT NULL,
  item_ids TEXT NOT NULL,
  PRIMARY KEY (organization_id, idempotency_key)
);
)sql";

// Recurring-invoice schedules on the service. A schedule's days off (not synced: devices read and
// change them through their routes), at most one per day. Every period the service has billed,
// keyed on schedule and period, so a period gets one invoice however often the generator runs,
// restarts or races itself (invoice_id is NULL for a period without billable hours). The generator
// bills no moment before it first ran on this database (generation_start, one row).
constexpr const char* kSchedules = R"sql(
CREATE TABLE schedule_day_off (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  id TEXT NOT NULL,
  schedule_id TEXT NOT NULL,
  date TEXT NOT NULL,
  type TEXT NOT NULL,
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, id),
  UNIQUE (organization_id, schedule_id, date)
);
CREATE TABLE schedule_run (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  schedule_id TEXT NOT NULL,
  period_start TEXT NOT NULL,
  period_end TEXT NOT NULL,
  billing_date TEXT NOT NULL,
  invoice_id TEXT,
  generated_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, schedule_id, period_start)
);
CREATE TABLE schedule_generation (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  started_at TEXT NOT NULL
);
)sql";

// The organisation's bank rules: transactions of a counterparty (its name contains the pattern, or
// its IBAN is the pattern) get the rule's category when they arrive, so they no longer wait for
// review. One rule per pattern.
constexpr const char* kBankRules = R"sql(
CREATE TABLE bank_rule (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  id TEXT NOT NULL,
  counterparty_pattern TEXT NOT NULL,
  counterparty_iban TEXT,
  category TEXT NOT NULL,
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, id),
  UNIQUE (organization_id, counterparty_pattern)
);
)sql";

// The audit log names actions rather than record changes: a route that changes no synced record
// (an invitation, revoked sessions, a day off) leaves an entry too, so an entry has its own id and
// names its change-log entry only when there is one. Earlier entries keep their order.
constexpr const char* kActionAudit = R"sql(
CREATE TABLE audit_entry_v2 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  organization_id TEXT NOT NULL REFERENCES organization(id),
  at TEXT NOT NULL,
  source TEXT NOT NULL CHECK (source IN ('push', 'route', 'seed', 'admin', 'service')),
  user_id TEXT,
  device_id TEXT,
  action TEXT NOT NULL CHECK (length(action) BETWEEN 1 AND 120),
  entity_type TEXT NOT NULL,
  entity_id TEXT NOT NULL,
  sequence INTEGER UNIQUE REFERENCES change_log(sequence),
  revision INTEGER,
  details_json TEXT CHECK (details_json IS NULL OR json_valid(details_json)),
  ip_address TEXT
);
INSERT INTO audit_entry_v2 (organization_id, at, source, user_id, device_id, action, entity_type, entity_id,
                            sequence, revision)
  SELECT organization_id, at, source, user_id, device_id, action, entity_type, entity_id, sequence, revision
  FROM audit_entry ORDER BY sequence;
DROP TABLE audit_entry;
ALTER TABLE audit_entry_v2 RENAME TO audit_entry;
CREATE INDEX idx_audit_entry_org ON audit_entry(organization_id, id);
)sql";

// Invitations to join an organisation: one open invitation per address (without case).
constexpr const char* kMemberInvites = R"sql(
CREATE TABLE member_invite (
  id TEXT NOT NULL,
  organization_id TEXT NOT NULL REFERENCES organization(id),
  email TEXT NOT NULL CHECK (length(email) BETWEEN 3 AND 254),
  role TEXT NOT NULL CHECK (role IN ('owner', 'admin', 'member')),
  first_name TEXT NOT NULL,
  last_name TEXT NOT NULL,
  invited_by TEXT NOT NULL,
  created_at TEXT NOT NULL,
  expires_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, id)
);
CREATE UNIQUE INDEX idx_member_invite_email ON member_invite(organization_id, lower(email));
)sql";

// What happened to a proposal beyond its records' fields, for its timeline.
constexpr const char* kProposalEvents = R"sql(
CREATE TABLE proposal_event (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  id TEXT NOT NULL,
  proposal_id TEXT NOT NULL,
  at TEXT NOT NULL,
  category TEXT NOT NULL,
  kind TEXT NOT NULL,
  description TEXT NOT NULL,
  actor_name TEXT,
  PRIMARY KEY (organization_id, id)
);
CREATE INDEX idx_proposal_event_proposal ON proposal_event(organization_id, proposal_id);
)sql";

// The organisation's own fonts (the file itself is a stored_file under storage_key), the keys and
// switches of its integrations (keys stay on the service: no device ever pulls them), and what a
// user's profile adds to the account: a phone number and the key of a photo.
constexpr const char* kOrgProfile = R"sql(
CREATE TABLE org_font (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  id TEXT NOT NULL,
  family TEXT NOT NULL,
  weight INTEGER NOT NULL,
  style TEXT NOT NULL CHECK (style IN ('normal', 'italic')),
  display_name TEXT NOT NULL,
  subfamily_name TEXT,
  postscript_name TEXT,
  storage_key TEXT NOT NULL,
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, id),
  UNIQUE (organization_id, family, weight, style)
);
CREATE TABLE org_integration (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  name TEXT NOT NULL,
  value TEXT NOT NULL,
  updated_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, name)
);
ALTER TABLE user_account ADD COLUMN phone TEXT;
ALTER TABLE user_account ADD COLUMN image TEXT;
)sql";

// A hand-off code is bound to the S256 challenge of the verifier its device holds: only that
// device process can redeem it. Codes made before carry no challenge and can no longer be redeemed.
constexpr const char* kHandoffChallenge = R"sql(
ALTER TABLE sign_in_grant ADD COLUMN code_challenge TEXT NOT NULL DEFAULT '';
)sql";

}  // namespace

const std::vector<Migration>& serviceMigrations() {
    static const std::vector<Migration> migrations{
        {"service_v1_accounts", {kAccounts}},
        {"service_v2_sign_in", {kSignIn}},
        {"service_v3_records", {kRecords}},
        {"service_v4_push_receipts", {kPushReceipts}},
        {"service_v5_stored_files", {kStoredFiles}},
        {"service_v6_audit", {kAudit}},
        {"service_v7_invoice_numbers", {kInvoiceNumbers}},
        {"service_v8_invoice_events", {kInvoiceEvents}},
        {"service_v9_scheduled_sends", {kScheduledSends}},
        {"service_v10_briefing_decisions", {kBriefingDecisions}},
        {"service_v11_hardening", {kHardening}},
        {"service_v12_inbox_upload_keys", {kInboxUploadKeys}},
        {"service_v13_schedules", {kSchedules}},
        {"service_v14_bank_rules", {kBankRules}},
        {"service_v15_action_audit", {kActionAudit}},
        {"service_v16_member_invites", {kMemberInvites}},
        {"service_v17_proposal_events", {kProposalEvents}},
        {"service_v18_org_fonts_integrations_profile", {kOrgProfile}},
        {"service_v19_pkce_handoff_challenge", {kHandoffChallenge}},
    };
    return migrations;
}

}  // namespace zelvorin::service
