// A small HTTP server on 127.0.0.1 for the tests that run the real curl against it.
#pragma once

#include "support/testing.h"

namespace mdx::test {

// Answers every GET with what the handler gives for its path (with the query): a body sent as
// "200 OK", or a whole response when it begins with "HTTP/". A silent server answers nothing at
// all: the system takes the connection, nobody reads it.
class HttpServer {
  public:
    using Handler = std::function<std::string(const std::string& path)>;
    explicit HttpServer(Handler handler, bool silent = false);
    ~HttpServer();

    // "127.0.0.1:<port>", as the program's host variables take it.
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> requests() const;

  private:
    void serve();

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
std::string closedhost();

// A whole response with the given status line's rest ("404 Not Found"), body and extra headers.
std::string httpresponse(const std::string& status, const std::string& body,
                         const std::string& headers = "");

} // namespace mdx::test
