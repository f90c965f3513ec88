#include "support/testing.h"

#include <cerrno>
#include <csignal>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/kwtools.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

namespace fs = std::filesystem;
using test::whatstands;

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

// (A missing folder: tests/report/documents_test.cpp.)
TEST_F(FileTest, FailedSavesLeaveNoTraceAndKeepTheOldFile) {
    const std::string path = write("report.txt", totext("alt").Elements);
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
    EXPECT_EQ(log.lines(), (std::vector<std::string>{error("setstringtofile", EISDIR),
                                                     error("setstringtofile", EFBIG)}));
    EXPECT_EQ(std::tuple(getstringfromfile(path), fs::is_directory(dir.file("folder")), entries()),
              std::tuple("alt", true, 2u));
}

bool makesocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool made = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return made;
}

// A save writes a regular file or a new name and nothing else: whatever else stands there, or
// is reached through a link, is refused and stays what it was, and no temporary file is left. A
// file of another user (where the test may give one away) is not replaced even where the folder
// would allow it. (Devices and links to them: tests/e2e/e2e_saves_test.cpp; a write-protected
// file: tests/report/documents_test.cpp.)
TEST_F(FileTest, SavesRefuseWhatIsNoRegularFileOrNotTheUsersToWrite) {
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_TRUE(makesocket(dir.file("socket")));
    fs::create_directory(dir.file("folder"));
    fs::create_symlink(dir.file("pipe"), dir.file("pipe-link"));
    fs::create_symlink(dir.file("folder"), dir.file("folder-link"));
    const bool given = geteuid() == 0 &&
                       chown(write("foreign", totext("fremd").Elements).c_str(), 65534, 65534) == 0;
    const std::pair<std::string, int> cases[] = {{"pipe", NotRegularFile},
                                                 {"socket", NotRegularFile},
                                                 {"pipe-link", NotRegularFile},
                                                 {"folder-link", EISDIR},
                                                 {"foreign", EACCES}};
    const std::size_t before = entries();
    for (const auto& [name, refusal] : cases) {
        if (name == "foreign" && !given) continue;
        const auto was = whatstands(dir.file(name));
        EXPECT_EQ(savestringtofile(dir.file(name), "neu"), refusal) << name;
        EXPECT_EQ(whatstands(dir.file(name)), was) << name;
        EXPECT_TRUE(refusal != EACCES || getstringfromfile(dir.file(name)) != "neu") << name;
    }
    EXPECT_EQ(entries(), before);
}

// In a sticky, world-writable folder a link is followed only when it is the user's own or the
// folder owner's, whether it is the last part of the path or a folder on the way; elsewhere any
// link is followed. Needs root to give links and folders away.
TEST_F(FileTest, SavesFollowOnlyTrustedLinksInSharedFolders) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    constexpr uid_t Nobody = 65534;
    struct Case {
        mode_t FolderMode;
        uid_t FolderOwner, LinkOwner;
        bool ThroughFolder; // the link names the folder of the saved file
        bool Followed;
    };
    const Case cases[] = {{01777, 0, Nobody, false, false}, {01777, 0, Nobody, true, false},
                          {01777, 0, 0, false, true},       {01777, Nobody, Nobody, false, true},
                          {0777, 0, Nobody, false, true},   {01775, 0, Nobody, false, true}};
    int row = 0;
    for (const Case& c : cases) {
        const std::string shared = dir.file("shared" + std::to_string(++row));
        const std::string target = write("target" + std::to_string(row), totext("alt").Elements);
        fs::create_directory(shared);
        const std::string link = shared + "/link";
        fs::create_symlink(c.ThroughFolder ? dir.path() : target, link);
        ASSERT_EQ(lchown(link.c_str(), c.LinkOwner, c.LinkOwner), 0);
        ASSERT_EQ(chown(shared.c_str(), c.FolderOwner, 0), 0);
        ASSERT_EQ(chmod(shared.c_str(), c.FolderMode), 0);
        const std::string saved = c.ThroughFolder ? link + "/target" + std::to_string(row) : link;
        EXPECT_EQ(savestringtofile(saved, "neu"), c.Followed ? 0 : ProtectedLink) << row;
        EXPECT_EQ(getstringfromfile(target), c.Followed ? "neu" : "alt") << row;
        EXPECT_TRUE(fs::is_symlink(link)) << row;
    }
}

