// Polling for what another thread does, with a bound instead of a fixed sleep.
#pragma once

#include "support/testing.h"

namespace mdx::test {

// Polls for up to ten seconds; generous, because the machine may be busy.
inline bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace mdx::test
