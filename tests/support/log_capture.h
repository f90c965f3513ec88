// Captures log lines for exact comparison.
#pragma once

#include "support/testing.h"

#include "base/log.h"

namespace mdx::test {

class LogCapture {
  public:
    LogCapture() {
        setlogcapture([this](std::string_view text) {
            std::lock_guard guard(lock_);
            text_.append(text);
        });
    }
    ~LogCapture() { setlogcapture({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Complete lines so far, without their line ends.
    std::vector<std::string> lines() const {
        const std::string all = text();
        std::vector<std::string> result;
        std::size_t start = 0;
        for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
            result.push_back(all.substr(start, end - start));
        return result;
    }
    // Everything written, line ends included.
    std::string text() const {
        std::lock_guard guard(lock_);
        return text_;
    }
    bool contains(const std::string& line) const { return std::ranges::count(lines(), line) > 0; }
    void clear() {
        std::lock_guard guard(lock_);
        text_.clear();
    }

  private:
    mutable std::mutex lock_;
    std::string text_;
};

} // namespace mdx::test