// A save killed before its rename leaves its temporary file; the next save into that folder
// removes it once its process is gone, but never a live process's file, another user's, or
// a name of another form.
TEST_F(FileTest, TheNextSaveRemovesTemporaryFilesOfProcessesThatAreGone) {
    const pid_t killed = fork();
    if (killed == 0) { // a save that dies halfway, as at a full disk with the signal's default
        const rlimit small{4096, RLIM_INFINITY}, nocore{0, 0};
        setrlimit(RLIMIT_FSIZE, &small);
        setrlimit(RLIMIT_CORE, &nocore);
        std::signal(SIGXFSZ, SIG_DFL);
        savestringtofile(dir.file("report.mirdx"), std::string(100000, 'x'));
        _exit(0);
    }
    int status = 0;
    waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not interrupted";
    ASSERT_EQ(entries(), 1u) << "no temporary file was left";
    const std::string dead = std::to_string(killed);
    const bool root = geteuid() == 0;
    const std::pair<std::string, bool> cases[] = {
        {".miradex-" + dead + "-Ab12Cd", false},
        {".miradex-" + std::to_string(getppid()) + "-Ab12Cd", true},
        {".miradex-" + std::to_string(getpid()) + "-Ab12Cd", true},
        {".miradex-" + dead + "-fremd1", true}, // given to another user below
        {".miradex-Ab12Cd", true},
        {".miradex-" + dead + "x-Ab12Cd", true}};
    for (const auto& [name, kept] : cases)
        write(name, totext("halb").Elements);
    if (root)
        ASSERT_EQ(chown(dir.file(".miradex-" + dead + "-fremd1").c_str(), 65534, 0), 0);
    else
        fs::remove(dir.file(".miradex-" + dead + "-fremd1"));
    ASSERT_TRUE(setstringtofile(dir.file("report.mirdx"), "neu"));
    for (const auto& [name, kept] : cases) {
        if (name.ends_with("fremd1") && !root) continue;
        EXPECT_EQ(fs::exists(dir.file(name)), kept) << name;
    }
    EXPECT_EQ(entries(), root ? 6u : 5u); // the report and the files kept
}

// Every error a file operation can meet, and the program's own refusals, get German words of
// their own: an error given another's words, or left without, fails. Any other number is named
// as unexpected, never shown bare.
TEST(FileErrorText, EveryErrorHasItsOwnGermanWords) {
    std::map<std::string, int> seen;
    for (int error = ProtectedLink; error <= 133; ++error) {
        const std::string words = fileerrortext(error);
        if (error == 0 || words == "Unerwarteter Systemfehler Nr. " + std::to_string(error) + ".")
            continue;
        EXPECT_TRUE(words.ends_with(".")) << error << ": " << words;
        const auto [other, fresh] = seen.emplace(words, error);
        EXPECT_TRUE(fresh) << error << " and " << other->second << ": " << words;
    }
    EXPECT_EQ(seen.size(), 35u); // 32 system errors and the program's own 3
    const std::pair<int, std::string> shown[] = {
        {0, ""},
        {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei."},
        {EACCES, "Keine Berechtigung für diese Datei oder ihren Ordner."},
        {NotRegularFile, "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät)."},
        {ProtectedLink, "Der Pfad führt über einen symbolischen Link eines anderen Benutzers in "
                        "einem gemeinsamen Ordner; ihm wird nicht gefolgt."},
        {EmptyFile, "Die Datei ist leer."},
        {-4, "Unerwarteter Systemfehler Nr. -4."},
        {134, "Unerwarteter Systemfehler Nr. 134."}};
    for (const auto& [error, words] : shown)
        EXPECT_EQ(fileerrortext(error), words) << error;
}

} // namespace
} // namespace mdx
