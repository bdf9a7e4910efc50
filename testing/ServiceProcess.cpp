#include "testing/ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <httplib.h>

#ifndef ZELVORIN_SERVICE_BINARY
#error "ZELVORIN_SERVICE_BINARY must name the zelvorin-service executable"
#endif

namespace zelvorin::testing {

namespace {

using Clock = std::chrono::steady_clock;

// Generous bounds: they only stop a hung child from hanging the test run, they time nothing.
constexpr auto kStartBound = std::chrono::seconds(120);
constexpr auto kStopBound = std::chrono::seconds(15);
constexpr const char* kListeningPrefix = "zelvorin-service listening on 127.0.0.1:";
constexpr const char* kAdminTokenHeader = "X-Zelvorin-Admin-Token";

// The admin token, and the bearer token when there is one.
httplib::Headers headersWith(const std::string& adminToken, const std::string& bearer = {}) {
    httplib::Headers headers;
    if (!adminToken.empty()) headers.emplace(kAdminTokenHeader, adminToken);
    if (!bearer.empty()) headers.emplace("Authorization", "Bearer " + bearer);
    return headers;
}

// A token nobody guesses, written where only this test's service reads it.
std::string writeAdminToken(const std::filesystem::path& file) {
    std::string token;
    std::ifstream random("/dev/urandom", std::ios::binary);
    for (int i = 0; i < 24; ++i) {
        static constexpr char kDigits[] = "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(random.get());
        token += kDigits[byte >> 4];
        token += kDigits[byte & 15];
    }
    std::ofstream(file) << token << '\n';
    return token;
}

struct Child {
    pid_t pid = -1;
    int stdoutFd = -1;
    int stderrFd = -1;  // -1 when stderr is inherited
};

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// fork + exec with stdout (and optionally stderr) on pipes. Everything the child runs before
// exec is async-signal-safe, so this is sound in a multi-threaded test process.
Child spawn(const std::vector<std::string>& arguments, bool captureStderr) {
    std::vector<std::string> argv{ServiceProcess::binaryPath()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argvPointers;
    for (std::string& argument : argv)
        argvPointers.push_back(argument.data());
    argvPointers.push_back(nullptr);

    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || (captureStderr && ::pipe2(err, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe2 mislukt");
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork mislukt");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(126);  // the test process is already gone
        ::dup2(out[1], STDOUT_FILENO);
        if (captureStderr) ::dup2(err[1], STDERR_FILENO);
        ::execv(argvPointers[0], argvPointers.data());
        ::_exit(127);
    }
    closeFd(out[1]);
    closeFd(err[1]);
    return Child{pid, out[0], err[0]};
}

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for `pid` until `deadline`; kills it when the deadline passes. Returns the exit code.
int reap(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return exitCodeOf(status);
        if (done < 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// Reads from `fd` into `into` for at most until `deadline`; false on end of file or time-out.
bool readSome(int fd, std::string& into, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd descriptor{fd, POLLIN, 0};
    if (::poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(count));
    return true;
}

}  // namespace

ServiceProcess::ServiceProcess() : ServiceProcess(Options{}) {}

ServiceProcess::ServiceProcess(Options options) : options_(std::move(options)), dataDir_("zelvorin-service") {
    if (options_.adminRoutes) adminToken_ = writeAdminToken(dataDir_.path() / "admin-token");
    start();
}

const char* ServiceProcess::adminTokenHeader() {
    return kAdminTokenHeader;
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    closeFd(stdoutFd_);
}

std::string ServiceProcess::binaryPath() {
    return ZELVORIN_SERVICE_BINARY;
}

ServiceProcess::Options ServiceProcess::demo(int volume) {
    Options options;
    options.seedDemo = true;
    options.seedDate = "2026-03-16";
    options.seedVolume = volume;
    return options;
}

std::string ServiceProcess::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void ServiceProcess::start() {
    std::vector<std::string> arguments{"--port", std::to_string(port_), "--data",
                                       (dataDir_.path() / "service").string()};
    if (options_.seedDemo) {
        arguments.insert(arguments.end(), {"--seed", "demo"});
        if (options_.seedDate) arguments.insert(arguments.end(), {"--seed-date", *options_.seedDate});
        if (options_.seedVolume > 0)
            arguments.insert(arguments.end(), {"--seed-volume", std::to_string(options_.seedVolume)});
    }
    if (options_.accessTokenLifetime) {
        arguments.insert(arguments.end(),
                         {"--access-token-lifetime", std::to_string(*options_.accessTokenLifetime)});
    }
    if (options_.now) arguments.insert(arguments.end(), {"--now", *options_.now});
    if (options_.adminRoutes)
        arguments.insert(arguments.end(), {"--admin-token", (dataDir_.path() / "admin-token").string()});
    const Child child = spawn(arguments, false);
    pid_ = child.pid;
    stdoutFd_ = child.stdoutFd;

    const auto deadline = Clock::now() + kStartBound;
    std::string output;
    while (output.find('\n') == std::string::npos) {
        if (!readSome(stdoutFd_, output, deadline)) {
            const int code = reap(pid_, Clock::now() + kStopBound);
            pid_ = -1;
            throw std::runtime_error("zelvorin-service gaf geen poort door (exitcode " +
                                     std::to_string(code) + ", uitvoer: '" + output + "')");
        }
    }
    const std::string line = output.substr(0, output.find('\n'));
    if (line.rfind(kListeningPrefix, 0) != 0) {
        throw std::runtime_error("onverwachte eerste regel van zelvorin-service: '" + line + "'");
    }
    port_ = std::stoi(line.substr(std::string(kListeningPrefix).size()));
    waitUntilHealthy();
}

void ServiceProcess::waitUntilHealthy() const {
    const auto deadline = Clock::now() + kStartBound;
    httplib::Client client("127.0.0.1", port_);
    while (Clock::now() < deadline) {
        const auto answer = client.Get("/healthz");
        if (answer && answer->status == 200) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("zelvorin-service beantwoordt /healthz niet");
}

int ServiceProcess::stop() {
    if (pid_ <= 0) return lastExitCode_;
    ::kill(pid_, SIGTERM);
    lastExitCode_ = reap(pid_, Clock::now() + kStopBound);
    pid_ = -1;
    closeFd(stdoutFd_);
    return lastExitCode_;
}

void ServiceProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    lastExitCode_ = reap(pid_, Clock::now() + kStopBound);
    pid_ = -1;
    closeFd(stdoutFd_);
}

void ServiceProcess::restart() {
    stop();
    start();
}

ServiceProcess::HttpAnswer ServiceProcess::get(const std::string& path) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    const auto answer = client.Get(path.c_str(), headersWith(adminToken_));
    if (!answer) throw std::runtime_error("GET " + path + " kreeg geen antwoord van zelvorin-service");
    return HttpAnswer{answer->status, answer->body};
}

ServiceProcess::HttpAnswer ServiceProcess::remove(const std::string& path) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    const auto answer = client.Delete(path.c_str(), headersWith(adminToken_));
    if (!answer) throw std::runtime_error("DELETE " + path + " kreeg geen antwoord van zelvorin-service");
    return HttpAnswer{answer->status, answer->body};
}

ServiceProcess::HttpAnswer ServiceProcess::post(const std::string& path, const std::string& jsonBody,
                                                const std::string& bearer) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    const auto answer =
        client.Post(path.c_str(), headersWith(adminToken_, bearer), jsonBody, "application/json");
    if (!answer) throw std::runtime_error("POST " + path + " kreeg geen antwoord van zelvorin-service");
    return HttpAnswer{answer->status, answer->body};
}

ServiceProcess::HttpAnswer ServiceProcess::getAuthorized(const std::string& path,
                                                         const std::string& bearer) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    const auto answer = client.Get(path.c_str(), headersWith(adminToken_, bearer));
    if (!answer) throw std::runtime_error("GET " + path + " kreeg geen antwoord van zelvorin-service");
    return HttpAnswer{answer->status, answer->body};
}

void ServiceProcess::advanceClock(std::chrono::seconds by) const {
    const HttpAnswer answer =
        post("/admin/clock", "{\"advanceSeconds\": " + std::to_string(by.count()) + "}");
    if (answer.status != 200)
        throw std::runtime_error("admin/clock weigerde (" + std::to_string(answer.status) +
                                 "): " + answer.body);
}

ServiceProcess::CompletedRun ServiceProcess::runToExit(const std::vector<std::string>& arguments) {
    Child child = spawn(arguments, true);
    const auto deadline = Clock::now() + kStartBound;
    CompletedRun run;
    // Both pipes are read together, so a child that fills one while we wait on the other
    // cannot stall.
    pollfd descriptors[2] = {{child.stdoutFd, POLLIN, 0}, {child.stderrFd, POLLIN, 0}};
    std::string* sinks[2] = {&run.standardOutput, &run.standardError};
    while ((descriptors[0].fd >= 0 || descriptors[1].fd >= 0) && Clock::now() < deadline) {
        if (::poll(descriptors, 2, 100) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (descriptors[i].fd < 0 || descriptors[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t count = ::read(descriptors[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(count));
            } else {
                ::close(descriptors[i].fd);
                descriptors[i].fd = -1;  // poll ignores negative descriptors
            }
        }
    }
    for (pollfd& descriptor : descriptors)
        closeFd(descriptor.fd);
    run.exitCode = reap(child.pid, deadline);
    return run;
}

}  // namespace zelvorin::testing
