#include "support/log_capture.h"

#include <algorithm>

#include "base/log.h"

namespace mdx::test {

LogCapture::LogCapture() {
    setlogcapture([this](std::string_view text) {
        std::lock_guard guard(lock_);
        text_.append(text);
    });
}

LogCapture::~LogCapture() {
    setlogcapture({});
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard guard(lock_);
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text_.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text_.substr(start, end - start));
    return result;
}

std::string LogCapture::text() const {
    std::lock_guard guard(lock_);
    return text_;
}

bool LogCapture::contains(const std::string& line) const {
    auto all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
}

void LogCapture::clear() {
    std::lock_guard guard(lock_);
    text_.clear();
}

} // namespace mdx::test
