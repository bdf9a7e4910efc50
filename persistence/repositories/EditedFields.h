#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sync/SyncEntityType.h"

// The members each local write takes over from the caller and queues for the service, by payload
// key. Written once: the repositories copy exactly these fields into the row (Record::assign) and
// send exactly these members (LocalEdit::payload), and a test checks every key against the payload
// shape of the entity type and the columns of its table.
namespace zelvorin::EditedFields {

using Keys = std::span<const std::string_view>;

// A new customer: what the user fills in on the form.
inline constexpr std::string_view kCustomerCreate[] = {
    "companyName",      "vatNumber",       "kvkNumber",    "street",
    "houseNumber",      "postcode",        "city",         "country",
    "billingEmail",     "vatRateOverride", "idealEnabled", "paymentTermsOverride",
    "portalLinkEnabled"};
inline constexpr std::string_view kCustomerUpdate[] = {"companyName",
                                                       "vatNumber",
                                                       "kvkNumber",
                                                       "street",
                                                       "houseNumber",
                                                       "postcode",
                                                       "city",
                                                       "country",
                                                       "billingEmail",
                                                       "contactType",
                                                       "vatRateOverride",
                                                       "idealEnabled",
                                                       "knownIban",
                                                       "archived",
                                                       "paymentTermsOverride",
                                                       "portalLinkEnabled",
                                                       "defaultEmailBody",
                                                       "defaultHourlyRate"};
inline constexpr std::string_view kContactPerson[] = {
    "contactId", "name", "email", "phone", "isPrimary", "isInvoiceContact", "avatarUrl"};

// A new draft carries what the repository chose for it.
inline constexpr std::string_view kDraftCreate[] = {"issueDate", "dueDate", "vatTreatment",
                                                    "localDraftNumber", "customerId"};
// The twelve header fields of an invoice.
inline constexpr std::string_view kInvoiceHeader[] = {
    "customerId",           "issueDate",    "dueDate",      "referenceNumber",   "projectDescription",
    "vatTreatment",         "invoiceEmail", "idealEnabled", "portalLinkEnabled", "internalNote",
    "paymentTermsOverride", "freeText"};
// What keeping the device's version of a conflicting invoice overwrites on the service.
inline constexpr std::string_view kInvoiceKeepLocal[] = {
    "customerId", "issueDate", "dueDate", "referenceNumber", "projectDescription", "vatTreatment"};
// A line's total is computed on both sides and never sent.
inline constexpr std::string_view kLineCreate[] = {
    "invoiceId",   "description",          "lineMode", "quantityHundredths", "unitPriceCents",
    "amountCents", "vatTreatmentOverride", "sortOrder"};
inline constexpr std::string_view kLineUpdate[] = {"description",    "lineMode",    "quantityHundredths",
                                                   "unitPriceCents", "amountCents", "vatTreatmentOverride",
                                                   "sortOrder"};
// Everything the schedule form edits; workdays and lines travel as JSON documents.
inline constexpr std::string_view kSchedule[] = {"customerId",
                                                 "scheduleType",
                                                 "billingMode",
                                                 "unitsPerWeek",
                                                 "rateCents",
                                                 "workdays",
                                                 "billingFrequency",
                                                 "billingDay",
                                                 "billingTime",
                                                 "invoiceDescriptionTemplate",
                                                 "descriptionTemplate",
                                                 "startDate",
                                                 "active",
                                                 "billingMoment",
                                                 "lines",
                                                 "autoSend",
                                                 "reviewWindowHours",
                                                 "indexationMode",
                                                 "indexationPercentBps",
                                                 "indexationAnchor"};

// The keys as the changed fields of an update that sends them all.
inline std::vector<std::string> allChanged(Keys keys) {
    return {keys.begin(), keys.end()};
}

struct Listed {
    SyncEntityType entityType;
    std::string_view name;
    Keys keys;
};

// Every list with the kind of record it belongs to.
inline constexpr Listed kAll[] = {
    {SyncEntityType::customer, "kCustomerCreate", kCustomerCreate},
    {SyncEntityType::customer, "kCustomerUpdate", kCustomerUpdate},
    {SyncEntityType::contact, "kContactPerson", kContactPerson},
    {SyncEntityType::draftInvoice, "kDraftCreate", kDraftCreate},
    {SyncEntityType::draftInvoice, "kInvoiceHeader", kInvoiceHeader},
    {SyncEntityType::draftInvoice, "kInvoiceKeepLocal", kInvoiceKeepLocal},
    {SyncEntityType::invoiceLine, "kLineCreate", kLineCreate},
    {SyncEntityType::invoiceLine, "kLineUpdate", kLineUpdate},
    {SyncEntityType::invoiceSchedule, "kSchedule", kSchedule},
};

}  // namespace zelvorin::EditedFields
