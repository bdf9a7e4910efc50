#include "service/bank/TransactionLink.h"

#include "domain/Timestamps.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoiceRecords.h"

namespace zelvorin::service {

std::string bankPaymentId(const std::string& transactionId) {
    return transactionId + "-betaling";
}

StoredRecord linkTransaction(Connection& db, const Caller& caller, nlohmann::ordered_json& transaction,
                             StoredRecord invoice, std::int64_t openCents, const std::string& confidence,
                             TimePoint now) {
    const std::string id = invoicerecords::text(transaction, "id").value_or("");
    const std::string day = invoicerecords::text(transaction, "transactionDate").value_or("");
    const PaymentRequest payment{invoicerecords::integer(transaction, "amountCents"), day, "bank_transfer",
                                 "Banktransactie van " + day};
    StoredRecord written =
        registerPayment(db, caller, std::move(invoice), openCents, payment, now, bankPaymentId(id));
    transaction["matchedInvoiceId"] = written.id;
    transaction["matchConfidence"] = confidence;
    transaction["matchedAt"] = formatTimestampMillis(now);
    transaction["category"] = "omzet";
    transaction["updatedAt"] = formatTimestampMillis(now);
    return written;
}

}  // namespace zelvorin::service
