#include "support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace mdx::test {
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
        std::string answer = handler_(requests_.back());
        if (!answer.starts_with("HTTP/")) answer = httpresponse("200 OK", answer);
        [[maybe_unused]] const ssize_t written = write(connection, answer.data(), answer.size());
        close(connection);
    }
}

std::string closedhost() {
    int port = 0;
    close(listeningsocket(port));
    return "127.0.0.1:" + std::to_string(port);
}

std::string httpresponse(const std::string& status, const std::string& body,
                         const std::string& headers) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

} // namespace mdx::test
