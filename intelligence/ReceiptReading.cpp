#include "intelligence/ReceiptReading.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace zelvorin {
namespace {

// Fixed-point text without the C library's locale: the decimal mark is always ".".
std::string fixed(double value, int decimals) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.setf(std::ios::fixed);
    out.precision(decimals);
    out << value;
    return out.str();
}

std::string cents(std::int64_t amount) {
    const std::uint64_t magnitude = amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : amount;
    std::string text = std::to_string(magnitude / 100) + "," + (magnitude % 100 < 10 ? "0" : "") +
                       std::to_string(magnitude % 100);
    return amount < 0 ? "-" + text : text;
}

void field(std::ostringstream& out, const char* label, const std::optional<std::string>& value) {
    out << label << ": " << (value ? *value : std::string("-")) << '\n';
}

}  // namespace

double combinedConfidence(double ocrConfidence, double fieldScore) {
    const double combined =
        ReceiptReading::ocrWeight * ocrConfidence + ReceiptReading::fieldWeight * fieldScore;
    if (std::isnan(combined)) return 0;
    return std::clamp(combined, 0.0, 1.0);
}

nlohmann::ordered_json toJson(const ReceiptReading& reading) {
    nlohmann::ordered_json json;
    json["confidence"] = reading.confidence;
    json["ocrConfidence"] = reading.ocrConfidence;
    nlohmann::ordered_json scores;
    for (std::size_t i = 0; i < FieldScores::count; ++i) {
        scores[std::string(FieldScores::names[i])] = reading.scores.values[i];
    }
    json["scores"] = std::move(scores);
    json["totalCheck"] = toJson(reading.totalCheck);
    json["accepted"] = reading.accepted();
    json["result"] = toJson(reading.result);
    return json;
}

std::string describe(const ReceiptReading& reading) {
    const auto& data = reading.result;
    std::ostringstream out;
    out << "Factuur of bon: " << (data.isInvoice ? "ja" : "nee") << '\n';
    field(out, "Afzender", data.senderCompany);
    field(out, "Adres", data.senderAddress);
    field(out, "Land", data.senderCountry);
    field(out, "BTW-nummer", data.senderVatNumber);
    field(out, "KVK-nummer", data.senderKvkNumber);
    out << "Totaal: "
        << (data.totalAmountCents ? cents(*data.totalAmountCents) + " " + data.currency : std::string("-"))
        << (data._totalSource == TotalAmountSource::derivedFromLines ? " (som van de regels)" : "") << '\n';
    field(out, "Factuurdatum", data.invoiceDate);
    field(out, "Factuurnummer", data.invoiceNumber);
    for (const auto& line : data.lines) {
        out << "Regel: " << line.description;
        if (line.quantity) out << " | aantal " << fixed(*line.quantity, 2);
        if (line.unitPrice) out << " | stukprijs " << fixed(*line.unitPrice, 2);
        out << " | bedrag " << fixed(line.amount, 2) << '\n';
    }
    for (const auto& vat : data.vatBreakdown) {
        out << "BTW " << fixed(vat.rate, 0) << "%: " << fixed(vat.amount, 2) << '\n';
    }
    out << "Scores:";
    for (std::size_t i = 0; i < FieldScores::count; ++i) {
        out << ' ' << FieldScores::names[i] << '=' << fixed(reading.scores.values[i], 2);
    }
    out << '\n' << "Totaal gestaafd door:";
    const auto& check = reading.totalCheck;
    const std::pair<bool, const char*> support[] = {{check.labelled, " label"},
                                                    {check.paid, " betaling"},
                                                    {check.itemsAgree, " regels"},
                                                    {check.vatAgrees, " btw"}};
    bool any = false;
    for (const auto& [holds, name] : support) {
        if (holds) out << name;
        any = any || holds;
    }
    out << (any ? "" : " niets") << " (vertrouwen " << fixed(check.trust(), 2) << ")\n"
        << "OCR-betrouwbaarheid: " << fixed(reading.ocrConfidence, 3) << '\n'
        << "Betrouwbaarheid: " << fixed(reading.confidence, 3) << '\n'
        << "Model: " << reading.modelVersion << '\n'
        << "Geaccepteerd: " << (reading.accepted() ? "ja" : "nee") << '\n';
    return out.str();
}

}  // namespace zelvorin
