#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {

Json customerPayload(SeedContext& context, const SeededOrganisation& organisation, const CustomerPlan& plan,
                     int createdDay) {
    Json customer;
    customer["id"] = context.nextId();
    customer["organizationId"] = organisation.id;
    customer["companyName"] = plan.companyName;
    setIf(customer, "vatNumber", plan.vatNumber);
    setIf(customer, "kvkNumber", plan.kvkNumber);
    customer["street"] = plan.street;
    customer["houseNumber"] = plan.houseNumber;
    customer["postcode"] = plan.postcode;
    customer["city"] = plan.city;
    customer["country"] = plan.country;
    customer["contactType"] = "company";
    // A customer abroad inside the EU with a VAT number is invoiced with the VAT shifted to them.
    if (plan.country != "NL" && plan.vatNumber) customer["vatRateOverride"] = "verlegd";
    setIf(customer, "paymentTermsOverride", plan.paymentTermsOverride);
    customer["idealEnabled"] = plan.country == "NL";
    customer["portalLinkEnabled"] = true;
    customer["billingEmail"] = plan.billingEmail;
    customer["knownIban"] = plan.iban;
    customer["defaultHourlyRate"] = organisation.profile.defaultHourlyRateCents;
    customer["emailTemplateId"] = organisation.invoiceEmailTemplateId;
    customer["archived"] = false;
    customer["createdAt"] = context.timestamp(createdDay, 10);
    customer["updatedAt"] = context.timestamp(createdDay, 10);
    addServerBookkeeping(customer, context);
    return customer;
}

Json contactPayload(SeedContext& context, const std::string& customerId, const ContactPlan& plan,
                    int createdDay) {
    Json contact;
    contact["id"] = context.nextId();
    contact["contactId"] = customerId;
    contact["name"] = plan.name;
    contact["email"] = plan.email;
    contact["phone"] = plan.phone;
    contact["isPrimary"] = plan.primary;
    contact["isInvoiceContact"] = plan.invoiceContact;
    contact["createdAt"] = context.timestamp(createdDay, 10, 5);
    addServerBookkeeping(contact, context);
    return contact;
}

}  // namespace

std::vector<SeededCustomer> seedCustomers(SeedContext& context, const SeededOrganisation& organisation,
                                          const std::vector<CustomerPlan>& plans) {
    std::vector<SeededCustomer> customers;
    int createdDay = -118;
    for (const CustomerPlan& plan : plans) {
        const Json customer = customerPayload(context, organisation, plan, createdDay);
        context.put(organisation.id, "customer", customer);
        SeededCustomer seeded{customer["id"].get<std::string>(), plan, {}};
        for (const ContactPlan& contactPlan : plan.contacts) {
            const Json contact = contactPayload(context, seeded.id, contactPlan, createdDay);
            context.put(organisation.id, "contact", contact);
            seeded.contactIds.push_back(contact["id"].get<std::string>());
        }
        customers.push_back(std::move(seeded));
        createdDay += 3;
    }
    return customers;
}

}  // namespace zelvorin::service::seed
