#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/ReceiptFile.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "screens/InputError.h"

namespace zelvorin::cli {

namespace {

std::string joined(const std::vector<std::string>& ids) {
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : ", ") + id;
    return text;
}

// Every file in order; the first that cannot be taken in ends the command with its error, the
// ones before it are done and printed.
void addReceipts(CliContext& context, const std::vector<std::string>& paths, const std::string& source) {
    context.requireSignedIn();
    AppEnvironment& environment = context.environment();
    Json receipts = Json::array();
    for (const std::string& path : paths) {
        const std::string fileName = std::filesystem::path(path).filename().string();
        UploadOutcome outcome;
        try {
            outcome = environment.takeInReceipt(readWholeFile(path), fileName, source);
        } catch (const ReceiptFileError& error) {
            // A file that is not a receipt is what was typed, not a fault.
            throw InputError(InputError::Kind::invalidValue, error.what());
        }
        const std::string kind(rawValue(outcome.kind));
        if (context.json) {
            receipts.push_back({{"file", fileName}, {"outcome", kind}, {"ids", outcome.ids}});
        } else {
            context.out() << fileName << ": " << kind;
            if (!outcome.ids.empty()) context.out() << " " << joined(outcome.ids);
            context.out() << '\n';
        }
    }
    if (context.json) printJson(context, Json{{"receipts", receipts}});
}

void listUploads(CliContext& context) {
    context.requireSignedIn();
    const std::vector<PendingUploadRecord> rows =
        context.environment().repositories().pendingUploads.allUploads();
    if (context.json) {
        printJson(context, Json{{"uploads", recordsJson(rows)}});
        return;
    }
    if (rows.empty()) {
        context.out() << "Geen bonnen in de wachtrij.\n";
        return;
    }
    for (const PendingUploadRecord& row : rows) {
        context.out() << column(std::string(PendingUploadRecord::rawValue(row.status)), 10)
                      << column(row.fileName, 28) << "pogingen " << row.attempts;
        if (row.lastError) context.out() << "  " << *row.lastError;
        context.out() << '\n';
    }
}

int drain(CliContext& context) {
    context.requireSignedIn();
    AppEnvironment& environment = context.environment();
    environment.importSharedFiles();
    const ReceiptIntake::DrainReport report = environment.drainUploads();
    const std::int64_t waiting = environment.repositories().pendingUploads.waitingUploadCount();
    if (context.json) {
        printJson(context, Json{{"uploaded", report.uploaded},
                                {"skipped", report.skipped},
                                {"failure", report.failure ? Json(*report.failure) : Json(nullptr)},
                                {"waiting", waiting}});
    } else {
        context.out() << "Verstuurd: " << report.uploaded << ", overgeslagen: " << report.skipped
                      << ", wachtend: " << waiting << '\n';
        if (report.failure) context.out() << "Upload mislukt: " << *report.failure << '\n';
    }
    return report.failure ? static_cast<int>(ExitCode::network) : 0;
}

}  // namespace

void addReceiptCommands(CLI::App& app, CliContext& context) {
    auto* receipt = app.add_subcommand("receipt", "Bonnen en facturen naar de Kvitra-inbox");
    receipt->require_subcommand(1);
    auto paths = std::make_shared<std::vector<std::string>>();
    auto source = std::make_shared<std::string>("upload");
    auto* add = receipt->add_subcommand("add", "Lees bestanden (PDF, JPEG, PNG) en stuur ze naar de inbox");
    add->add_option("files", *paths, "De bestanden")->required();
    add->add_option("--source", *source, "Waar de bestanden vandaan komen (standaard: upload)");
    add->callback([&context, paths, source] { addReceipts(context, *paths, *source); });

    app.add_subcommand("uploads", "De wachtrij van bonnen die nog naar de inbox moeten")
        ->callback([&context] { listUploads(context); });
    app.add_subcommand("drain", "Verstuur wat in de wachtrij staat")->callback([&context] {
        if (const int code = drain(context); code != 0) throw CLI::RuntimeError(code);
    });
}

}  // namespace zelvorin::cli
