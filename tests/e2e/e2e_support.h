// Helpers of the end-to-end tests: a small HTTP server on 127.0.0.1 and a batch run of the
// program with its own environment.
#pragma once

#include "support/testing.h"

namespace mdx::e2e {

// Answers every GET with the body that the handler gives for its path (with the query), or
// with no answer at all when silent: the system takes the connection, nobody reads it.
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

struct ProgramRun {
    bool Ended = false; // false when it had to be stopped after a minute
    int Status = -1;
    std::string Output;
    std::string Errors;     // standard error: the log lines and the failure messages
    long PeakKilobytes = 0; // the largest resident size of any run so far and what it ran
};

// Environment entries replace or add to the test's own; one without a value removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

// The program with these arguments, a short benchmark, offscreen, without proxies.
ProgramRun runprogram(const std::vector<std::string>& arguments, Environment environment);

// Whether the run failed (status 1) and its standard error holds `message`.
inline bool failedsaying(const ProgramRun& run, const std::string& message) {
    return run.Status == 1 && run.Errors.find(message) != std::string::npos;
}

// "miradex --batch --new".
inline ProgramRun runbatch(Environment environment) {
    return runprogram({"--batch", "--new"}, std::move(environment));
}

// A file's bytes as they are.
std::string contents(const std::string& path);

// The lines of a text, without their line ends.
std::vector<std::string> splitlines(const std::string& text);

} // namespace mdx::e2e
