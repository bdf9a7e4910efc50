// The one description of the local database: every table with its columns in stored order, the
// migration that created the table or added a column ("@migration"), the migrations in the order
// they run with the indexes each creates, and the payload each synced table exchanges with the
// service. Migrations, records, the sync store's entity mappings and the sync module's payload
// catalogue are all derived from this text; nothing about the schema is written anywhere else.
//
//   table <name> <created by> <record type or -> [<entity type> <payload shape>]
//     <column> <SQLite type> [constraints] [column annotations] [@<added by>]
//   migration <identifier>
//     index|unique <name> <table> <column>[,<column>...]
//     search <name> <table> <column>[,<column>...]   (FTS5 trigram index kept in step by triggers)
//   shape <name>
//     <key> <payload type>[?]
//
// Columns without NOT NULL read as optional fields; ":bool" marks an INTEGER that holds 0 or 1;
// ":nofield" a column the record type leaves out; ":enum(<Type>:<raw>,...)" a TEXT column whose
// record field is an enumeration nested in the record, stored as the case's raw text.
//
// A table that names an entity type and a payload shape lists every column in that shape under
// its lowerCamelCase key: a string for TEXT, an integer for INTEGER, a boolean for :bool, optional
// unless the column is NOT NULL. The device's bookkeeping (sync_state, local_modified_at,
// last_sync_error) is listed only where it is typed. Column annotations for the payload:
//   :json(<payload type>[?])  the member's type when it is not the column's own, "?" optional
//   :unlisted                 the shape leaves the column out; a pulled payload still fills it
//   :after(<column>)          the member follows that column's member (the shape's declared order)
// A payload type is string, integer, boolean, any (any JSON, kept as its text), an enumeration
// whose raw values the string must be (VatTreatment, LineMode, SyncState), the name of a shape
// (an object of it) or [<shape>] (an array of its objects). "shape" sections declare the shapes
// that occur only nested.
#include "persistence/SchemaText.h"

