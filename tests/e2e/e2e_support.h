// Helpers of the end-to-end tests: a batch run of the program with its own environment (the HTTP
// server is support/http_server.h).
#pragma once

#include "support/files.h"
#include "support/http_server.h"

namespace mdx::e2e {

using test::closedhost;
using test::HttpServer;

struct ProgramRun {
    bool Ended = false; // false when it had to be stopped after a minute
    int Status = -1;
    std::string Output;
    std::string Errors; // standard error: the log lines and the failure messages
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

// The lines of a text, without their line ends.
std::vector<std::string> splitlines(const std::string& text);

} // namespace mdx::e2e
