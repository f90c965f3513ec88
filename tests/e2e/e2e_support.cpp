#include "e2e_support.h"

#include "support/runtime_fixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
    std::vector<std::string> words{"/usr/bin/env"};
    for (const auto& [name, value] : environment)
        if (!value) words.insert(words.end(), {"-u", name});
    for (const auto& [name, value] : environment)
        if (value) words.push_back(name + "=" + *value);
    words.insert(words.end(), {"timeout", "-s", "KILL", "60", MIRADEX_PROGRAM});
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    test::TempDir capture;
    const std::string output = capture.file("out"), errors = capture.file("err");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, 2, errors.c_str(), O_WRONLY | O_CREAT, 0600);
    ProgramRun run;
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Ended = run.Status != 137 && run.Status != -1;
    run.PeakKilobytes = usage.ru_maxrss;
    run.Output = contents(output);
    run.Errors = contents(errors);
    return run;
}

ProgramRun runbatch(Environment environment) {
    return runprogram({"--batch", "--new"}, std::move(environment));
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
