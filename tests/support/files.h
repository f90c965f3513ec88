// Files for the tests to read and write: whole, as bytes, folders made on the way.
#pragma once

#include <sys/stat.h>

#include "support/testing.h"

namespace mdx::test {

inline void writefile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
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
