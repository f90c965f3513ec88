// An environment variable set for the life of one object.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace mdx::test {

// Sets (or, with nullopt, removes) an environment variable and puts the old value back.
struct ScopedEnv {
    ScopedEnv(std::string name, const std::optional<std::string>& value) : Name(std::move(name)) {
        if (const char* old = std::getenv(Name.c_str())) Old = old;
        set(value);
    }
    ~ScopedEnv() { set(Old); }
    void set(const std::optional<std::string>& value) const {
        value ? setenv(Name.c_str(), value->c_str(), 1) : unsetenv(Name.c_str());
    }
    std::string Name;
    std::optional<std::string> Old;
};

} // namespace mdx::test
