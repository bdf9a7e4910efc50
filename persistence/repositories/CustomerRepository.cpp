#include "persistence/repositories/CustomerRepository.h"

#include <stdexcept>

#include "domain/Uuid.h"
#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/repositories/LocalEdit.h"
#include "persistence/sync/SyncTransitions.h"

namespace zelvorin {
namespace {

constexpr const char* kContactsOrder = "ORDER BY is_primary DESC, name COLLATE NOCASE";

}  // namespace

CustomerRepository::CustomerRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

std::string CustomerRepository::customersStatement(bool includeArchived, bool searching) {
    std::string sql = "SELECT * FROM customer WHERE deleted_at IS NULL";
    if (!includeArchived) sql += " AND archived = 0";
    if (searching) {
        sql +=
            " AND (company_name LIKE ? OR city LIKE ? OR EXISTS (\n     SELECT 1 FROM contact_person p\n     "
            "WHERE p.contact_id = customer.id\n       AND p.name LIKE ?))";
    }
    return sql + " ORDER BY company_name COLLATE NOCASE";
}

std::vector<CustomerRecord> CustomerRepository::customers(Connection& db, bool includeArchived,
                                                          const std::string& search) {
    const std::string sql = customersStatement(includeArchived, !search.empty());
    if (search.empty()) return selectRecords<CustomerRecord>(db, sql);
    const std::string pattern = "%" + search + "%";
    return selectRecords<CustomerRecord>(db, sql, pattern, pattern, pattern);
}

std::vector<CustomerRecord> CustomerRepository::customers(bool includeArchived, const std::string& search) {
    return database_.writer->read([&](Connection& db) { return customers(db, includeArchived, search); });
}

ObservationHandle CustomerRepository::observeCustomers(
    bool includeArchived, std::string search, std::function<void(std::vector<CustomerRecord>)> onValue,
    std::shared_ptr<Executor> deliverOn) {
    return database_.writer->observe<std::vector<CustomerRecord>>(
        [includeArchived, search = std::move(search)](Connection& db) {
            return customers(db, includeArchived, search);
        },
        std::move(onValue), std::move(deliverOn));
}

std::optional<CustomerRecord> CustomerRepository::customer(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<CustomerRecord>(db, id); });
}

std::vector<ContactPersonRecord> CustomerRepository::contactPersons(const std::string& customerId) {
    return database_.writer->read([&](Connection& db) {
        return selectRecords<ContactPersonRecord>(
            db, std::string("SELECT * FROM contact_person\nWHERE contact_id = ?\n") + kContactsOrder,
            customerId);
    });
}

std::vector<ContactPersonRecord> CustomerRepository::allContactPersons() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<ContactPersonRecord>(
            db, std::string("SELECT * FROM contact_person ") + kContactsOrder);
    });
}

std::optional<ContactPersonRecord> CustomerRepository::contactPerson(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<ContactPersonRecord>(db, id); });
}

LinkedInvoices CustomerRepository::linkedInvoices(const std::string& customerId) {
    return database_.writer->read([&](Connection& db) {
        return LinkedInvoices{
            selectRecords<DraftInvoiceRecord>(
                db,
                "SELECT * FROM draft_invoice\nWHERE customer_id = ? AND deleted_at IS "
                "NULL\nORDER BY issue_date DESC, created_at DESC",
                customerId),
            selectRecords<IncomingInvoiceRecord>(db,
                                                 "SELECT * FROM incoming_invoice\nWHERE customer_id = ? AND "
                                                 "deleted_at IS NULL\nORDER BY extracted_invoice_date DESC, "
                                                 "created_at DESC",
                                                 customerId)};
    });
}

CustomerRecord CustomerRepository::createCustomer(CustomerRecord fields) {
    return database_.writer->write([&](Connection& db) {
        LocalEdit edit(db, *clock_);
        CustomerRecord customer = std::move(fields);
        customer.id = randomUuid();
        customer.createdAt = customer.updatedAt = edit.now();
        customer.localModifiedAt = customer.createdAt;
        customer.syncState = stateAfter({}, SyncEvent::localCreate);
        customer.revision = 1;
        customer.deletedAt.reset();
        insertRecord(db, customer);
        edit.queueCreate(SyncEntityType::customer, customer.id,
                         LocalEdit::payload(customer, EditedFields::kCustomerCreate));
        return customer;
    });
}

CustomerRecord CustomerRepository::updateCustomer(const CustomerRecord& changed,
                                                  std::vector<std::string> changedFields) {
    return database_.writer->write([&](Connection& db) {
        std::optional<CustomerRecord> stored = recordById<CustomerRecord>(db, changed.id);
        if (!stored) throw PersistenceError::notFound("Klant '" + changed.id + "'");
        LocalEdit edit(db, *clock_);
        CustomerRecord customer = *stored;
        customer.assign(changed, EditedFields::kCustomerUpdate);
        customer.updatedAt = edit.now();
        customer.localModifiedAt = customer.updatedAt;
        customer.syncState = LocalEdit::stateAfterUpdate(stored->syncState);
        updateRecord(db, customer);
        edit.queueUpdate(SyncEntityType::customer, customer.id, stored->revision,
                         LocalEdit::payload(customer, EditedFields::kCustomerUpdate),
                         std::move(changedFields));
        return customer;
    });
}

ContactPersonRecord CustomerRepository::saveContactPerson(ContactPersonRecord person) {
    return database_.writer->write([&](Connection& db) {
        LocalEdit edit(db, *clock_);
        const std::optional<ContactPersonRecord> stored =
            person.id.empty() ? std::nullopt : recordById<ContactPersonRecord>(db, person.id);
        if (!stored) {
            if (person.id.empty()) person.id = randomUuid();
            person.createdAt = edit.now();
            person.localModifiedAt = person.createdAt;
            person.revision = 1;
            person.syncState = stateAfter({}, SyncEvent::localCreate);
            insertRecord(db, person);
            edit.queueCreate(SyncEntityType::contact, person.id,
                             LocalEdit::payload(person, EditedFields::kContactPerson));
            return person;
        }
        ContactPersonRecord updated = *stored;
        updated.assign(person, EditedFields::kContactPerson);
        updated.localModifiedAt = edit.now();
        updated.syncState = LocalEdit::stateAfterUpdate(stored->syncState);
        updateRecord(db, updated);
        edit.queueUpdate(SyncEntityType::contact, updated.id, stored->revision,
                         LocalEdit::payload(updated, EditedFields::kContactPerson),
                         EditedFields::allChanged(EditedFields::kContactPerson));
        return updated;
    });
}

bool CustomerRepository::deleteContactPerson(const std::string& id) {
    return database_.writer->write([&](Connection& db) {
        return LocalEdit(db, *clock_).tombstone(SyncEntityType::contact, "contact_person", id);
    });
}

}  // namespace zelvorin
