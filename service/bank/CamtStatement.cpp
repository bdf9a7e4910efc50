#include "service/bank/CamtStatement.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <vector>

#include "domain/UniqueHandle.h"
#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

using namespace statementtext;

// Every version of the statement message lives under this prefix; 02 is the oldest in use.
constexpr std::string_view kCamt053Namespace = "urn:iso:std:iso:20022:tech:xsd:camt.053.001.";

void freeXmlText(xmlChar* text) noexcept {
    xmlFree(text);
}
using Document = UniqueHandle<xmlDoc*, xmlFreeDoc>;
using XmlText = UniqueHandle<xmlChar*, freeXmlText>;

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::badRequest, text);
}

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* child(const xmlNode* node, const char* name) {
    if (!node) return nullptr;
    for (const xmlNode* c = node->children; c; c = c->next)
        if (named(c, name)) return c;
    return nullptr;
}

std::vector<const xmlNode*> children(const xmlNode* node, const char* name) {
    std::vector<const xmlNode*> found;
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next)
        if (named(c, name)) found.push_back(c);
    return found;
}

// The element at the end of a path of child names, or nothing.
const xmlNode* path(const xmlNode* node, std::initializer_list<const char*> names) {
    for (const char* name : names)
        node = child(node, name);
    return node;
}

std::string text(const xmlNode* node) {
    if (!node) return {};
    const XmlText content(xmlNodeGetContent(node));
    return content ? folded(reinterpret_cast<const char*>(content.get())) : std::string{};
}

