#include "service/proposals/ProposalActions.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/MailMessage.h"
#include "service/store/Accounts.h"
#include "service/store/ProposalEvents.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "service/team/TeamMail.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr const char* kFallbackSender = "offertes@zelvorin.invalid";

bool isSet(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    return member != payload.end() && !member->is_null();
}

bool isTemplate(const Json& payload) {
    return payload.value("isTemplate", false) == true;
}

StoredRecord requireProposal(Connection& db, const Caller& caller, const std::string& id) {
    std::optional<StoredRecord> proposal = records::find(db, caller.organizationId, "proposal", id);
    if (!proposal || proposal->deleted || isTemplate(proposal->payload))
        throw ServiceError(ErrorKind::notFound, "Offerte niet gevonden.");
    return std::move(*proposal);
}

std::vector<StoredRecord> partsOf(Connection& db, const Caller& caller, const char* type,
                                  const std::string& id) {
    return records::withMember(db, caller.organizationId, type, "proposalId", id);
}

std::string userName(Connection& db, const std::optional<std::string>& userId) {
    const std::optional<UserAccount> user = userId ? accounts::user(db, *userId) : std::nullopt;
    return user ? user->name : std::string();
}

std::string senderOf(Connection& db, const Caller& caller) {
    for (const StoredRecord& settings : records::all(db, caller.organizationId, std::string("orgSettings"))) {
        const std::optional<std::string> email = text(settings.payload, "orgEmail");
        if (!settings.deleted && email && isDeliverableAddress(*email)) return *email;
    }
    return kFallbackSender;
}

// Runs `work` in one write transaction; the messages it wrote are taken back when that does not commit.
template <class Work>
auto withMessages(const ServiceDatabase& database, Work work) {
    std::vector<std::filesystem::path> written;
    try {
        return database.write([&](Connection& db) { return work(db, written); });
    } catch (...) {
        for (const std::filesystem::path& message : written)
            std::filesystem::remove(message);
        throw;
    }
}

// Mails the recipient the proposal's code and stamps the invitation; false without an address.
bool invite(Connection& db, const MailOutbox& outbox, const Caller& caller, const StoredRecord& proposal,
            StoredRecord recipient, const std::string& kind, TimePoint now,
            std::vector<std::filesystem::path>& written) {
    const std::optional<std::string> email = text(recipient.payload, "email");
    if (!email || !isDeliverableAddress(*email)) return false;
    const std::string title = text(proposal.payload, "title").value_or("");
    const std::string name = text(recipient.payload, "name").value_or("");
    const std::string token = text(recipient.payload, "token").value_or("");
    written.push_back(mailFromService(outbox, kind, senderOf(db, caller), *email, "Offerte: " + title,
                                      "Beste " + (name.empty() ? std::string("klant") : name) +
                                          ",\n\nHierbij de offerte \"" + title +
                                          "\". Je bekijkt en ondertekent hem met de code " + token + ".\n",
                                      now));
    recipient.payload["invitedAt"] = formatTimestampMillis(now);
    invoicerecords::put(db, caller, SyncEntityType::proposalRecipient, recipient.id,
                        std::move(recipient.payload), now);
    return true;
}

}  // namespace

std::vector<ProposalTemplate> proposalTemplates(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        std::vector<ProposalTemplate> templates;
        for (const StoredRecord& record : records::all(db, caller.organizationId, std::string("proposal"))) {
            if (record.deleted || !isTemplate(record.payload)) continue;
            templates.push_back(
                {record.id,
                 text(record.payload, "templateName").value_or(text(record.payload, "title").value_or("")),
                 text(record.payload, "templateDescription")});
        }
        std::sort(templates.begin(), templates.end(),
                  [](const ProposalTemplate& a, const ProposalTemplate& b) { return a.name < b.name; });
        return templates;
    });
}

std::string createProposal(const ServiceDatabase& database, const Caller& caller, const NewProposal& request,
                           TimePoint now) {
    if (request.title.find_first_not_of(" \t\r\n") == std::string::npos)
        throw ServiceError(ErrorKind::badRequest, "Geef de offerte een titel.");
    return database.write([&](Connection& db) {
        const std::optional<StoredRecord> customer =
            records::find(db, caller.organizationId, "customer", request.contactId);
        if (!customer || customer->deleted) throw ServiceError(ErrorKind::notFound, "Klant niet gevonden.");
        const std::optional<StoredRecord> source =
            records::find(db, caller.organizationId, "proposal", request.fromTemplateId);
        if (!source || source->deleted || !isTemplate(source->payload))
            throw ServiceError(ErrorKind::notFound, "Offertesjabloon niet gevonden.");
        const std::string stamp = formatTimestampMillis(now);
        Json proposal{{"id", randomUuid()},
                      {"organizationId", caller.organizationId},
                      {"title", request.title},
                      {"status", "draft"},
                      {"isTemplate", false}};
        for (const char* copied :
             {"language", "brandLockedToTemplate", "allowPublicShare", "autoReminderEnabled"})
            if (isSet(source->payload, copied)) proposal[copied] = source->payload[copied];
        proposal["contactId"] = customer->id;
        proposal["templateProposalId"] = source->id;
        proposal["createdByUserId"] = caller.userId;
        proposal["createdAt"] = stamp;
        proposal["updatedAt"] = stamp;
        const std::string id = proposal["id"].get<std::string>();
        invoicerecords::put(db, caller, SyncEntityType::proposal, id, std::move(proposal), now);
        for (const StoredRecord& person :
             records::withMember(db, caller.organizationId, "contact", "contactId", customer->id)) {
            const std::optional<std::string> email = text(person.payload, "email");
            if (!email || !isDeliverableAddress(*email)) continue;
            const std::string recipientId = randomUuid();
            invoicerecords::put(db, caller, SyncEntityType::proposalRecipient, recipientId,
                                Json{{"id", recipientId},
                                     {"proposalId", id},
                                     {"contactId", customer->id},
                                     {"contactPersonId", person.id},
                                     {"name", text(person.payload, "name").value_or("")},
                                     {"email", *email},
                                     {"role", "signer"},
                                     {"token", randomToken(18)},
                                     {"createdAt", stamp}},
                                now);
            break;
        }
        return id;
    });
}

