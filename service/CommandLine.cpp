#include "service/CommandLine.h"

#include <charconv>
#include <optional>

#include <CLI/CLI.hpp>

#include "domain/Timestamps.h"
#include "service/admin/AdminGate.h"

namespace zelvorin::service {

namespace {

int parsePort(const std::string& text) {
    int port = -1;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc{} || next != end || port < 0 || port > 65535) {
        throw CommandLineError("Ongeldige poort '" + text + "': verwacht een getal van 0 tot en met 65535.",
                               2);
    }
    return port;
}

std::chrono::year_month_day parseSeedDate(const std::string& text) {
    const std::optional<std::chrono::year_month_day> date = parseCalendarDate(text);
    if (!date) throw CommandLineError("Ongeldige --seed-date '" + text + "': verwacht JJJJ-MM-DD.", 2);
    return *date;
}

std::int64_t parseLifetime(const std::string& text) {
    std::int64_t seconds = -1;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, seconds);
    if (error != std::errc{} || next != end || seconds < 0 || seconds > 86400) {
        throw CommandLineError(
            "Ongeldige --access-token-lifetime '" + text + "': verwacht seconden van 0 tot en met 86400.", 2);
    }
    return seconds;
}

int parseVolume(const std::string& text) {
    int records = -1;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, records);
    if (error != std::errc{} || next != end || records < 0 || records > 1'000'000) {
        throw CommandLineError(
            "Ongeldige --seed-volume '" + text + "': verwacht 0 tot en met 1000000 records.", 2);
    }
    return records;
}

}  // namespace

ServiceOptions parseCommandLine(const std::vector<std::string>& arguments,
                                std::chrono::year_month_day today) {
    CLI::App app{"Lokale Zelvorin-webservice op 127.0.0.1", "zelvorin-service"};
    std::string port;
    std::string dataDir;
    std::string seed;
    std::string seedDate;
    app.add_option("--port", port, "TCP-poort op 127.0.0.1; 0 kiest een vrije poort")->required();
    app.add_option("--data", dataDir, "Map voor de opslag van de service")->required();
    app.add_option("--seed", seed, "Vul een lege opslag met voorbeeldgegevens (alleen 'demo')");
    app.add_option("--seed-date", seedDate,
                   "Peildatum van de voorbeeldgegevens, JJJJ-MM-DD (standaard vandaag, UTC)");

    std::string volume;
    app.add_option("--seed-volume", volume,
                   "Zoveel extra records (klanten, contactpersonen, conceptfacturen en regels) in de demo");

    std::string lifetime;
    app.add_option("--access-token-lifetime", lifetime,
                   "Geldigheid van een toegangstoken in seconden (standaard 900)");

    std::string smtpUrl;
    app.add_option("--smtp-url", smtpUrl,
                   "Lever verstuurde e-mail ook af via SMTP, bijvoorbeeld smtp://127.0.0.1:2525");

    std::string now;
    app.add_option("--now", now,
                   "Laat de klok van de dienst stilstaan op dit moment, bijvoorbeeld 2026-03-16T10:00:00Z "
                   "(alleen POST admin/clock zet haar vooruit)");

    std::string adminTokenFile;
    app.add_option("--admin-token", adminTokenFile,
                   "Bestand met het beheertoken; alleen dan bestaan de admin-routes (tests, ontwikkeling)");

    // CLI11 takes the arguments in reverse order when given a vector.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        throw CommandLineError(app.help(), 0);
    } catch (const CLI::ParseError& error) {
        throw CommandLineError("Ongeldige opdrachtregel: " + std::string(error.what()), 2);
    }

    ServiceOptions options;
    options.port = parsePort(port);
    if (dataDir.empty()) throw CommandLineError("--data mag niet leeg zijn.", 2);
    options.dataDir = dataDir;
    if (!seed.empty() && seed != "demo") {
        throw CommandLineError("Onbekende seed '" + seed + "': alleen 'demo' bestaat.", 2);
    }
    options.seedDemo = seed == "demo";
    options.seedDate = seedDate.empty() ? today : parseSeedDate(seedDate);
    if (!volume.empty()) {
        if (!options.seedDemo) throw CommandLineError("--seed-volume werkt alleen samen met --seed demo.", 2);
        options.seedVolume = parseVolume(volume);
    }
    if (!lifetime.empty()) options.accessTokenLifetime = parseLifetime(lifetime);
    if (!smtpUrl.empty()) {
        if (!smtpUrl.starts_with("smtp://") && !smtpUrl.starts_with("smtps://"))
            throw CommandLineError("--smtp-url moet met smtp:// of smtps:// beginnen.", 2);
        options.smtpUrl = smtpUrl;
    }
    if (!now.empty()) {
        options.fixedNow = parseTimestamp(now);
        if (!options.fixedNow)
            throw CommandLineError(
                "Ongeldige --now '" + now + "': verwacht bijvoorbeeld 2026-03-16T10:00:00Z.", 2);
    }
    if (!adminTokenFile.empty()) {
        try {
            options.adminToken = readAdminToken(adminTokenFile);
        } catch (const std::runtime_error& error) {
            throw CommandLineError(error.what(), 2);
        }
    }
    return options;
}

}  // namespace zelvorin::service