std::string attribute(const xmlNode* node, const char* name) {
    const XmlText value(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
    return value ? std::string(reinterpret_cast<const char*>(value.get())) : std::string{};
}

// A party's name: directly under it (up to version 07) or under its Pty (08 and later).
std::string partyName(const xmlNode* party) {
    if (const xmlNode* name = child(party, "Nm")) return text(name);
    return text(path(party, {"Pty", "Nm"}));
}

std::string accountIban(const xmlNode* account) {
    return compactIban(text(path(account, {"Id", "IBAN"})));
}

// The date of a booking date or value date: a Dt, or the date part of a DtTm.
std::string dateOf(const xmlNode* dateChoice) {
    if (const xmlNode* date = child(dateChoice, "Dt")) return calendarDate(text(date));
    if (const xmlNode* stamp = child(dateChoice, "DtTm")) return calendarDate(text(stamp).substr(0, 10));
    return {};
}

std::int64_t signedAmount(const xmlNode* amount, bool debit) {
    if (!amount) refuse("Een boeking in het CAMT.053-afschrift heeft geen bedrag.");
    const std::int64_t cents = parseAmountCents(text(amount));
    if (cents < 0)
        refuse("Een bedrag in het CAMT.053-afschrift is negatief; de richting staat in CdtDbtInd.");
    return debit ? -cents : cents;
}

std::string remittance(const xmlNode* details) {
    const xmlNode* info = child(details, "RmtInf");
    std::string out;
    for (const xmlNode* line : children(info, "Ustrd"))
        out += (out.empty() ? "" : " ") + text(line);
    // A structured creditor reference (a payment reference) when there is no free text.
    if (out.empty())
        for (const xmlNode* structured : children(info, "Strd"))
            out += (out.empty() ? "" : " ") + text(path(structured, {"CdtrRefInf", "Ref"}));
    return out;
}

// Pending and information-only entries are not bookings yet; an entry without a status is.
bool isBooked(const xmlNode* entry) {
    const xmlNode* status = child(entry, "Sts");
    if (!status) return true;
    const std::string code = child(status, "Cd") ? text(child(status, "Cd")) : text(status);
    return code == "BOOK";
}

void readEntry(const xmlNode* entry, std::vector<StatementEntry>& out) {
    const std::string indicator = text(child(entry, "CdtDbtInd"));
    if (indicator != "CRDT" && indicator != "DBIT")
        refuse("Een boeking in het CAMT.053-afschrift zegt niet of het bij- of afschrijving is (CdtDbtInd).");
    const bool debit = indicator == "DBIT";
    std::string date = dateOf(child(entry, "BookgDt"));
    if (date.empty()) date = dateOf(child(entry, "ValDt"));
    if (date.empty()) refuse("Een boeking in het CAMT.053-afschrift heeft geen boekdatum.");
    std::string reference = text(child(entry, "AcctSvcrRef"));
    if (reference.empty()) reference = text(child(entry, "NtryRef"));

    std::vector<const xmlNode*> details;
    for (const xmlNode* group : children(entry, "NtryDtls"))
        for (const xmlNode* transaction : children(group, "TxDtls"))
            details.push_back(transaction);
    if (details.empty()) details.push_back(nullptr);

    for (std::size_t i = 0; i < details.size(); ++i) {
        const xmlNode* detail = details[i];
        StatementEntry item;
        item.bookingDate = date;
        const xmlNode* amount = nullptr;
        if (details.size() > 1) {
            amount = path(detail, {"AmtDtls", "TxAmt", "Amt"});
            if (!amount) amount = child(detail, "Amt");
        }
        if (!amount) amount = child(entry, "Amt");
        item.amountCents = signedAmount(amount, debit);
        item.currency = currencyCode(attribute(amount, "Ccy"));
        // The counterparty of money coming in is the debtor, of money going out the creditor.
        const xmlNode* parties = child(detail, "RltdPties");
        item.counterpartyName = partyName(child(parties, debit ? "Cdtr" : "Dbtr"));
        item.counterpartyIban = accountIban(child(parties, debit ? "CdtrAcct" : "DbtrAcct"));
        item.description = remittance(detail);
        if (item.description.empty()) item.description = text(child(entry, "AddtlNtryInf"));
        std::string own = text(path(detail, {"Refs", "AcctSvcrRef"}));
        if (own.empty() && !reference.empty())
            own = details.size() > 1 ? reference + "/" + std::to_string(i + 1) : reference;
        if (!own.empty()) item.entryReference = own;
        out.push_back(std::move(item));
    }
}

void initialiseOnce() {
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

}  // namespace

bool looksLikeXml(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    bytes = trimmed(bytes);
    return bytes.starts_with("<?xml") || bytes.starts_with("<Document") || bytes.starts_with("<!") ||
           (bytes.starts_with("<") && bytes.size() > 1 && std::isalpha(static_cast<unsigned char>(bytes[1])));
}

ParsedStatement parseCamtStatement(std::string_view bytes) {
    // A statement never declares a DTD; one that does may be an entity bomb and is refused before
    // the parser sees it.
    if (bytes.find("<!DOCTYPE") != std::string_view::npos || bytes.find("<!ENTITY") != std::string_view::npos)
        refuse("Het bankafschrift bevat een DTD of entiteiten; zo'n bestand wordt niet ingelezen.");
    initialiseOnce();
    // No XML_PARSE_NOENT (entities stay references), no DTD loading, no network.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    const Document document(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "statement.xml", nullptr, options));
    if (!document) refuse("Het bankafschrift is geen geldige XML (afgebroken of beschadigd).");
    if (document.get()->intSubset)
        refuse("Het bankafschrift bevat een DTD of entiteiten; zo'n bestand wordt niet ingelezen.");
    const xmlNode* root = xmlDocGetRootElement(document.get());
    const std::string space =
        root && root->ns && root->ns->href ? reinterpret_cast<const char*>(root->ns->href) : "";
    if (!root || !named(root, "Document") || !space.starts_with(kCamt053Namespace))
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           "Dit XML-bestand is geen CAMT.053-bankafschrift (naamruimte '" + space +
                               "'); alleen camt.053.001.02 en later worden ingelezen.");
    const xmlNode* message = child(root, "BkToCstmrStmt");
    const std::vector<const xmlNode*> statements = children(message, "Stmt");
    if (statements.empty()) refuse("Het CAMT.053-bestand bevat geen afschrift (Stmt).");

    ParsedStatement parsed;
    parsed.format = "camt053";
    for (const xmlNode* statement : statements) {
        const std::string iban = accountIban(child(statement, "Acct"));
        if (parsed.accountIban.empty()) parsed.accountIban = iban;
        for (const xmlNode* entry : children(statement, "Ntry"))
            if (isBooked(entry)) readEntry(entry, parsed.entries);
    }
    return parsed;
}

}  // namespace zelvorin::service
