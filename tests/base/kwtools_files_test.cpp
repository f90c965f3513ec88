#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "base/kwtools.h"
#include "support/log_capture.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

namespace fs = std::filesystem;

void writebytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readback(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(fs::file_size(path)), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

std::vector<std::string> folderlisting(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One byte converted by the system's converter, or nullopt when it has none.
std::optional<std::string> iconvbyte(iconv_t converter, UInt8 byte) {
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* inptr = in;
    char* outptr = out;
    std::size_t inleft = 1;
    std::size_t outleft = sizeof out;
    if (iconv(converter, &inptr, &inleft, &outptr, &outleft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    return std::string(out, outptr);
}

class FileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::LogCapture log;
};

TEST_F(FileTest, FileType) {
    writebytes(dir.file("f"), {1});
    EXPECT_EQ(filetype(""), -1);
    EXPECT_EQ(filetype(dir.file("missing")), 0);
    EXPECT_EQ(filetype(dir.file("f")), 1);
    EXPECT_EQ(filetype(dir.path()), 2);
}

TEST_F(FileTest, ReadsUtf8AsItIs) {
    writebytes(dir.file("u.txt"), totext("Größe: 3 €\r").Elements);
    EXPECT_EQ(getstringfromfile(dir.file("u.txt")), "Größe: 3 €\r");
    EXPECT_EQ(lastfileencoding(), "NSUTF8StringEncoding");
    writebytes(dir.file("empty"), {});
    EXPECT_EQ(getstringfromfile(dir.file("empty")), "");
    EXPECT_EQ(lastfileencoding(), "NSUTF8StringEncoding");
    EXPECT_TRUE(log.lines().empty());
}

// Every byte decodes as the system's converter does, except two where that converter departs
// from the platform's own table: 0xC6 (increment sign, not Greek Delta) and 0xF0 (the
// private-use logo character).
TEST_F(FileTest, FallsBackToMacRomanForAll256Bytes) {
    iconv_t converter = iconv_open("UTF-8", "MACINTOSH");
    if (converter == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no MACINTOSH converter";
    Bytes all;
    std::string expected;
    for (int code = 0; code < 256; ++code) {
        auto byte = static_cast<UInt8>(code);
        all.push_back(byte);
        if (byte == 0xC6)
            expected += "\u2206";
        else if (byte == 0xF0)
            expected += "\uF8FF";
        else
            expected += iconvbyte(converter, byte).value_or("?");
    }
    iconv_close(converter);
    writebytes(dir.file("roman.txt"), all);
    EXPECT_EQ(getstringfromfile(dir.file("roman.txt")), expected);
    EXPECT_EQ(lastfileencoding(), "NSMacOSRomanStringEncoding");
}

TEST_F(FileTest, OneBadSequenceSendsTheWholeFileToMacRoman) {
    // "ä" in UTF-8 followed by a lone 0x8A (Mac Roman "ä").
    writebytes(dir.file("mixed.txt"), {0xC3, 0xA4, ' ', 0x8A});
    EXPECT_EQ(getstringfromfile(dir.file("mixed.txt")), "\u221A\u00A7 \u00E4");
    EXPECT_EQ(lastfileencoding(), "NSMacOSRomanStringEncoding");
}

TEST_F(FileTest, UnreadableFilesGiveNothingAndTheErrorNumber) {
    EXPECT_EQ(getstringfromfile(dir.file("missing")), "");
    EXPECT_EQ(lastfileencoding(), "Error: Unknown Encoding");
    EXPECT_EQ(getstringfromfile(dir.path()), "");
    EXPECT_TRUE(getbinaryfromfile(dir.file("missing")).empty());
    EXPECT_TRUE(getbinaryfromfile(dir.path()).empty());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "getstringfromfile: Error #" + std::to_string(ENOENT),
                               "getstringfromfile: Error #" + std::to_string(EISDIR),
                               "getbinaryfromfile: Error #" + std::to_string(ENOENT),
                               "getbinaryfromfile: Error #" + std::to_string(EISDIR),
                           }));
}

TEST_F(FileTest, BinaryReadGivesEveryByte) {
    Bytes all;
    for (int i = 0; i < 200000; ++i)
        all.push_back(static_cast<UInt8>(i * 7));
    writebytes(dir.file("b.bin"), all);
    EXPECT_EQ(getbinaryfromfile(dir.file("b.bin")), all);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(FileTest, ReadsStopAtTheirLimitWhateverTheSizeClaims) {
    writebytes(dir.file("100.bin"), Bytes(100, 7));
    const std::tuple<std::string, std::size_t, std::size_t> cases[] = {
        {dir.file("100.bin"), 100, 100},
        {dir.file("100.bin"), 99, 0},
        {"/proc/self/status", 10, 0}, // the system says 0 bytes; there are more than 10
    };
    for (const auto& [path, limit, size] : cases) {
        EXPECT_EQ(getbinaryfromfile(path, limit).size(), size) << path << " " << limit;
        EXPECT_EQ(getstringfromfile(path, limit).size(), size) << path << " " << limit;
    }
    EXPECT_TRUE(log.contains("getbinaryfromfile: Error #" + std::to_string(EFBIG)));
}

TEST_F(FileTest, SaveUnderTheLongestNameThereIs) {
    const std::string path = dir.file(std::string(255, 'n'));
    ASSERT_TRUE(setstringtofile(path, "lang"));
    ASSERT_TRUE(setstringtofile(path, "länger"));
    EXPECT_EQ(readback(path), "länger");
    EXPECT_EQ(folderlisting(dir.path()).size(), 1u);
}

TEST_F(FileTest, SaveCreatesAndReplaces) {
    std::string path = dir.file("report.txt");
    ASSERT_TRUE(setstringtofile(path, "erste Fassung"));
    EXPECT_EQ(readback(path), "erste Fassung");
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0666 & ~mask));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(setstringtofile(path, "zweite Fassung: Größe"));
    EXPECT_EQ(readback(path), "zweite Fassung: Größe");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(folderlisting(dir.path()), std::vector<std::string>{"report.txt"});
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(FileTest, SaveThroughALinkReplacesTheLinkedFile) {
    writebytes(dir.file("real.txt"), totext("alt").Elements);
    fs::create_symlink(dir.file("real.txt"), dir.file("link.txt"));
    ASSERT_TRUE(setstringtofile(dir.file("link.txt"), "neu"));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(readback(dir.file("real.txt")), "neu");
}

TEST_F(FileTest, FailedSaveLeavesNoTraceAndKeepsTheOldFile) {
    std::string path = dir.file("report.txt");
    writebytes(path, totext("alt").Elements);
    // A missing folder, and a directory in the way of the rename.
    EXPECT_FALSE(setstringtofile(dir.file("missing/report.txt"), "neu"));
    fs::create_directory(dir.file("folder"));
    EXPECT_FALSE(setstringtofile(dir.file("folder"), "neu"));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "setstringtofile: Error #" + std::to_string(ENOENT),
                               "setstringtofile: Error #" + std::to_string(EISDIR),
                           }));
    EXPECT_EQ(readback(path), "alt");
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_EQ(folderlisting(dir.path()), (std::vector<std::string>{"folder", "report.txt"}));
}

TEST_F(FileTest, SaveInterruptedWhileWritingKeepsTheOldFile) {
    // A file size limit makes the write fail halfway, as a full disk would.
    std::string path = dir.file("report.txt");
    writebytes(path, totext("alt").Elements);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved_ok = setstringtofile(path, std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"setstringtofile: Error #" + std::to_string(EFBIG)});
    EXPECT_EQ(readback(path), "alt");
    EXPECT_EQ(folderlisting(dir.path()), std::vector<std::string>{"report.txt"});
}

TEST_F(FileTest, SaveIntoAReadOnlyFolderFails) {
    if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
    std::string path = dir.file("report.txt");
    writebytes(path, totext("alt").Elements);
    chmod(dir.path().c_str(), 0555);
    bool saved_ok = setstringtofile(path, "neu");
    chmod(dir.path().c_str(), 0755);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"setstringtofile: Error #" + std::to_string(EACCES)});
    EXPECT_EQ(readback(path), "alt");
    EXPECT_EQ(folderlisting(dir.path()), std::vector<std::string>{"report.txt"});
}

} // namespace
} // namespace mdx