void applyProposalAction(const ServiceDatabase& database, const Caller& caller, const std::string& proposalId,
                         const std::string& action, TimePoint now) {
    database.write([&](Connection& db) {
        StoredRecord proposal = requireProposal(db, caller, proposalId);
        Json& payload = proposal.payload;
        const std::string stamp = formatTimestampMillis(now);
        if (action == "archive") {
            payload["archivedAt"] = stamp;
        } else if (action == "unarchive") {
            payload["archivedAt"] = nullptr;
        } else if (action == "withdraw") {
            if (isSet(payload, "signedAt"))
                throw ServiceError(ErrorKind::unprocessable,
                                   "Een ondertekende offerte kan niet worden ingetrokken.");
            payload["status"] = "draft";
            payload["publishedAt"] = nullptr;
        } else {
            throw ServiceError(
                ErrorKind::unprocessable,
                "Onbekende actie '" + action + "' voor een offerte; kies archive, unarchive of withdraw.");
        }
        payload["updatedAt"] = stamp;
        invoicerecords::put(db, caller, SyncEntityType::proposal, proposalId, std::move(payload), now);
    });
}

void deleteProposal(const ServiceDatabase& database, const Caller& caller, const std::string& proposalId,
                    TimePoint now) {
    database.write([&](Connection& db) {
        requireProposal(db, caller, proposalId);
        for (const StoredRecord& recipient : partsOf(db, caller, "proposalRecipient", proposalId))
            templaterecords::remove(db, caller, SyncEntityType::proposalRecipient, recipient.id, now);
        for (const StoredRecord& link : partsOf(db, caller, "proposalShareLink", proposalId))
            templaterecords::remove(db, caller, SyncEntityType::proposalShareLink, link.id, now);
        templaterecords::remove(db, caller, SyncEntityType::proposal, proposalId, now);
    });
}

std::vector<ProposalTimelineEntry> proposalTimeline(const ServiceDatabase& database, const Caller& caller,
                                                    const std::string& proposalId) {
    return database.read([&](Connection& db) {
        const StoredRecord proposal = requireProposal(db, caller, proposalId);
        const Json& payload = proposal.payload;
        const std::string creator = userName(db, text(payload, "createdByUserId"));
        std::vector<ProposalTimelineEntry> timeline;
        const auto add = [&](const Json& record, const char* key, const char* category, const char* kind,
                             const std::string& description, const std::string& actor) {
            if (const std::optional<std::string> at = text(record, key)) {
                timeline.push_back({proposalId + ":" + kind + ":" + record.value("id", std::string()), *at,
                                    category, kind, description,
                                    actor.empty() ? std::nullopt : std::optional(actor)});
            }
        };
        add(payload, "createdAt", "lifecycle", "created", "Offerte aangemaakt", creator);
        add(payload, "publishedAt", "lifecycle", "sent", "Offerte verstuurd", creator);
        add(payload, "archivedAt", "lifecycle", "archived", "Offerte gearchiveerd", "");
        for (const StoredRecord& recipient : partsOf(db, caller, "proposalRecipient", proposalId)) {
            const std::string name = text(recipient.payload, "name").value_or("");
            add(recipient.payload, "invitedAt", "recipient", "invited", "Uitnodiging gestuurd aan " + name,
                "");
            add(recipient.payload, "lastViewedAt", "recipient", "viewed", "Bekeken door " + name, name);
            add(recipient.payload, "signedAt", "recipient", "signed", "Ondertekend door " + name, name);
            add(recipient.payload, "declinedAt", "recipient", "declined", "Afgewezen door " + name, name);
        }
        for (const ProposalEvent& event : proposalevents::of(db, caller.organizationId, proposalId))
            timeline.push_back(
                {event.id, event.at, event.category, event.kind, event.description, event.actorName});
        std::stable_sort(
            timeline.begin(), timeline.end(),
            [](const ProposalTimelineEntry& a, const ProposalTimelineEntry& b) { return a.at < b.at; });
        return timeline;
    });
}

