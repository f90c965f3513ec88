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

// What stands at a path, without following a link: its type and mode, its device numbers and,
// for a link, where it points.
inline std::tuple<mode_t, dev_t, std::string> whatstands(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return {0, 0, ""};
    std::error_code ignored;
    return {info.st_mode, info.st_rdev, std::filesystem::read_symlink(path, ignored).string()};
}

} // namespace mdx::test