namespace zelvorin {

const char* const kSchemaText = R"schema(
migration v1_sync_foundation
  index idx_customer_org customer organization_id
  index idx_customer_sync customer sync_state
  index idx_contact_person_contact contact_person contact_id
  index idx_draft_invoice_org draft_invoice organization_id
  index idx_draft_invoice_status draft_invoice status
  index idx_draft_invoice_sync draft_invoice sync_state
  index idx_invoice_line_invoice invoice_line invoice_id
  index idx_credit_note_org credit_note organization_id
  index idx_outbox_entity outbox_change entity_type,entity_id
migration v2_action_queue
  index idx_pending_action_invoice pending_action invoice_id,kind
migration v3_s1_entities
  index idx_invoice_payment_invoice invoice_payment invoice_id
  index idx_invoice_reminder_invoice invoice_reminder invoice_id
  index idx_invoice_template_org invoice_template org_id
  index idx_org_variable_org org_variable organization_id
  index idx_email_template_org email_template organization_id
migration v4_app_notification
  index idx_app_notification_org app_notification organization_id
  index idx_app_notification_read_at app_notification read_at
migration v5_invoice_schedule
  index idx_invoice_schedule_org invoice_schedule organization_id
  index idx_invoice_schedule_active invoice_schedule active
migration v6_kvitra
  index idx_incoming_invoice_org incoming_invoice organization_id
  index idx_incoming_invoice_status incoming_invoice status
  index idx_kvitra_rule_org kvitra_rule organization_id
migration v7_offertes_bank
  index idx_proposal_org proposal organization_id
  index idx_proposal_status proposal status
  index idx_proposal_recipient_proposal proposal_recipient proposal_id
  index idx_proposal_share_link_proposal proposal_share_link proposal_id
  index idx_bank_account_org bank_account organization_id
  index idx_bank_transaction_org bank_transaction organization_id
  index idx_bank_transaction_account bank_transaction bank_account_id
  index idx_bank_transaction_date bank_transaction transaction_date
migration v8_sync_coverage
migration v9_extraction_provenance
migration v10_pending_upload
  index idx_pending_upload_status pending_upload status
  unique idx_pending_upload_idempotency pending_upload idempotency_key
migration v11_contact_avatars
migration v12_invoice_standalone_credit
migration v13_invoice_editor_fields
migration v14_invoice_free_text
migration v15_org_settings_sync_fields
migration v16_invoice_schedule_write
migration v17_invoice_schedule_v2
migration v18_invoice_snapshot_data
migration v19_portal_ideal_email_style
migration v20_email_template_style
migration v21_invoice_portal_link
migration v22_portal_display_settings
migration v23_customer_language
migration v24_sync_cursor_organization
migration v25_invoice_search
  index idx_draft_invoice_customer draft_invoice customer_id
  search draft_invoice_search draft_invoice invoice_number,project_description,reference_number
migration v26_sync_quarantine

table customer v1_sync_foundation CustomerRecord customer CustomerPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  company_name TEXT NOT NULL
  vat_number TEXT
  kvk_number TEXT
  street TEXT
  house_number TEXT
  postcode TEXT
  city TEXT
  country TEXT
  contact_type TEXT
  vat_rate_override TEXT
  payment_terms_override INTEGER
  ideal_enabled INTEGER :bool
  default_email_body TEXT
  billing_email TEXT
  known_iban TEXT
  default_hourly_rate INTEGER
  email_template_id TEXT
  archived INTEGER NOT NULL DEFAULT 0 :bool :json(boolean?)
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(SyncState?)
  server_modified_at TEXT
  local_modified_at TEXT
  last_sync_error TEXT
  avatar_url TEXT @v11_contact_avatars :after(archived)
  portal_link_enabled INTEGER :bool @v19_portal_ideal_email_style :after(ideal_enabled)
  language TEXT @v23_customer_language :unlisted

table contact_person v1_sync_foundation ContactPersonRecord contact ContactPersonPayload
  id TEXT PRIMARY KEY NOT NULL
  contact_id TEXT NOT NULL
  name TEXT NOT NULL
  email TEXT
  phone TEXT
  is_primary INTEGER :bool
  is_invoice_contact INTEGER :bool
  created_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(SyncState?)
  local_modified_at TEXT
  avatar_url TEXT @v11_contact_avatars :after(is_invoice_contact)
  server_modified_at TEXT @v11_contact_avatars
  deleted_at TEXT @v11_contact_avatars
  last_sync_error TEXT @v11_contact_avatars

table draft_invoice v1_sync_foundation DraftInvoiceRecord draftInvoice DraftInvoicePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  customer_id TEXT
  invoice_number TEXT
  local_draft_number TEXT
  status TEXT NOT NULL
  issue_date TEXT NOT NULL
  due_date TEXT
  reference_number TEXT
  project_description TEXT
  vat_treatment TEXT NOT NULL :json(VatTreatment)
  subtotal_cents INTEGER NOT NULL DEFAULT 0
  vat_cents INTEGER NOT NULL DEFAULT 0
  total_cents INTEGER NOT NULL DEFAULT 0
  scheduled_send_at TEXT
  credited_invoice_id TEXT
  sent_at TEXT
  paid_at TEXT
  pdf_path TEXT
  mollie_payment_id TEXT
  email_bounced INTEGER :bool
  bounce_reason TEXT
  invoice_type TEXT
  auto_generated INTEGER :bool
  schedule_id TEXT
  incoming_invoice_id TEXT
  layout_config TEXT :json(any?)
  created_at TEXT NOT NULL :after(free_text)
  updated_at TEXT NOT NULL :after(created_at)
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1 :after(updated_at)
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(SyncState?) :after(revision)
  server_modified_at TEXT :after(sync_state)
  local_modified_at TEXT
  last_sync_error TEXT
  is_standalone_credit_note INTEGER :bool @v12_invoice_standalone_credit :after(credited_invoice_id)
  template_id TEXT @v13_invoice_editor_fields
  invoice_email TEXT @v13_invoice_editor_fields
  ideal_enabled INTEGER :bool @v13_invoice_editor_fields
  internal_note TEXT @v13_invoice_editor_fields
  payment_terms_override INTEGER @v13_invoice_editor_fields
  free_text TEXT @v14_invoice_free_text
  snapshot_data TEXT @v18_invoice_snapshot_data :json(InvoiceSnapshotPayload?) :after(paid_at)
  portal_link_enabled INTEGER :bool @v21_invoice_portal_link :after(ideal_enabled)

table invoice_line v1_sync_foundation InvoiceLineRecord invoiceLine InvoiceLinePayload
  id TEXT PRIMARY KEY NOT NULL
  invoice_id TEXT NOT NULL
  sort_order INTEGER NOT NULL DEFAULT 0
  description TEXT NOT NULL
  line_mode TEXT NOT NULL :json(LineMode)
  quantity_hundredths INTEGER
  unit_price_cents INTEGER
  amount_cents INTEGER
  vat_treatment_override TEXT :json(VatTreatment?)
  line_total_cents INTEGER
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(SyncState?)
  server_modified_at TEXT
  local_modified_at TEXT
  last_sync_error TEXT

table credit_note v1_sync_foundation CreditNoteRecord creditNote CreditNotePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  customer_id TEXT
  invoice_number TEXT
  status TEXT NOT NULL
  issue_date TEXT NOT NULL
  due_date TEXT
  reference_number TEXT
  vat_treatment TEXT NOT NULL :json(VatTreatment)
  subtotal_cents INTEGER NOT NULL DEFAULT 0
  vat_cents INTEGER NOT NULL DEFAULT 0
  total_cents INTEGER NOT NULL DEFAULT 0
  credited_invoice_id TEXT
  sent_at TEXT
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(SyncState?)
  server_modified_at TEXT
  local_modified_at TEXT
  last_sync_error TEXT

table outbox_change v1_sync_foundation -
  idempotency_key TEXT PRIMARY KEY NOT NULL
  entity_type TEXT NOT NULL
  entity_id TEXT NOT NULL
  operation TEXT NOT NULL
  client_revision INTEGER NOT NULL
  base_server_revision INTEGER
  changed_fields TEXT
  payload TEXT NOT NULL
  client_timestamp TEXT NOT NULL
  attempts INTEGER NOT NULL DEFAULT 0
  last_error TEXT
  created_at TEXT NOT NULL

table sync_cursor v1_sync_foundation -
  id INTEGER PRIMARY KEY CHECK (id = 1)
  device_id TEXT NOT NULL
  cursor_token TEXT
  last_pulled_at TEXT
  last_pushed_at TEXT
  last_successful_sync_at TEXT
  covered_entity_types TEXT @v8_sync_coverage
  organization_id TEXT @v24_sync_cursor_organization

table pending_action v2_action_queue PendingAction
  id TEXT PRIMARY KEY NOT NULL
  kind TEXT NOT NULL :enum(Kind:markPaid)
  invoice_id TEXT NOT NULL
  payload TEXT NOT NULL DEFAULT '{}'
  attempts INTEGER NOT NULL DEFAULT 0
  last_error TEXT
  created_at TEXT NOT NULL

table invoice_payment v3_s1_entities InvoicePaymentRecord invoicePayment InvoicePaymentPayload
  id TEXT PRIMARY KEY NOT NULL
  invoice_id TEXT NOT NULL
  organization_id TEXT NOT NULL
  amount_cents INTEGER NOT NULL DEFAULT 0
  payment_date TEXT NOT NULL
  method TEXT
  notes TEXT
  created_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table invoice_reminder v3_s1_entities InvoiceReminderRecord invoiceReminder InvoiceReminderPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  invoice_id TEXT NOT NULL
  level TEXT
  recipient_email TEXT
  sent_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table invoice_template v3_s1_entities InvoiceTemplateRecord invoiceTemplate InvoiceTemplatePayload
  id TEXT PRIMARY KEY NOT NULL
  org_id TEXT NOT NULL
  name TEXT NOT NULL
  config TEXT :json(any?)
  default_for TEXT
  language TEXT
  email_template_id TEXT
  is_default_for_new INTEGER :bool
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table org_settings v3_s1_entities OrgSettingsRecord orgSettings OrgSettingsPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  org_name TEXT
  vat_number TEXT
  kvk_number TEXT
  address_street TEXT
  address_city TEXT
  address_postal TEXT
  org_phone TEXT
  org_email TEXT
  primary_color TEXT
  accent_color TEXT
  font_family TEXT
  logo_path TEXT
  logo_pdf_path TEXT
  heading_font_name TEXT
  body_font_name TEXT
  invoice_prefix TEXT
  invoice_seq_num INTEGER
  invoice_template TEXT
  invoice_seq_padding INTEGER
  bic TEXT
  iban TEXT
  vat_rate_default INTEGER
  payment_terms_days INTEGER
  default_hourly_rate INTEGER
  footer_text TEXT
  verlegd_note TEXT
  default_language TEXT
  date_format TEXT
  currency TEXT
  number_format TEXT
  timezone TEXT
  updated_at TEXT :after(portal_show_org_name)
  revision INTEGER NOT NULL DEFAULT 1 :after(updated_at)
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT :after(revision)
  email_provider TEXT @v15_org_settings_sync_fields :unlisted
  email_provider_fallback TEXT @v15_org_settings_sync_fields :unlisted
  reply_to_email TEXT @v15_org_settings_sync_fields :unlisted
  kvitra_scan_enabled INTEGER :bool @v15_org_settings_sync_fields :unlisted
  google_fonts_enabled INTEGER :bool @v15_org_settings_sync_fields :unlisted
  portal_link_enabled INTEGER :bool @v19_portal_ideal_email_style
  ideal_enabled_default INTEGER :bool @v19_portal_ideal_email_style
  invoice_email_style TEXT @v19_portal_ideal_email_style
  portal_show_logo INTEGER :bool @v22_portal_display_settings
  portal_show_org_name INTEGER :bool @v22_portal_display_settings

table org_variable v3_s1_entities OrgVariableRecord orgVariable OrgVariablePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  key TEXT NOT NULL
  label TEXT
  kind TEXT
  default_value TEXT
  description TEXT
  group_name TEXT
  is_builtin INTEGER :bool
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table email_template v3_s1_entities EmailTemplateRecord emailTemplate EmailTemplatePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  name TEXT NOT NULL
  type TEXT
  language TEXT
  subject TEXT
  body TEXT
  is_default INTEGER :bool
  invoice_template_id TEXT
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT
  style TEXT @v20_email_template_style :after(invoice_template_id)

table app_notification v4_app_notification AppNotificationRecord appNotification AppNotificationPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  user_id TEXT
  kind TEXT NOT NULL
  title TEXT NOT NULL
  body TEXT
  link TEXT
  read_at TEXT
  created_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table invoice_schedule v5_invoice_schedule InvoiceScheduleRecord invoiceSchedule InvoiceSchedulePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  customer_id TEXT NOT NULL
  billing_mode TEXT NOT NULL DEFAULT 'hours_per_week'
  units_per_week INTEGER NOT NULL DEFAULT 0
  rate_cents INTEGER NOT NULL DEFAULT 0
  workdays TEXT NOT NULL DEFAULT '{}' :json(WorkdayConfig)
  billing_frequency TEXT NOT NULL DEFAULT 'four_weekly'
  billing_day INTEGER NOT NULL DEFAULT 5
  billing_time TEXT NOT NULL DEFAULT '09:00'
  invoice_description_template TEXT NOT NULL DEFAULT ''
  description_template TEXT NOT NULL DEFAULT ''
  start_date TEXT
  active INTEGER NOT NULL DEFAULT 1 :bool
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT
  local_modified_at TEXT @v16_invoice_schedule_write
  last_sync_error TEXT :nofield @v16_invoice_schedule_write
  deleted_at TEXT @v16_invoice_schedule_write
  schedule_type TEXT NOT NULL DEFAULT 'hourly' @v17_invoice_schedule_v2 :json(string?)
  billing_moment TEXT NOT NULL DEFAULT 'advance' @v17_invoice_schedule_v2 :json(string?)
  lines TEXT NOT NULL DEFAULT '[]' @v17_invoice_schedule_v2 :json([ScheduleLinePayload]?)
  auto_send INTEGER NOT NULL DEFAULT 0 :bool @v17_invoice_schedule_v2 :json(boolean?)
  review_window_hours INTEGER NOT NULL DEFAULT 0 @v17_invoice_schedule_v2 :json(integer?)
  indexation_mode TEXT NOT NULL DEFAULT 'none' @v17_invoice_schedule_v2 :json(string?)
  indexation_percent_bps INTEGER @v17_invoice_schedule_v2
  indexation_anchor TEXT NOT NULL DEFAULT 'jan_1' @v17_invoice_schedule_v2 :json(string?)
  last_indexed_at TEXT @v17_invoice_schedule_v2

table incoming_invoice v6_kvitra IncomingInvoiceRecord incomingInvoice IncomingInvoicePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  source TEXT
  email_type TEXT
  gmail_message_id TEXT
  gmail_thread_id TEXT
  cloud_connection_id TEXT
  imap_uid INTEGER
  imap_folder TEXT
  sender_email TEXT
  sender_name TEXT
  subject TEXT
  received_at TEXT
  extracted_amount INTEGER
  currency TEXT
  extracted_invoice_date TEXT
  extracted_sender_company TEXT
  extracted_invoice_number TEXT
  extracted_lines TEXT :json(any?)
  extracted_vat_breakdown TEXT :json(any?)
  invoice_type TEXT
  pdf_path TEXT
  thumbnail_path TEXT
  extraction_error TEXT
  extraction_attempts INTEGER NOT NULL DEFAULT 0 :json(integer?)
  extraction_started_at TEXT
  status TEXT NOT NULL DEFAULT 'nieuw' :json(string?)
  category TEXT
  customer_id TEXT
  outgoing_invoice_id TEXT
  remind_at TEXT
  dismissed_at TEXT
  linked_incoming_invoice_id TEXT
  dropbox_synced_at TEXT
  drive_synced_at TEXT
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced' :json(string?)
  server_modified_at TEXT
  extraction_source TEXT @v9_extraction_provenance :unlisted
  extraction_confidence REAL @v9_extraction_provenance :unlisted

table kvitra_rule v6_kvitra KvitraRuleRecord kvitraRule KvitraRulePayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  sender_email_pattern TEXT NOT NULL
  subject_pattern TEXT
  suggested_category TEXT NOT NULL
  is_skip INTEGER NOT NULL DEFAULT 0 :bool
  match_count INTEGER NOT NULL DEFAULT 0
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table proposal v7_offertes_bank ProposalRecord proposal ProposalPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  title TEXT NOT NULL
  status TEXT NOT NULL
  is_template INTEGER :bool
  template_name TEXT
  template_description TEXT
  language TEXT
  thumbnail_url TEXT
  contact_id TEXT
  folder_id TEXT
  template_proposal_id TEXT
  brand_locked_to_template INTEGER :bool
  created_by_user_id TEXT
  expiry_date TEXT
  expires_at TEXT
  allow_public_share INTEGER :bool
  auto_reminder_enabled INTEGER :bool
  reminder_sent_at TEXT
  published_at TEXT
  signed_at TEXT
  archived_at TEXT
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table proposal_recipient v7_offertes_bank ProposalRecipientRecord proposalRecipient ProposalRecipientPayload
  id TEXT PRIMARY KEY NOT NULL
  proposal_id TEXT NOT NULL
  contact_id TEXT
  contact_person_id TEXT
  name TEXT
  email TEXT
  role TEXT
  token TEXT
  invited_at TEXT
  last_viewed_at TEXT
  signed_at TEXT
  declined_at TEXT
  created_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table proposal_share_link v7_offertes_bank ProposalShareLinkRecord proposalShareLink ProposalShareLinkPayload
  id TEXT PRIMARY KEY NOT NULL
  proposal_id TEXT NOT NULL
  token TEXT NOT NULL
  created_by_user_id TEXT
  source TEXT
  label TEXT
  created_at TEXT NOT NULL
  revoked_at TEXT
  last_used_at TEXT
  use_count INTEGER
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table bank_account v7_offertes_bank BankAccountRecord bankAccount BankAccountPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  iban TEXT
  name TEXT
  type TEXT
  source TEXT
  bunq_account_id INTEGER
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table bank_transaction v7_offertes_bank BankTransactionRecord bankTransaction BankTransactionPayload
  id TEXT PRIMARY KEY NOT NULL
  organization_id TEXT NOT NULL
  source TEXT
  bank_account_id TEXT
  bank_import_id TEXT
  external_ref TEXT
  bunq_transaction_id INTEGER
  bunq_account_id INTEGER
  account_name TEXT
  account_iban TEXT
  direction TEXT
  amount_cents INTEGER NOT NULL DEFAULT 0
  currency TEXT
  description TEXT
  transaction_date TEXT NOT NULL
  counterparty_iban TEXT
  counterparty_name TEXT
  category TEXT
  matched_invoice_id TEXT
  matched_incoming_invoice_id TEXT
  match_confidence TEXT
  matched_at TEXT
  suggested_incoming_invoice_id TEXT
  vat_rate_percent INTEGER
  created_at TEXT NOT NULL
  updated_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT

table sync_quarantine v26_sync_quarantine -
  id TEXT PRIMARY KEY NOT NULL
  entity_type TEXT NOT NULL
  entity_id TEXT NOT NULL
  server_revision INTEGER NOT NULL
  payload TEXT NOT NULL
  reason TEXT NOT NULL
  quarantined_at TEXT NOT NULL

table pending_upload v10_pending_upload PendingUploadRecord
  id TEXT PRIMARY KEY NOT NULL
  file_name TEXT NOT NULL
  mime_type TEXT NOT NULL
  source TEXT NOT NULL
  relative_path TEXT NOT NULL
  idempotency_key TEXT NOT NULL UNIQUE
  status TEXT NOT NULL DEFAULT 'wachtend' :enum(Status:wachtend,bezig,klaar,fout)
  attempts INTEGER NOT NULL DEFAULT 0
  submit_done INTEGER NOT NULL DEFAULT 0 :bool
  created_at TEXT NOT NULL
  last_error TEXT
shape InvoiceSnapshotPayload
  orgName string
  orgAddress string
  orgStreet string?
  orgPostcode string?
  orgCity string?
  orgVatNumber string?
  orgKvkNumber string?
  orgLogoPath string?
  customerCompanyName string
  customerAddress string
  customerStreet string?
  customerHouseNumber string?
  customerPostcode string?
  customerCity string?
  customerVatNumber string?
  orgLogoDataUrl string?
  bankIban string?
  bankBic string?
  dateFormat string?

shape ScheduleLinePayload
  id string
  description string
  amountCents integer
  vatTreatment string
  sortOrder integer

shape WorkdayConfig
  ma integer
  di integer
  wo integer
  do integer
  vr integer
  za integer
  zo integer
)schema";

}  // namespace zelvorin
