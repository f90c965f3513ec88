#include "support/testing.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "base/kwtools.h"
#include "support/log_capture.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        std::ofstream(dir.file(name), std::ios::binary) << std::string(bytes.begin(), bytes.end());
        return dir.file(name);
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
    }
    static std::string error(const char* routine, int number) {
        return std::string(routine) + ": Error #" + std::to_string(number);
    }
    test::TempDir dir;
    test::LogCapture log;
};

TEST_F(FileTest, Utf8IsReadAsItIsAndAnythingElseAsMacRoman) {
    const std::string utf8 = write("u.txt", totext("Größe: 3 €\r").Elements);
    EXPECT_EQ(std::tuple(filetype(""), filetype(dir.file("missing")), filetype(utf8),
                         filetype(dir.path())),
              std::tuple(-1, 0, 1, 2));
    EXPECT_EQ(getstringfromfile(utf8), "Größe: 3 €\r");
    EXPECT_EQ(lastfileencoding(), "NSUTF8StringEncoding");
    // One bad sequence sends the whole file to Mac Roman: "ä" in UTF-8, then a lone 0x8A.
    EXPECT_EQ(getstringfromfile(write("mixed.txt", {0xC3, 0xA4, ' ', 0x8A})),
              "\u221A\u00A7 \u00E4");
    EXPECT_EQ(lastfileencoding(), "NSMacOSRomanStringEncoding");

    // Every byte decodes as the system's converter does, except 0xC6 (increment sign, not Greek
    // Delta) and 0xF0 (the private-use logo character), where that converter departs.
    iconv_t converter = iconv_open("UTF-8", "MACINTOSH");
    if (converter == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no MACINTOSH converter";
    Bytes all;
    std::string expected;
    for (int code = 0; code < 256; ++code) {
        all.push_back(static_cast<UInt8>(code));
        char in = static_cast<char>(code), out[8], *inptr = &in, *outptr = out;
        std::size_t inleft = 1, outleft = sizeof out;
        iconv(converter, &inptr, &inleft, &outptr, &outleft);
        expected += code == 0xC6 ? "\u2206" : code == 0xF0 ? "\uF8FF" : std::string(out, outptr);
    }
    iconv_close(converter);
    EXPECT_EQ(getstringfromfile(write("roman.txt", all)), expected);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(FileTest, ReadsGiveEveryByteUpToTheirLimitOrNothingAndTheErrorNumber) {
    Bytes all;
    for (int i = 0; i < 200000; ++i)
        all.push_back(static_cast<UInt8>(i * 7));
    EXPECT_EQ(getbinaryfromfile(write("b.bin", all)), all);
    // /proc/self/status: the system says 0 bytes; there are more than 10.
    const std::tuple<std::string, std::size_t, std::size_t> cases[] = {
        {write("100.bin", Bytes(100, 7)), 100, 100},
        {dir.file("100.bin"), 99, 0},
        {"/proc/self/status", 10, 0}};
    for (const auto& [path, limit, size] : cases) {
        EXPECT_EQ(getbinaryfromfile(path, limit).size(), size) << path << " " << limit;
        EXPECT_EQ(getstringfromfile(path, limit).size(), size) << path << " " << limit;
    }
    EXPECT_TRUE(log.contains(error("getbinaryfromfile", EFBIG)));
    log.clear();
    EXPECT_EQ(getstringfromfile(dir.file("missing")), "");
    EXPECT_EQ(lastfileencoding(), "Error: Unknown Encoding");
    EXPECT_TRUE(getbinaryfromfile(dir.path()).empty());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{error("getstringfromfile", ENOENT),
                                                     error("getbinaryfromfile", EISDIR)}));
}

TEST_F(FileTest, SaveCreatesAndReplacesKeepingPermissionsAndLinks) {
    const std::string path = dir.file(std::string(255, 'n')); // the longest name there is
    ASSERT_TRUE(setstringtofile(path, "erste Fassung"));
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0666 & ~mask));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(setstringtofile(path, "zweite Fassung: Größe"));
    EXPECT_EQ(std::pair(getstringfromfile(path), fs::status(path).permissions()),
              std::pair(std::string("zweite Fassung: Größe"), fs::perms(0640)));
    fs::create_symlink(path, dir.file("link"));
    ASSERT_TRUE(setstringtofile(dir.file("link"), "neu"));
    EXPECT_EQ(std::tuple(fs::is_symlink(dir.file("link")), getstringfromfile(path), entries()),
              std::tuple(true, "neu", 2u));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(FileTest, FailedSavesLeaveNoTraceAndKeepTheOldFile) {
    const std::string path = write("report.txt", totext("alt").Elements);
    EXPECT_FALSE(setstringtofile(dir.file("missing/report.txt"), "neu"));
    fs::create_directory(dir.file("folder")); // a directory in the way of the rename
    EXPECT_FALSE(setstringtofile(dir.file("folder"), "neu"));
    // A file size limit makes the write fail halfway, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN); // the failed write, not a signal, tells the writer
    const rlimit small{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool savedOk = setstringtofile(path, std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(savedOk);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{error("setstringtofile", ENOENT),
                                                     error("setstringtofile", EISDIR),
                                                     error("setstringtofile", EFBIG)}));
    EXPECT_EQ(std::tuple(getstringfromfile(path), fs::is_directory(dir.file("folder")), entries()),
              std::tuple("alt", true, 2u));
}

// A write-protected file, and one of another user (where the test may give one away), are not
// replaced even where the folder would allow it; root is refused the same way.
TEST_F(FileTest, SavesRefuseFilesTheUserMayNotWrite) {
    const std::string locked = write("locked.mirdx", totext("geschützt").Elements);
    chmod(locked.c_str(), 0444);
    const std::string foreign = write("foreign.mirdx", totext("fremd").Elements);
    const bool given = geteuid() == 0 && chown(foreign.c_str(), 65534, 65534) == 0;
    for (const std::string& path : {locked, foreign}) {
        if (path == foreign && !given) continue;
        EXPECT_EQ(savestringtofile(path, "neu"), EACCES) << path;
        EXPECT_NE(getstringfromfile(path), "neu") << path;
    }
    EXPECT_EQ(std::pair(fs::status(locked).permissions(), entries()),
              std::pair(fs::perms(0444), std::size_t{2}));
}

// Pipes and devices are refused as soon as they are opened, whatever a look before had found:
// nothing waits for a writer that never comes.
TEST_F(FileTest, ReadsRefusePipesAndDevicesAtOnce) {
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] {
        Bytes bytes;
        int error = 0;
        getstringfromfile(pipe, 100, error);
        return std::pair(error, readfilefromoutside("/dev/zero", 100, bytes));
    });
    // A slow start of the reader (under an emulator, on a busy machine) is no failure; a writer
    // that does not wait lets a reader stuck in open end, and without a reader it fails at once.
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        FAIL() << "reading a pipe waited for a writer";
    }
    EXPECT_EQ(reading.get(), std::pair(NotRegularFile, NotRegularFile));
}

} // namespace
} // namespace mdx
