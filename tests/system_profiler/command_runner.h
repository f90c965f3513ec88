// Runs the built system_profiler command and collects what it writes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mdx::sysprof::test {

struct CommandResult {
    int status = -1; // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// The command with the given arguments; environment entries ("NAME=value") replace or add to the
// test's own environment, from which the locale variables are removed.
CommandResult runcommand(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// The folder of a copied tree, and the folder of the expected outputs.
std::string fixturepath(const std::string& name);
std::string expectedpath(const std::string& name);
std::string readfile(const std::string& path);

// The names of the copied trees under tests/system_profiler/fixtures.
const std::vector<std::string>& fixturenames();
// A tree's name as a test name: "hybrid-laptop" gives "hybrid_laptop".
std::string treetestname(const ::testing::TestParamInfo<std::string>& tree);

} // namespace mdx::sysprof::test
