#include "e2e_support.h"

#include "base/kwtools.h"
#include "support/runtime_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace mdx::e2e {
namespace {

int listeningsocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (fd < 0 || bind(fd, generic, size) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, generic, &size) != 0)
        throw std::runtime_error("no listening socket");
    port = ntohs(address.sin_port);
    return fd;
}

// "GET /path HTTP/1.1 ..." gives "/path": the request head up to its empty line.
std::string requestpath(int connection) {
    std::string head;
    char buffer[4096];
    pollfd ready{connection, POLLIN, 0};
    while (head.find("\r\n\r\n") == std::string::npos && poll(&ready, 1, 5000) > 0) {
        const ssize_t count = read(connection, buffer, sizeof buffer);
        if (count <= 0) break;
        head.append(buffer, static_cast<std::size_t>(count));
    }
    const std::size_t first = head.find(' ');
    const std::size_t second = head.find(' ', first + 1);
    return second == std::string::npos ? "" : head.substr(first + 1, second - first - 1);
}

std::string quoted(const std::string& word) {
    return "'" + replacestring(word, "'", "'\\''", true) + "'";
}

// A cross build's tests run the program through an emulator, and so must go the bundled profiler
// that the program starts: without a binfmt entry the kernel starts no foreign program. Gives
// the words before the program (none natively); the fault shim goes to the emulated program
// alone, not to the emulator, and the bundle's Helpers become a folder of emulated helpers.
std::string emulatorwords(Environment& environment) {
    const std::string emulator = MIRADEX_TEST_EMULATOR;
    if (emulator.empty()) return {};
    std::string words = emulator + " ";
    if (auto preload = environment.find("LD_PRELOAD");
        preload != environment.end() && preload->second) {
        words += "-E " + quoted("LD_PRELOAD=" + *preload->second) + " ";
        environment.erase(preload);
    }
    auto& commands = environment["MIRADEX_COMMAND_PATH"];
    commands = commands ? replacestring(*commands, MIRADEX_TEST_BUNDLE "/Contents/Helpers",
                                        MIRADEX_TEST_EMULATED_HELPERS, true)
                        : MIRADEX_TEST_EMULATED_HELPERS;
    return words;
}

} // namespace

HttpServer::HttpServer(Handler handler, bool silent) : handler_(std::move(handler)) {
    listener_ = listeningsocket(port_);
    if (!silent) thread_ = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    close(listener_);
}

std::vector<std::string> HttpServer::requests() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

void HttpServer::serve() {
    while (!stopping_) {
        pollfd ready{listener_, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(requestpath(connection));
        const std::string body = handler_(requests_.back());
        const std::string answer =
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        [[maybe_unused]] const ssize_t written = write(connection, answer.data(), answer.size());
        close(connection);
    }
}

std::string closedhost() {
    int port = 0;
    close(listeningsocket(port));
    return "127.0.0.1:" + std::to_string(port);
}

ProgramRun runprogram(const std::vector<std::string>& arguments, Environment environment) {
    // A short benchmark on the offscreen platform, and no proxy between curl and the servers.
    // clang-format off
    environment.insert({{"MIRADEX_BENCH_ADDITIONS", "1000"}, {"QT_QPA_PLATFORM", "offscreen"},
                        {"no_proxy", "127.0.0.1"}, {"http_proxy", std::nullopt},
                        {"HTTP_PROXY", std::nullopt}, {"all_proxy", std::nullopt}, {"ALL_PROXY", std::nullopt}});
    // clang-format on
    const std::string emulator = emulatorwords(environment);
    std::string command = "exec /usr/bin/env";
    for (const auto& [name, value] : environment)
        if (!value) command += " -u " + name;
    for (const auto& [name, value] : environment)
        if (value) command += " " + quoted(name + "=" + *value);
    command += " timeout -s KILL 60 " + emulator + quoted(MIRADEX_PROGRAM);
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    // The peak is that of the largest run so far: a run is measured against the ones before it.
    test::TempDir capture;
    const std::string output = capture.file("out"), errors = capture.file("err");
    const int status =
        std::system((command + " </dev/null >" + quoted(output) + " 2>" + quoted(errors)).c_str());
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    ProgramRun run;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Ended = run.Status != 137 && run.Status != -1;
    run.PeakKilobytes = usage.ru_maxrss;
    run.Output = contents(output);
    run.Errors = contents(errors);
    return run;
}

std::string contents(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

std::vector<std::string> splitlines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace mdx::e2e
