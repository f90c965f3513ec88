// The machine facts read from the operating system: installed memory from copied /sys and
// /proc files, and the system version from os-release texts.
#include <gtest/gtest.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>

#include "report/machine.h"
#include "report_fakes.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

constexpr std::uint64_t GiB = 1073741824;

// A memory directory with `online` blocks online and `offline` ones offline.
void memorytree(const TempDir& dir, const std::string& blockSize, int online, int offline) {
    writefile(dir.file("block_size_bytes"), blockSize);
    for (int i = 0; i < online + offline; ++i) {
        const std::string block = dir.file("memory" + std::to_string(i));
        std::filesystem::create_directory(block);
        writefile(block + "/online", i < online ? "1\n" : "0\n");
    }
}

TEST(Machine, InstalledMemoryCountsOnlineBlocksOrElseTheKernelTotal) {
    TempDir dir;
    memorytree(dir, "8000000\n", 128, 3); // 128 MiB blocks
    std::filesystem::create_directory(dir.file("memory_tiers"));
    std::filesystem::create_directory(dir.file("memoryx"));
    writefile(dir.file("memoryx/online"), "1\n");
    writefile(dir.file("meminfo"), "MemTotal:       16318408 kB\n");
    EXPECT_EQ(physicalmemory(dir.path(), dir.file("meminfo")), 16 * GiB);
    for (const std::string size : {"", "zz\n", "0\n"}) {
        TempDir other;
        memorytree(other, size, 4, 0);
        writefile(other.file("meminfo"), "MemFree: 1 kB\nMemTotal:       16318408 kB\n");
        EXPECT_EQ(physicalmemory(other.path(), other.file("meminfo")), 16318408ULL * 1024) << size;
    }
    EXPECT_EQ(physicalmemory(dir.file("fehlt"), dir.file("fehlt")), 0u);
}

TEST(Machine, NumberTextsWhateverTheLocaleAndTheSystemVersion) {
    std::setlocale(LC_ALL, ""); // the user's locale, as a Qt program has it
    const std::pair<std::string, std::uint64_t> sizes[] = {
        {"8000000\n", 134217728}, {"0x80000aF", 0x80000af}, {"", 0}, {"ffffffffffffffffff", 0}};
    for (const auto& [text, size] : sizes)
        EXPECT_EQ(memoryblocksize(text), size) << text;
    EXPECT_EQ(memtotal("MemTotal:\t 1.024 kB\n"), 1024u);
    EXPECT_EQ(memtotal("MemTotalx: 5 kB\n"), 0u);
    EXPECT_EQ(memtotal("MemTotal: 99999999999999999999 kB\n"), 0u);
    std::setlocale(LC_ALL, "C");
    // The system version: os-release's PRETTY_NAME, unquoted.
    const std::pair<std::string, std::string> cases[] = {
        {"NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Arch Linux'", "Arch Linux"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"", "Say \"hi\" \\ $HOME"},
        {"PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"", "second"},
        {"  PRETTY_NAME=\"indented\"\r\n", "indented"},
        {"XPRETTY_NAME=\"no\"\nNAME=Linux", ""},
        {"PRETTY_NAME=\"", "\""}};
    for (const auto& [text, name] : cases)
        EXPECT_EQ(prettyname(text), name) << text;
    EXPECT_EQ(versionstring("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64"),
              "Version Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0-18-amd64)");
}

// The facts of this machine, each against what the system says when asked directly.
TEST(Machine, LiveFactsAreTheSystemsOwn) {
    const auto uptime = [] { return std::stoll(readfile("/proc/uptime")); };
    const Int before = uptime();
    const MachineFacts facts = machinefacts();
    EXPECT_LE(before, facts.Uptime);
    EXPECT_LE(facts.Uptime, uptime());
    EXPECT_GE(facts.PhysicalMemory, memtotal(readfile("/proc/meminfo")));
    utsname names{};
    uname(&names);
    std::string text = readfile("/etc/os-release");
    if (text.empty()) text = readfile("/usr/lib/os-release");
    const std::string name = prettyname(text);
    EXPECT_EQ(facts.VersionString, versionstring(name.empty() ? "Linux" : name, names.release));
}

} // namespace
} // namespace mdx::test
