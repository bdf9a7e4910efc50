#include "service/inbox/InboxReading.h"

#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

void requireType(const Json& object, const char* key, bool (Json::*isType)() const, const char* what,
                 bool optional) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) {
        if (optional) return;
        refuse(std::string("\"") + key + "\" ontbreekt.");
    }
    if (!((*found).*isType)()) refuse(std::string("\"") + key + "\" moet " + what + " zijn.");
}

void checkItems(const Json& list, const char* key, const std::vector<const char*>& numbers) {
    for (const Json& item : list) {
        if (!item.is_object()) refuse(std::string("Elk element van \"") + key + "\" moet een object zijn.");
        for (const char* number : numbers)
            requireType(item, number, &Json::is_number, "een getal", false);
    }
}

}  // namespace

InboxReading parseSubmission(const Json& body) {
    requireType(body, "source", &Json::is_string, "een tekst", false);
    requireType(body, "confidence", &Json::is_number, "een getal", false);
    requireType(body, "modelVersion", &Json::is_string, "een tekst", true);
    requireType(body, "result", &Json::is_object, "een object", false);
    InboxReading reading;
    reading.source = body["source"].get<std::string>();
    reading.confidence = body["confidence"].get<double>();
    if (!(reading.confidence >= 0 && reading.confidence <= 1))
        refuse("\"confidence\" moet tussen 0 en 1 liggen.");
    if (body.contains("modelVersion") && body["modelVersion"].is_string())
        reading.modelVersion = body["modelVersion"].get<std::string>();

    const Json& result = body["result"];
    requireType(result, "isInvoice", &Json::is_boolean, "waar of onwaar", false);
    requireType(result, "currency", &Json::is_string, "een tekst", false);
    requireType(result, "totalAmountCents", &Json::is_number_integer, "een geheel aantal centen", true);
    for (const char* text : {"senderCompany", "senderAddress", "senderCountry", "senderVatNumber",
                             "senderKvkNumber", "invoiceDate", "invoiceNumber"})
        requireType(result, text, &Json::is_string, "een tekst", true);
    requireType(result, "lines", &Json::is_array, "een lijst", false);
    requireType(result, "vatBreakdown", &Json::is_array, "een lijst", false);
    checkItems(result["lines"], "lines", {"amount"});
    checkItems(result["vatBreakdown"], "vatBreakdown", {"rate", "amount"});
    reading.result = result;
    return reading;
}

Json withReading(Json payload, const InboxReading& reading) {
    const Json& result = reading.result;
    const auto copy = [&](const char* from, const char* to) {
        if (const auto found = result.find(from); found != result.end() && !found->is_null())
            payload[to] = *found;
        else
            payload.erase(to);
    };
    copy("totalAmountCents", "extractedAmount");
    copy("currency", "currency");
    copy("invoiceDate", "extractedInvoiceDate");
    copy("senderCompany", "extractedSenderCompany");
    copy("invoiceNumber", "extractedInvoiceNumber");
    copy("lines", "extractedLines");
    copy("vatBreakdown", "extractedVatBreakdown");
    if (result.value("isInvoice", false)) payload["invoiceType"] = "incoming";
    if (const auto sender = result.find("senderCompany");
        sender != result.end() && sender->is_string() && !payload.contains("senderName"))
        payload["senderName"] = *sender;
    payload["extractionSource"] = reading.source;
    payload["extractionConfidence"] = reading.confidence;
    payload.erase("extractionError");
    return payload;
}

}  // namespace zelvorin::service
