#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin {
namespace {

template <typename T>
void putOptional(nlohmann::ordered_json& json, const char* key, const std::optional<T>& value) {
    if (value) json[key] = *value;
}

template <typename T>
std::optional<T> getOptional(const nlohmann::json& json, const char* key) {
    auto it = json.find(key);
    if (it == json.end() || it->is_null()) return std::nullopt;
    return it->get<T>();
}

}  // namespace

nlohmann::ordered_json toJson(const ExtractedInvoiceData& data) {
    nlohmann::ordered_json json;
    json["isInvoice"] = data.isInvoice;
    putOptional(json, "senderCompany", data.senderCompany);
    putOptional(json, "senderAddress", data.senderAddress);
    putOptional(json, "senderCountry", data.senderCountry);
    putOptional(json, "senderVatNumber", data.senderVatNumber);
    putOptional(json, "senderKvkNumber", data.senderKvkNumber);
    putOptional(json, "totalAmountCents", data.totalAmountCents);
    json["currency"] = data.currency;
    putOptional(json, "invoiceDate", data.invoiceDate);
    putOptional(json, "invoiceNumber", data.invoiceNumber);
    json["lines"] = nlohmann::ordered_json::array();
    for (const auto& line : data.lines) {
        nlohmann::ordered_json item;
        item["description"] = line.description;
        putOptional(item, "quantity", line.quantity);
        putOptional(item, "unitPrice", line.unitPrice);
        item["amount"] = line.amount;
        json["lines"].push_back(std::move(item));
    }
    json["vatBreakdown"] = nlohmann::ordered_json::array();
    for (const auto& vat : data.vatBreakdown) {
        json["vatBreakdown"].push_back({{"rate", vat.rate}, {"amount", vat.amount}});
    }
    return json;
}

ExtractedInvoiceData extractedInvoiceDataFromJson(const nlohmann::json& json) {
    ExtractedInvoiceData data;
    data.isInvoice = json.at("isInvoice").get<bool>();
    data.senderCompany = getOptional<std::string>(json, "senderCompany");
    data.senderAddress = getOptional<std::string>(json, "senderAddress");
    data.senderCountry = getOptional<std::string>(json, "senderCountry");
    data.senderVatNumber = getOptional<std::string>(json, "senderVatNumber");
    data.senderKvkNumber = getOptional<std::string>(json, "senderKvkNumber");
    data.totalAmountCents = getOptional<std::int64_t>(json, "totalAmountCents");
    data.currency = getOptional<std::string>(json, "currency").value_or("EUR");
    data.invoiceDate = getOptional<std::string>(json, "invoiceDate");
    data.invoiceNumber = getOptional<std::string>(json, "invoiceNumber");
    for (const auto& item : json.value("lines", nlohmann::json::array())) {
        data.lines.push_back({item.at("description").get<std::string>(),
                              getOptional<double>(item, "quantity"), getOptional<double>(item, "unitPrice"),
                              item.at("amount").get<double>()});
    }
    for (const auto& item : json.value("vatBreakdown", nlohmann::json::array())) {
        data.vatBreakdown.push_back({item.at("rate").get<double>(), item.at("amount").get<double>()});
    }
    return data;
}

}  // namespace zelvorin
