#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "testing/ServiceProcess.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

// zelvorin-cli run as a separate process, the way a person or a script runs it.
namespace zelvorin::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
};

// Runs zelvorin-cli with the given environment assignments; stderr goes to `errFile`.
inline CliRun runCli(const std::string& environment, const std::string& arguments,
                     const std::filesystem::path& errFile) {
    std::string command =
        "env " + environment + " " + ZELVORIN_CLI_BINARY + " " + arguments + " 2>" + errFile.string();
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// One device directory against a demo service of its own, with the CLI run in it.
struct CliDevice {
    ServiceProcess service{ServiceProcess::demo()};
    TempDir root;
    std::filesystem::path err = root / "err.txt";

    std::string environment() const {
        return "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl();
    }
    CliRun run(const std::string& arguments) const { return runCli(environment(), arguments, err); }
    std::string errors() const { return readFile(err); }
    std::filesystem::path database() const { return root / "Zelvorin" / "zelvorin.sqlite"; }
};

// What a query on the device's database answers, one value per line.
inline std::string query(const CliDevice& device, const std::string& sql) {
    return runCommand("sqlite3 " + device.database().string() + " \"" + sql + "\"");
}

}  // namespace zelvorin::testing
