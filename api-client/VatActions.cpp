#include "api-client/VatActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::vatactions {

using Json = nlohmann::json;
namespace fields = responsefields;

namespace {

bool present(const Json& body, const char* key) {
    const auto member = body.find(key);
    return member != body.end() && !member->is_null();
}

}  // namespace

BtwRubriek BtwRubriek::fromJson(const Json& body) {
    return {fields::text(body, "label"), fields::integer(body, "omzetCents"),
            fields::integer(body, "btwCents"), fields::integer(body, "invoiceCount")};
}

BtwOverigeKosten BtwOverigeKosten::fromJson(const Json& body) {
    return {fields::text(body, "transactionId"),  fields::optionalText(body, "counterpartyName"),
            fields::integer(body, "amountCents"), fields::integer(body, "vatRatePercent"),
            fields::integer(body, "btwCents"),    fields::text(body, "transactionDate")};
}

BtwQuarterSummary BtwQuarterSummary::fromJson(const Json& body) {
    BtwQuarterSummary summary;
    summary.year = fields::integer(body, "year");
    summary.quarter = fields::integer(body, "quarter");
    summary.rubriek1a = BtwRubriek::fromJson(fields::objectMember(body, "rubriek1a"));
    summary.rubriek1b = BtwRubriek::fromJson(fields::objectMember(body, "rubriek1b"));
    summary.rubriek1e = BtwRubriek::fromJson(fields::objectMember(body, "rubriek1e"));
    const Json& r5b = fields::objectMember(body, "rubriek5b");
    summary.rubriek5b = {fields::text(r5b, "label"), fields::integer(r5b, "btwCents")};
    summary.totalOmzet = fields::integer(body, "totalOmzet");
    summary.totalBtwAf = fields::integer(body, "totalBtwAf");
    summary.totalVoorbelasting = fields::integer(body, "totalVoorbelasting");
    summary.perSaldo = fields::integer(body, "perSaldo");
    for (const Json& warning : fields::array(body, "warnings")) {
        if (!warning.is_string()) fields::invalid();
        summary.warnings.push_back(warning.get<std::string>());
    }
    for (const Json& cost : fields::array(body, "overigeKosten"))
        summary.overigeKosten.push_back(BtwOverigeKosten::fromJson(cost));
    for (const Json& missing : fields::array(body, "missingInvoices")) {
        summary.missingInvoices.push_back({fields::text(missing, "counterpartyName"),
                                           fields::integer(missing, "amountCents"),
                                           fields::text(missing, "transactionDate")});
    }
    if (present(body, "rubriekVerlegd"))
        summary.rubriekVerlegd = BtwRubriek::fromJson(fields::objectMember(body, "rubriekVerlegd"));
    summary.basis = fields::optionalText(body, "basis");
    if (present(body, "icp")) {
        summary.icp.emplace();
        for (const Json& entry : fields::array(body, "icp")) {
            summary.icp->push_back({fields::text(entry, "vatNumber"), fields::text(entry, "customerName"),
                                    fields::text(entry, "country"), fields::integer(entry, "goodsCents"),
                                    fields::integer(entry, "servicesCents")});
        }
    }
    if (present(body, "kor")) {
        const Json& kor = fields::objectMember(body, "kor");
        summary.kor = BtwKorMeter{fields::integer(kor, "year"), fields::integer(kor, "turnoverCents"),
                                  fields::integer(kor, "limitCents"), fields::integer(kor, "percent")};
    }
    return summary;
}

BtwQuarterSummary summary(SyncAPIClient& client, int year, int quarter) {
    return BtwQuarterSummary::fromJson(client.fetch(
        "api/native/v1/btw/summary", {{"year", std::to_string(year)}, {"quarter", std::to_string(quarter)}}));
}

BtwOverigeKosten setOverigeKostenVatRate(SyncAPIClient& client, const std::string& transactionId,
                                         int vatRatePercent) {
    return BtwOverigeKosten::fromJson(client.action(
        "POST", "api/native/v1/btw/overige-kosten/" + percentEncodeQueryValue(transactionId) + "/vat-rate",
        nlohmann::ordered_json{{"vatRatePercent", vatRatePercent}}));
}

}  // namespace zelvorin::vatactions
