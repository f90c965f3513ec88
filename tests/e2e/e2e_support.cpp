#include "e2e_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// The request head, up to its empty line (or what came before the peer stopped).
std::string readhead(int connection) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd ready{connection, POLLIN, 0};
        if (poll(&ready, 1, 5000) <= 0) break;
        const ssize_t count = read(connection, buffer, sizeof buffer);
        if (count <= 0) break;
        head.append(buffer, static_cast<std::size_t>(count));
    }
    return head;
}

// "GET /path HTTP/1.1" gives "/path".
std::string requestpath(const std::string& head) {
    const std::size_t first = head.find(' ');
    const std::size_t second = head.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) return "";
    return head.substr(first + 1, second - first - 1);
}

void writeall(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count <= 0) return;
        done += static_cast<std::size_t>(count);
    }
}

std::vector<std::string>
environmentfor(const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!changes.contains(text.substr(0, text.find('=')))) entries.push_back(text);
    }
    for (const auto& [name, value] : changes)
        if (value) entries.push_back(name + "=" + *value);
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> list;
    for (std::string& word : words)
        list.push_back(word.data());
    list.push_back(nullptr);
    return list;
}

} // namespace

HttpServer::HttpServer(Handler handler, bool silent)
    : handler_(std::move(handler)), silent_(silent) {
    listener_ = listeningsocket(port_);
    thread_ = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
    for (int fd : held_)
        close(fd);
}

std::string HttpServer::host() const {
    return "127.0.0.1:" + std::to_string(port_);
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
        answer(connection);
    }
}

void HttpServer::answer(int connection) {
    if (silent_) {
        std::lock_guard<std::mutex> guard(lock_);
        held_.push_back(connection);
        return;
    }
    const std::string path = requestpath(readhead(connection));
    {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(path);
    }
    const std::string body = handler_(path);
    writeall(connection, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    close(connection);
}

std::string closedhost() {
    int port = 0;
    const int fd = listeningsocket(port);
    close(fd);
    return "127.0.0.1:" + std::to_string(port);
}

ProgramRun runprogram(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::optional<std::string>>& environment,
                      double limitSeconds) {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, output[1], 1);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = environmentfor(environment);
    std::vector<char*> argp = pointers(argv);
    std::vector<char*> envpp = pointers(envp);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, argv[0].c_str(), &files, nullptr, argp.data(), envpp.data());
    posix_spawn_file_actions_destroy(&files);
    close(output[1]);
    ProgramRun run;
    if (spawned != 0) {
        close(output[0]);
        return run;
    }
    const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(limitSeconds));
    char buffer[65536];
    run.Ended = true;
    for (;;) {
        if (std::chrono::steady_clock::now() > deadline) {
            run.Ended = false;
            kill(pid, SIGKILL);
            break;
        }
        pollfd ready{output[0], POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t count = read(output[0], buffer, sizeof buffer);
        if (count <= 0) break;
        run.Output.append(buffer, static_cast<std::size_t>(count));
    }
    close(output[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

std::vector<std::string> splitlines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace mdx::e2e
