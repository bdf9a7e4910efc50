#include "intelligence/LanguageModelInvoiceStructurer.h"

#include <cmath>
#include <future>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "intelligence/ExtractionError.h"

namespace zelvorin {

namespace {

using Json = nlohmann::ordered_json;

struct Texts {
    std::vector<const char*> instructions;
    const char* prompt;
};

struct Query {
    const char* name;  // of the schema
    Texts full;
    Texts shortened;    // for the retry after a context-window error
    std::size_t cutTo;  // characters of the text on that retry
};

const Query kBase{
    "GenerableInvoiceBase",
    {{"Je bent een assistent die factuurgegevens extraheert uit OCR-tekst van gescande documenten.",
      "Geef alleen de gevraagde velden terug. Verzin geen informatie die niet in de tekst staat.",
      "Gebruik null voor ontbrekende optionele velden.", "Datumformaat is altijd DD-MM-YYYY.",
      "Valutacode is ISO 4217 (bijv. EUR).", "Landcode is ISO 3166-1 alpha-2 (bijv. NL).",
      "senderCompany MOET worden ingevuld met de bedrijfs- of winkelnaam zoals bovenaan het document gedrukt "
      "— "
      "dit veld is BIJNA ALTIJD aanwezig. Alleen null bij een werkelijk anoniem document.",
      "totalAmount is het eindtotaal inclusief BTW in euro's als decimaal getal (bv. 78.00), NIET in "
      "centen."},
     "Extraheer de basisvelden uit de volgende OCR-tekst:"},
    {{"Je bent een assistent die factuurgegevens extraheert uit OCR-tekst.",
      "Geef alleen de gevraagde velden terug. Verzin geen informatie die niet in de tekst staat.",
      "senderCompany is de bedrijfsnaam bovenaan het document — bijna altijd aanwezig.",
      "totalAmount is het eindtotaal in euro's als decimaal getal."},
     "Extraheer de basisvelden:"},
    2000};

const Query kLines{
    "GenerableInvoiceLines",
    {{"Je bent een assistent die factuurregels en BTW-uitsplitsingen extraheert uit OCR-tekst.",
      "Geef alleen de gevraagde velden terug. Verzin geen informatie die niet in de tekst staat.",
      "BTW-tarieven zijn typisch 0, 9 of 21 procent.", "Bedragen zijn in euro's (decimale waarden).",
      "Het 'amount' van een regelitem is het regeltotaal (aantal × stukprijs) uit de meest rechtse "
      "bedragkolom van "
      "die regel.",
      "Het 'amount' van een BTW-item is het BTW-bedrag zelf ('Btw'-kolom), NIET de 'Incl.'- of "
      "'Excl.'-kolom.",
      "Sla subtotaal-, BTW- en totaalrijen NIET op als regelitems."},
     "Extraheer de factuurregels en BTW-uitsplitsing uit de volgende OCR-tekst:"},
    {{"Je bent een assistent die factuurregels extraheert uit OCR-tekst."},
     "Extraheer de factuurregels en BTW:"},
    2000};

const Query kTotal{
    "GenerableInvoiceTotal",
    {{"Je krijgt OCR-tekst van een bon of factuur.",
      "Geef ALLEEN het totaalbedrag dat betaald moet worden, in euro's.",
      "Zoek naar labels: 'Totaal', 'Te betalen', 'Totaalbedrag', 'Total due', 'Total amount'.",
      "Antwoord alleen met een decimaal getal (bv. 78.00). Geen centen-notatie, geen valutasymbool."},
     "Wat is het totaalbedrag (in euro's) in de volgende OCR-tekst?"},
    {{"Je krijgt OCR-tekst van een bon of factuur.", "Geef ALLEEN het totaalbedrag in euro's (bv. 78.00)."},
     "Totaalbedrag in euro's:"},
    1500};

Json field(const char* type, const char* guide, bool optional = false) {
    return Json{{"type", optional ? Json::array({type, "null"}) : Json(type)}, {"description", guide}};
}

// An object schema in strict form: every property required, optional ones nullable.
Json object(Json properties) {
    Json required = Json::array();
    for (const auto& [key, value] : properties.items())
        required.push_back(key);
    return Json{{"type", "object"},
                {"properties", std::move(properties)},
                {"required", std::move(required)},
                {"additionalProperties", false}};
}

const Json& baseSchema() {
    static const Json schema = object(
        {{"isInvoice",
          field("boolean",
                "true als dit document een factuur is, false voor polissen, NDA's, marketingmateriaal")},
         {"senderCompany", field("string",
                                 "Naam van het verzendende bedrijf zoals gedrukt bovenaan het document — "
                                 "ALTIJD invullen. Geef de "
                                 "zichtbare bedrijfs-/winkelnaam (bv. 'Pelikaan_Speelhal', 'Brandwijk B.V.', "
                                 "'Veldlijn Reizigers'). "
                                 "Verwijder labels zoals 'Factuurgegevens', 'ORIGINEEL', 'Invoice'. Alleen "
                                 "null als het document "
                                 "werkelijk anoniem is zonder zichtbare afzender",
                                 true)},
         {"senderAddress", field("string", "Adres van het verzendende bedrijf (optioneel)", true)},
         {"senderCountry", field("string", "ISO 3166-1 alpha-2 landcode, bv. NL, DE, BE (optioneel)", true)},
         {"senderVatNumber",
          field("string", "BTW-nummer van de afzender, bv. NL123456789B01 (optioneel)", true)},
         {"senderKvkNumber", field("string", "KVK-nummer van de afzender (optioneel)", true)},
         {"totalAmount",
          field("number",
                "Totaalbedrag inclusief BTW in euro's (optioneel). Zoek naar 'Totaalbedrag', 'Totaal "
                "incl. btw', 'Total amount', 'Total due'. Bv. €78,00 → 78.00",
                true)},
         {"currency", field("string", "Valutacode ISO 4217, bv. EUR, USD")},
         {"invoiceDate", field("string", "Factuurdatum in formaat DD-MM-YYYY (optioneel)", true)},
         {"invoiceNumber",
          field("string",
                "Factuur-/bonidentificatie bij labels 'Factuurnummer', 'Factuur-ID', 'Bonnummer', "
                "'Invoice #', 'Receipt #', 'Reference'. NIET het klantnummer of productcodes "
                "(optioneel)",
                true)}});
    return schema;
}

const Json& linesSchema() {
    static const Json schema = [] {
        Json line = object(
            {{"description", field("string", "Omschrijving van het product of de dienst")},
             {"quantity", field("number", "Aantal/hoeveelheid (optioneel)", true)},
             {"unitPrice",
              field("number",
                    "Prijs per eenheid in euro's (optioneel). Bij meerdere stuks: alleen de stukprijs, "
                    "NIET het regeltotaal",
                    true)},
             {"amount",
              field("number",
                    "Regeltotaal voor deze regel in euro's: aantal × stukprijs zoals vermeld in de meest "
                    "rechtse bedragkolom van die regel. Is er een hoeveelheid > 1, dan is dit NIET de "
                    "stukprijs")}});
        Json rate = field("number", "BTW-tarief in procent, verwachte waarden: 0, 9, 21");
        rate["minimum"] = 0;
        rate["maximum"] = 100;
        Json vat = object(
            {{"rate", rate},
             {"amount",
              field("number",
                    "Het BTW-/belastingbedrag zelf in euro's — dit is de 'Btw'- of 'VAT'-kolom, NIET de "
                    "'Incl.'- of 'Excl.'-kolom. In een tabel met Excl./Btw/Incl. is dit de middelste "
                    "(Btw) kolom")}});
        return object({{"lines",
                        {{"type", "array"},
                         {"description", "Lijst van factuurregels"},
                         {"items", std::move(line)},
                         {"maxItems", GenerableInvoiceLines::maxLines}}},
                       {"vatBreakdown",
                        {{"type", "array"},
                         {"description", "BTW-uitsplitsing per tarief"},
                         {"items", std::move(vat)},
                         {"maxItems", GenerableInvoiceLines::maxVatItems}}}});
    }();
    return schema;
}

const Json& totalSchema() {
    static const Json schema =
        object({{"totalAmount",
                 field("number",
                       "Het totaalbedrag dat betaald moet worden, in euro's. Zoek naar 'Totaal', 'Te "
                       "betalen', 'Totaalbedrag', 'Total due', 'Total amount'. Bijna elke bon/factuur "
                       "heeft dit. Bv. 78.00",
                       true)}});
    return schema;
}

// How one query failed, before the per-query mapping.
struct QueryFailure {
    enum class Kind { contextExceeded, contentFiltered, serverFailed, unusableAnswer };
    Kind kind;
    std::string message;
};

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

QueryFailure failureOf(int status, const std::string& body) {
    const Json answer = Json::parse(body, nullptr, false);
    std::string code, message;
    if (answer.is_object() && answer.contains("error")) {
        const Json& error = answer["error"];
        if (error.is_object()) {
            if (error.contains("code") && error["code"].is_string()) code = error["code"];
            if (error.contains("type") && error["type"].is_string() && code.empty()) code = error["type"];
            if (error.contains("message") && error["message"].is_string()) message = error["message"];
        } else if (error.is_string()) {
            message = error;
        }
    }
    const std::string text = lowered(code + " " + message);
    if (text.find("context") != std::string::npos &&
        (text.find("exceed") != std::string::npos || text.find("length") != std::string::npos ||
         text.find("size") != std::string::npos)) {
        return {QueryFailure::Kind::contextExceeded, message};
    }
    if (text.find("content_filter") != std::string::npos || text.find("content_policy") != std::string::npos)
        return {QueryFailure::Kind::contentFiltered, message};
    return {QueryFailure::Kind::serverFailed, "De taalmodelserver antwoordde " + std::to_string(status) +
                                                  (message.empty() ? "." : ": " + message)};
}

std::string joined(const std::vector<const char*>& lines) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

std::string httpHost(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    if (url.size() >= 3 && url.compare(url.size() - 3, 3, "/v1") == 0) url.erase(url.size() - 3);
    return url;
}

std::optional<double> number(const Json& object, const char* key) {
    const auto member = object.find(key);
    if (member == object.end() || !member->is_number()) return std::nullopt;
    const double value = member->get<double>();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<std::string> text(const Json& object, const char* key) {
    const auto member = object.find(key);
    if (member == object.end() || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

[[noreturn]] void misshapen(const char* what) {
    throw QueryFailure{
        QueryFailure::Kind::unusableAnswer,
        std::string("Het antwoord van het taalmodel past niet bij het schema (") + what + ")."};
}

GenerableInvoiceBase decodeBase(const Json& answer) {
    GenerableInvoiceBase base;
    if (!answer.contains("isInvoice") || !answer["isInvoice"].is_boolean()) misshapen("isInvoice");
    base.isInvoice = answer["isInvoice"].get<bool>();
    base.senderCompany = text(answer, "senderCompany");
    base.senderAddress = text(answer, "senderAddress");
    base.senderCountry = text(answer, "senderCountry");
    base.senderVatNumber = text(answer, "senderVatNumber");
    base.senderKvkNumber = text(answer, "senderKvkNumber");
    base.totalAmount = number(answer, "totalAmount");
    base.currency = text(answer, "currency").value_or("");
    base.invoiceDate = text(answer, "invoiceDate");
    base.invoiceNumber = text(answer, "invoiceNumber");
    return base;
}

GenerableInvoiceLines decodeLines(const Json& answer) {
    GenerableInvoiceLines lines;
    const auto lineList = answer.find("lines");
    const auto vatList = answer.find("vatBreakdown");
    if (lineList == answer.end() || !lineList->is_array()) misshapen("lines");
    if (vatList == answer.end() || !vatList->is_array()) misshapen("vatBreakdown");
    for (const Json& line : *lineList) {
        if (lines.lines.size() == GenerableInvoiceLines::maxLines) break;
        const auto amount = line.is_object() ? number(line, "amount") : std::nullopt;
        if (!amount) continue;
        lines.lines.push_back({text(line, "description").value_or(""), number(line, "quantity"),
                               number(line, "unitPrice"), *amount});
    }
    for (const Json& item : *vatList) {
        if (lines.vatBreakdown.size() == GenerableInvoiceLines::maxVatItems) break;
        const auto rate = item.is_object() ? number(item, "rate") : std::nullopt;
        const auto amount = item.is_object() ? number(item, "amount") : std::nullopt;
        if (!rate || !amount || *rate < 0 || *rate > 100) continue;
        lines.vatBreakdown.push_back({*rate, *amount});
    }
    return lines;
}

GenerableInvoiceTotal decodeTotal(const Json& answer) {
    return GenerableInvoiceTotal{number(answer, "totalAmount")};
}

}  // namespace

std::string firstCharacters(const std::string& text, std::size_t count) {
    // Code points that attach to the character before them.
    const auto attaches = [](char32_t c) {
        return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
               (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
               c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF);
    };
    std::size_t characters = 0;
    std::size_t position = 0;
    bool joinNext = false;
    while (position < text.size()) {
        const auto lead = static_cast<unsigned char>(text[position]);
        const std::size_t length = lead < 0x80         ? 1
                                   : lead >> 5 == 0x6  ? 2
                                   : lead >> 4 == 0xE  ? 3
                                   : lead >> 3 == 0x1E ? 4
                                                       : 1;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length && position + i < text.size(); ++i)
            point = (point << 6) | (static_cast<unsigned char>(text[position + i]) & 0x3F);
        const bool startsCharacter = !attaches(point) && !joinNext;
        if (startsCharacter && characters == count) break;
        if (startsCharacter) ++characters;
        joinNext = point == 0x200D;
        position += length;
    }
    return text.substr(0, std::min(position, text.size()));
}

LanguageModelInvoiceStructurer::LanguageModelInvoiceStructurer(std::string baseUrl, std::string model,
                                                               std::chrono::seconds queryTimeout)
    : host_(httpHost(std::move(baseUrl))), model_(std::move(model)), queryTimeout_(queryTimeout) {}

namespace {

httplib::Client client(const std::string& host, std::chrono::seconds readTimeout) {
    httplib::Client client(host);
    client.set_connection_timeout(2, 0);
    client.set_read_timeout(readTimeout.count(), 0);
    return client;
}

std::optional<std::string> listedModel(const std::string& host) {
    httplib::Client models = client(host, std::chrono::seconds(2));
    const auto answer = models.Get("/v1/models");
    if (!answer || answer->status != 200) return std::nullopt;
    const Json body = Json::parse(answer->body, nullptr, false);
    if (!body.is_object() || !body.contains("data") || !body["data"].is_array()) return std::nullopt;
    for (const Json& entry : body["data"]) {
        if (entry.is_object() && entry.contains("id") && entry["id"].is_string())
            return entry["id"].get<std::string>();
    }
    return std::string();
}

// One chat: the instructions as the system message, the prompt with the text as the user message,
// the answer constrained to `schema`. The parsed JSON object of the answer, or a QueryFailure.
Json chat(const std::string& host, const std::string& model, std::chrono::seconds timeout,
          const char* schemaName, const Json& schema, const Texts& texts, const std::string& ocrText) {
    Json body{{"model", model},
              {"messages",
               Json::array({{{"role", "system"}, {"content", joined(texts.instructions)}},
                            {{"role", "user"}, {"content", std::string(texts.prompt) + "\n\n" + ocrText}}})},
              {"response_format",
               {{"type", "json_schema"},
                {"json_schema", {{"name", schemaName}, {"strict", true}, {"schema", schema}}}}}};
    httplib::Client chats = client(host, timeout);
    const auto answer = chats.Post("/v1/chat/completions", body.dump(), "application/json");
    if (!answer) {
        throw QueryFailure{QueryFailure::Kind::serverFailed, "De taalmodelserver op " + host +
                                                                 " is niet bereikbaar (" +
                                                                 httplib::to_string(answer.error()) + ")."};
    }
    if (answer->status != 200) throw failureOf(answer->status, answer->body);
    const Json reply = Json::parse(answer->body, nullptr, false);
    if (!reply.is_object() || !reply.contains("choices") || !reply["choices"].is_array() ||
        reply["choices"].empty())
        misshapen("choices");
    const Json& choice = reply["choices"][0];
    if (choice.value("finish_reason", "") == "content_filter")
        throw QueryFailure{QueryFailure::Kind::contentFiltered, "content_filter"};
    if (!choice.contains("message") || !choice["message"].contains("content") ||
        !choice["message"]["content"].is_string())
        misshapen("message.content");
    const Json content = Json::parse(choice["message"]["content"].get<std::string>(), nullptr, false);
    if (!content.is_object()) misshapen("geen JSON-object");
    return content;
}

}  // namespace

bool LanguageModelInvoiceStructurer::isAvailable() const {
    return listedModel(host_).has_value();
}

std::string LanguageModelInvoiceStructurer::modelName() const {
    if (!model_.empty()) return model_;
    return listedModel(host_).value_or("");
}

std::string LanguageModelInvoiceStructurer::modelVersion() const {
    return std::string(version) + " (" + modelName() + ")";
}

namespace {

// A base or lines query: one retry with the short texts after a context-window error; a content
// filter makes the document unreadable; whatever the retry meets propagates as it is.
template <class Decode>
auto askRequired(const std::string& host, const std::string& model, std::chrono::seconds timeout,
                 const Query& query, const Json& schema, const std::string& ocrText, Decode decode) {
    try {
        return decode(chat(host, model, timeout, query.name, schema, query.full, ocrText));
    } catch (const QueryFailure& failure) {
        switch (failure.kind) {
            case QueryFailure::Kind::contentFiltered:
                throw ExtractionError::unreadableDocument();
            case QueryFailure::Kind::serverFailed:
                throw LanguageModelError(LanguageModelError::Kind::serverFailed, failure.message);
            case QueryFailure::Kind::unusableAnswer:
                throw LanguageModelError(LanguageModelError::Kind::unusableAnswer, failure.message);
            case QueryFailure::Kind::contextExceeded:
                break;
        }
    }
    try {
        return decode(chat(host, model, timeout, query.name, schema, query.shortened,
                           firstCharacters(ocrText, query.cutTo)));
    } catch (const QueryFailure& failure) {
        const auto kind = failure.kind == QueryFailure::Kind::serverFailed
                              ? LanguageModelError::Kind::serverFailed
                              : LanguageModelError::Kind::unusableAnswer;
        throw LanguageModelError(
            kind, failure.message.empty() ? "Het taalmodel gaf geen bruikbaar antwoord." : failure.message);
    }
}

}  // namespace

GenerableInvoiceBase LanguageModelInvoiceStructurer::askBase(const std::string& ocrText) const {
    return askRequired(host_, modelName(), queryTimeout_, kBase, baseSchema(), ocrText, decodeBase);
}

GenerableInvoiceLines LanguageModelInvoiceStructurer::askLines(const std::string& ocrText) const {
    return askRequired(host_, modelName(), queryTimeout_, kLines, linesSchema(), ocrText, decodeLines);
}

std::optional<GenerableInvoiceTotal> LanguageModelInvoiceStructurer::askTotal(
    const std::string& ocrText) const {
    const std::string model = modelName();
    try {
        return decodeTotal(
            chat(host_, model, queryTimeout_, kTotal.name, totalSchema(), kTotal.full, ocrText));
    } catch (const QueryFailure& failure) {
        if (failure.kind != QueryFailure::Kind::contextExceeded) return std::nullopt;
    }
    try {
        return decodeTotal(chat(host_, model, queryTimeout_, kTotal.name, totalSchema(), kTotal.shortened,
                                firstCharacters(ocrText, kTotal.cutTo)));
    } catch (const QueryFailure&) {
        return std::nullopt;
    }
}

ExtractedInvoiceData LanguageModelInvoiceStructurer::structure(const std::string& ocrText) const {
    if (!isAvailable()) throw ExtractionError::modelUnavailable();
    auto base = std::async(std::launch::async, [&] { return askBase(ocrText); });
    auto lines = std::async(std::launch::async, [&] { return askLines(ocrText); });
    const GenerableInvoiceBase baseAnswer = base.get();
    const GenerableInvoiceLines linesAnswer = lines.get();
    return mergeAnswers(baseAnswer, linesAnswer, askTotal(ocrText));
}

}  // namespace zelvorin
