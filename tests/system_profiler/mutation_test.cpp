// Damaged copies of the trees: every file in turn emptied, cut short and replaced by random
// bytes. The command must still finish with status 0 and well-formed output that only leaves
// the affected keys out; under the sanitizer build any bad read fails the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "command_runner.h"
#include "support/runtime_fixture.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof::test {
namespace {

namespace fs = std::filesystem;

enum class Damage { Empty, Truncated, Random };

std::string damaged(const std::string& original, Damage damage, std::mt19937& random) {
    switch (damage) {
    case Damage::Empty: return {};
    case Damage::Truncated: return original.substr(0, original.size() / 2);
    case Damage::Random: {
        std::string bytes(16 + random() % 240, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random() & 0xFF);
        return bytes;
    }
    }
    return {};
}

// Title lines, section lines ("    Name:") and key lines ("      Key: Value"), or blank.
bool wellformed(const std::string& output, std::string& badline) {
    static const std::regex line(R"(^$|^[^ \x00-\x1f].*:$|^( {2})+[^ \x00-\x1f].*:( .+)?$)");
    for (char c : output)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F) {
            badline = "control character " + std::to_string(static_cast<unsigned char>(c));
            return false;
        }
    std::istringstream lines(output);
    std::string text;
    while (std::getline(lines, text))
        if (!std::regex_match(text, line)) {
            badline = text;
            return false;
        }
    return true;
}

std::vector<fs::path> regularfiles(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
    return files;
}

void writefile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class SystemProfilerDamagedTree : public ::testing::TestWithParam<std::string> {};

TEST_P(SystemProfilerDamagedTree, EveryFileEmptiedCutAndScrambled) {
    mdx::test::TempDir scratch;
    fs::path copy = fs::path(scratch.path()) / "tree";
    fs::copy(fixturepath(GetParam()), copy,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    std::ostringstream reference;
    std::ostringstream ignored;
    ASSERT_EQ(runprofiler({"--root", copy.string()}, "", reference, ignored), 0);
    std::mt19937 random(20240601);
    std::vector<fs::path> files = regularfiles(copy);
    ASSERT_GT(files.size(), 10u);
    for (const fs::path& file : files) {
        std::string original = mdx::sysprof::test::readfile(file.string());
        for (Damage damage : {Damage::Empty, Damage::Truncated, Damage::Random}) {
            writefile(file, damaged(original, damage, random));
            std::ostringstream out;
            std::ostringstream err;
            int status = runprofiler({"--root", copy.string()}, "", out, err);
            std::string badline;
            ASSERT_EQ(status, 0) << file;
            ASSERT_TRUE(wellformed(out.str(), badline)) << file << ": \"" << badline << "\"";
            ASSERT_NE(out.str().find("    Hardware Overview:\n"), std::string::npos) << file;
        }
        writefile(file, original);
    }
    std::ostringstream restored;
    runprofiler({"--root", copy.string()}, "", restored, ignored);
    EXPECT_EQ(restored.str(), reference.str());
}

TEST_P(SystemProfilerDamagedTree, BrokenLinksAreLeftOut) {
    mdx::test::TempDir scratch;
    fs::path copy = fs::path(scratch.path()) / "tree";
    fs::copy(fixturepath(GetParam()), copy,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    // Every device directory gone: the links of /sys/class and /sys/bus now lead nowhere.
    fs::remove_all(copy / "sys" / "devices");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runprofiler({"--root", copy.string()}, "", out, err), 0);
    std::string badline;
    EXPECT_TRUE(wellformed(out.str(), badline)) << badline;
}

INSTANTIATE_TEST_SUITE_P(Trees, SystemProfilerDamagedTree, ::testing::ValuesIn(fixturenames()),
                         treetestname);

} // namespace
} // namespace mdx::sysprof::test