ProposalFigures proposalStats(const ServiceDatabase& database, const Caller& caller,
                              const std::string& proposalId) {
    return database.read([&](Connection& db) {
        requireProposal(db, caller, proposalId);
        // The service keeps no page-view log: what it knows of views is each recipient's last one
        // and each share link's use count.
        ProposalFigures figures;
        for (const StoredRecord& recipient : partsOf(db, caller, "proposalRecipient", proposalId)) {
            const std::optional<std::string> viewed = text(recipient.payload, "lastViewedAt");
            if (!viewed) continue;
            ++figures.uniqueRecipients;
            ++figures.totalOpens;
            if (!figures.lastViewedAt || *viewed > *figures.lastViewedAt) figures.lastViewedAt = viewed;
        }
        figures.uniqueSessions = figures.uniqueRecipients;
        for (const StoredRecord& link : partsOf(db, caller, "proposalShareLink", proposalId)) {
            if (isSet(link.payload, "revokedAt")) continue;
            ++figures.sharedCount;
            const auto uses = link.payload.find("useCount");
            if (uses != link.payload.end() && uses->is_number_integer())
                figures.totalOpens += uses->get<std::int64_t>();
        }
        return figures;
    });
}

std::string sendProposal(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                         const std::string& proposalId, TimePoint now) {
    return withMessages(database, [&](Connection& db, std::vector<std::filesystem::path>& written) {
        StoredRecord proposal = requireProposal(db, caller, proposalId);
        int invited = 0;
        for (StoredRecord& recipient : partsOf(db, caller, "proposalRecipient", proposalId))
            invited +=
                invite(db, outbox, caller, proposal, std::move(recipient), "offerte", now, written) ? 1 : 0;
        if (invited == 0)
            throw ServiceError(ErrorKind::unprocessable, "Voeg eerst een ontvanger met een e-mailadres toe.");
        const std::string stamp = formatTimestampMillis(now);
        proposal.payload["status"] = "sent";
        proposal.payload["publishedAt"] = stamp;
        proposal.payload["updatedAt"] = stamp;
        invoicerecords::put(db, caller, SyncEntityType::proposal, proposalId, std::move(proposal.payload),
                            now);
        return std::string("sent");
    });
}

RemindOutcome remindProposal(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                             const std::string& proposalId, const std::string& type, TimePoint now) {
    if (type != "unsigned" && type != "unviewed")
        throw ServiceError(ErrorKind::badRequest,
                           "Onbekend soort herinnering '" + type + "'; kies unsigned of unviewed.");
    return withMessages(database, [&](Connection& db, std::vector<std::filesystem::path>& written) {
        StoredRecord proposal = requireProposal(db, caller, proposalId);
        RemindOutcome outcome;
        for (StoredRecord& recipient : partsOf(db, caller, "proposalRecipient", proposalId)) {
            const Json& payload = recipient.payload;
            const bool done = isSet(payload, "signedAt") || isSet(payload, "declinedAt");
            if (done || (type == "unviewed" && isSet(payload, "lastViewedAt"))) continue;
            ++outcome.total;
            if (invite(db, outbox, caller, proposal, std::move(recipient), "herinnering-offerte", now,
                       written)) {
                ++outcome.sent;
            } else {
                ++outcome.failed;
            }
        }
        const std::string stamp = formatTimestampMillis(now);
        if (outcome.sent > 0) {
            proposal.payload["reminderSentAt"] = stamp;
            invoicerecords::put(db, caller, SyncEntityType::proposal, proposalId, std::move(proposal.payload),
                                now);
        }
        proposalevents::add(db, caller.organizationId,
                            {randomUuid(), proposalId, stamp, "reminder", "reminder_sent",
                             "Herinnering gestuurd aan " + std::to_string(outcome.sent) + " van " +
                                 std::to_string(outcome.total) + " ontvangers",
                             userName(db, caller.userId)});
        return outcome;
    });
}

void resendProposalInvite(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                          const std::string& proposalId, const std::string& recipientId, TimePoint now) {
    withMessages(database, [&](Connection& db, std::vector<std::filesystem::path>& written) {
        const StoredRecord proposal = requireProposal(db, caller, proposalId);
        std::optional<StoredRecord> recipient =
            records::find(db, caller.organizationId, "proposalRecipient", recipientId);
        if (!recipient || recipient->deleted || text(recipient->payload, "proposalId") != proposalId)
            throw ServiceError(ErrorKind::notFound, "Deze ontvanger hoort niet bij de offerte.");
        const std::string name = text(recipient->payload, "name").value_or("");
        if (!invite(db, outbox, caller, proposal, std::move(*recipient), "offerte", now, written))
            throw ServiceError(ErrorKind::unprocessable, "Deze ontvanger heeft geen e-mailadres.");
        proposalevents::add(
            db, caller.organizationId,
            {randomUuid(), proposalId, formatTimestampMillis(now), "recipient", "invite_resent",
             "Uitnodiging opnieuw gestuurd aan " + name, userName(db, caller.userId)});
        return 0;
    });
}

}  // namespace zelvorin::service
