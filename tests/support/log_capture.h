// Captures log lines for exact comparison.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace mdx::test {

class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Complete lines so far, without their line ends.
    std::vector<std::string> lines() const;
    // Everything written, line ends included.
    std::string text() const;
    bool contains(const std::string& line) const;
    void clear();

  private:
    mutable std::mutex lock_;
    std::string text_;
};

} // namespace mdx::test
