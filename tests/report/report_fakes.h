// Helpers of the report tests: environment variables set for one test, and fake commands
// written into a temporary directory.
#pragma once

#include "support/testing.h"

#include <sys/stat.h>

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

inline void writefile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readfile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// A shell script with the given body, executable.
inline void writescript(const std::string& path, const std::string& body) {
    writefile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

} // namespace mdx::test
