#include <charconv>
#include <memory>
#include <ostream>

#include "api-client/FileTransfers.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "screens/InputError.h"
#include "screens/VatReturnScreen.h"

namespace zelvorin::cli {
namespace {

struct PeriodOptions {
    std::string quarter;  // "1".."4" or "Q1".."Q4"
    int year = 0;         // 0: the current year
};

struct Period {
    int year = 0;
    int quarter = 0;
};

Period period(CliContext& context, const PeriodOptions& options) {
    std::string_view text = options.quarter;
    if (!text.empty() && (text.front() == 'Q' || text.front() == 'q')) text.remove_prefix(1);
    int quarter = 0;
    if (text.empty() ||
        std::from_chars(text.data(), text.data() + text.size(), quarter).ptr != text.data() + text.size()) {
        throw InputError(InputError::Kind::invalidValue,
                         "Kwartaal '" + options.quarter + "' is geen kwartaal: geef 1 tot en met 4 (of Q1).");
    }
    const int year = options.year != 0
                         ? options.year
                         : static_cast<int>(amsterdamDate(context.environment().clock()->now()).year());
    requireVatPeriod(year, quarter);
    return {year, quarter};
}

Json rubriekJson(const vatactions::BtwRubriek& r) {
    return Json{{"label", r.label},
                {"omzetCents", r.omzetCents},
                {"btwCents", r.btwCents},
                {"invoiceCount", r.invoiceCount}};
}

Json summaryJson(const vatactions::BtwQuarterSummary& s) {
    Json otherCosts = Json::array(), missing = Json::array(), icp = Json::array();
    for (const auto& cost : s.overigeKosten) {
        otherCosts.push_back(
            Json{{"transactionId", cost.transactionId},
                 {"counterpartyName", cost.counterpartyName ? Json(*cost.counterpartyName) : Json()},
                 {"amountCents", cost.amountCents},
                 {"vatRatePercent", cost.vatRatePercent},
                 {"btwCents", cost.btwCents},
                 {"transactionDate", cost.transactionDate}});
    }
    for (const auto& document : s.missingInvoices) {
        missing.push_back(Json{{"counterpartyName", document.counterpartyName},
                               {"amountCents", document.amountCents},
                               {"transactionDate", document.transactionDate}});
    }
    for (const auto& entry : s.icp.value_or(std::vector<vatactions::BtwIcpEntry>{})) {
        icp.push_back(Json{{"vatNumber", entry.vatNumber},
                           {"customerName", entry.customerName},
                           {"country", entry.country},
                           {"goodsCents", entry.goodsCents},
                           {"servicesCents", entry.servicesCents}});
    }
    Json body{{"year", s.year},
              {"quarter", s.quarter},
              {"rubriek1a", rubriekJson(s.rubriek1a)},
              {"rubriek1b", rubriekJson(s.rubriek1b)},
              {"rubriek1e", rubriekJson(s.rubriek1e)},
              {"rubriek5b", Json{{"label", s.rubriek5b.label}, {"btwCents", s.rubriek5b.btwCents}}},
              {"totalOmzet", s.totalOmzet},
              {"totalBtwAf", s.totalBtwAf},
              {"totalVoorbelasting", s.totalVoorbelasting},
              {"perSaldo", s.perSaldo},
              {"warnings", s.warnings},
              {"overigeKosten", std::move(otherCosts)},
              {"missingInvoices", std::move(missing)},
              {"rubriekVerlegd", s.rubriekVerlegd ? rubriekJson(*s.rubriekVerlegd) : Json()},
              {"basis", s.basis ? Json(*s.basis) : Json()},
              {"icp", std::move(icp)}};
    if (s.kor) {
        body["kor"] = Json{{"year", s.kor->year},
                           {"turnoverCents", s.kor->turnoverCents},
                           {"limitCents", s.kor->limitCents},
                           {"percent", s.kor->percent}};
    }
    return body;
}

void printSummary(CliContext& context, const vatactions::BtwQuarterSummary& s) {
    std::ostream& out = context.out();
    out << "BTW-aangifte Q" << s.quarter << " " << s.year
        << (s.basis == "kas" ? " (kasstelsel)" : " (factuurstelsel)") << "\n\n";
    out << column("Rubriek", 62) << rightColumn("Omzet", 14) << rightColumn("Btw", 14) << '\n';
    for (const VatReturnRow& row : vatReturnRows(s))
        out << column(row.label, 62) << rightColumn(row.omzet, 14) << rightColumn(row.btw, 14) << '\n';
    if (s.kor) {
        out << "\nKOR-meter " << s.kor->year << ": " << formatEuro(s.kor->turnoverCents) << " van "
            << formatEuro(s.kor->limitCents) << " (" << s.kor->percent << " %)\n";
    }
    if (s.icp && !s.icp->empty()) {
        out << "\nICP-opgaaf (intracommunautaire prestaties)\n";
        out << column("Btw-nummer", 18) << column("Afnemer", 30) << rightColumn("Goederen", 14)
            << rightColumn("Diensten", 14) << '\n';
        for (const auto& entry : *s.icp)
            out << column(entry.vatNumber, 18) << column(entry.customerName, 30)
                << rightColumn(formatEuro(entry.goodsCents), 14)
                << rightColumn(formatEuro(entry.servicesCents), 14) << '\n';
    }
    if (!s.overigeKosten.empty()) {
        out << "\nOverige kosten (btw uit het bedrag, tarief instelbaar)\n";
        for (const auto& cost : s.overigeKosten)
            out << cost.transactionDate << "  " << column(cost.counterpartyName.value_or("—"), 32)
                << rightColumn(formatEuro(cost.amountCents), 14)
                << rightColumn(std::to_string(cost.vatRatePercent) + " %", 6)
                << rightColumn(formatEuro(cost.btwCents), 12) << '\n';
    }
    if (!s.missingInvoices.empty()) {
        out << "\nOntbrekende documenten\n";
        for (const auto& document : s.missingInvoices)
            out << document.transactionDate << "  " << column(document.counterpartyName, 32)
                << rightColumn(formatEuro(document.amountCents), 14) << '\n';
    }
    if (!s.warnings.empty()) {
        out << "\nLet op\n";
        for (const std::string& warning : s.warnings)
            out << "- " << warning << '\n';
    }
}

void showQuarter(CliContext& context, const PeriodOptions& options) {
    const Period chosen = period(context, options);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const vatactions::BtwQuarterSummary summary = loadVatQuarter(client, chosen.year, chosen.quarter);
    if (context.json) return printJson(context, summaryJson(summary));
    printSummary(context, summary);
}

void exportQuarter(CliContext& context, const PeriodOptions& options, std::string out) {
    const Period chosen = period(context, options);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const ExportedFile file = exportVatQuarter(client, chosen.year, chosen.quarter);
    if (out.empty()) out = file.fileName;
    writeOutputFile(out, file.data);
    if (context.json) return printJson(context, Json{{"file", out}, {"bytes", file.data.size()}});
    context.out() << "BTW-overzicht opgeslagen in " << out << ".\n";
}

}  // namespace

void addBtwCommands(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<PeriodOptions>();
    auto* btw = app.add_subcommand("btw", "De btw-aangifte van een kwartaal, berekend door de dienst");
    btw->add_option("kwartaal", options->quarter, "Kwartaal: 1 tot en met 4 (of Q1)");
    btw->add_option("--year", options->year, "Jaar (standaard het huidige)");
    btw->callback([&context, options, btw] {
        if (btw->get_subcommands().empty()) showQuarter(context, *options);
    });

    auto exportOptions = std::make_shared<PeriodOptions>();
    auto out = std::make_shared<std::string>();
    auto* exported = btw->add_subcommand("export", "Het kwartaal als CSV-bestand voor een spreadsheet");
    exported->add_option("kwartaal", exportOptions->quarter, "Kwartaal: 1 tot en met 4 (of Q1)")->required();
    exported->add_option("--year", exportOptions->year, "Jaar (standaard het huidige)");
    exported->add_option("--out", *out, "Bestand (standaard de naam die de dienst geeft)");
    exported->callback([&context, exportOptions, out] { exportQuarter(context, *exportOptions, *out); });
}

}  // namespace zelvorin::cli
