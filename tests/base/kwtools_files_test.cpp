#include "support/testing.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>

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
    EXPECT_EQ(std::tuple(filetype(""), filetype(dir.file("missing")), filetype(utf8),
                         filetype(dir.path())),
              std::tuple(FileKind::NoPath, FileKind::Nothing, FileKind::File, FileKind::Directory));
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
// write-protected file, and one of another user (where the test may give one away), are not
// replaced even where the folder would allow it; root is refused the same way.
TEST_F(FileTest, SavesRefuseWhatIsNoRegularFileOrNotTheUsersToWrite) {
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_TRUE(makesocket(dir.file("socket")));
    fs::create_directory(dir.file("folder"));
    fs::create_symlink(dir.file("pipe"), dir.file("pipe-link"));
    fs::create_symlink(dir.file("folder"), dir.file("folder-link"));
    // A device of the test's own (never one of the system's, which a faulty save would destroy).
    const bool root = mknod(dir.file("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    fs::create_symlink(dir.file("device"), dir.file("device-link"));
    chmod(write("locked", totext("geschützt").Elements).c_str(), 0444);
    const bool given = geteuid() == 0 &&
                       chown(write("foreign", totext("fremd").Elements).c_str(), 65534, 65534) == 0;
    // clang-format off
    const std::pair<std::string, int> cases[] = {
        {"pipe", NotRegularFile},        {"socket", NotRegularFile}, {"pipe-link", NotRegularFile},
        {"device-link", NotRegularFile}, {"folder-link", EISDIR},    {"device", NotRegularFile},
        {"locked", EACCES},              {"foreign", EACCES}};
    // clang-format on
    const std::size_t before = entries();
    for (const auto& [name, refusal] : cases) {
        if (name.starts_with("device") && !root) continue; // mknod needs root
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

// Every row of the error table, typed out here: an error given another's words fails. Numbers
// without a row get words too, never a bare number.
TEST(FileErrorText, EveryErrorHasItsOwnGermanWords) {
    const std::map<int, std::string> words = {
        {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei."},
        {EDQUOT, "Das Speicherkontingent auf dem Datenträger ist erschöpft."},
        {EROFS, "Das Dateisystem ist schreibgeschützt."},
        {EACCES, "Keine Berechtigung für diese Datei oder ihren Ordner."},
        {EPERM, "Der Vorgang ist für diese Datei oder ihren Ordner nicht erlaubt."},
        {ENOENT, "Die Datei oder ihr Ordner wurde nicht gefunden."},
        {ENOTDIR, "Ein Teil des Pfades ist kein Ordner."},
        {EISDIR, "Das ist ein Ordner, keine Datei."},
        {EFBIG, "Die Datei ist zu groß."},
        {ENAMETOOLONG, "Der Name ist zu lang."},
        {ELOOP, "Der Pfad enthält zu viele symbolische Links."},
        {EIO, "Beim Lesen oder Schreiben trat ein Ein-/Ausgabefehler auf."},
        {ENXIO, "Das Gerät ist nicht vorhanden oder nicht erreichbar."},
        {ENODEV, "Das Gerät unterstützt diesen Zugriff nicht."},
        {EAGAIN, "Die Datei hat sich währenddessen geändert oder ist gerade nicht bereit; bitte "
                 "noch einmal versuchen."},
        {EXDEV, "Die Datei liegt auf einem anderen Dateisystem als ihr Ordner."},
        {EBUSY, "Die Datei oder ihr Ordner wird gerade vom System benutzt."},
        {ETXTBSY, "Die Datei wird gerade als Programm ausgeführt."},
        {EEXIST, "Unter diesem Namen ist währenddessen eine andere Datei entstanden."},
        {EMFILE, "Das Programm hat zu viele Dateien geöffnet."},
        {ENFILE, "Im System sind zu viele Dateien geöffnet."},
        {ENOMEM, "Es ist nicht genug Arbeitsspeicher frei."},
        {EINTR, "Der Vorgang wurde unterbrochen."},
        {EINVAL, "Das Dateisystem lässt diesen Vorgang nicht zu."},
        {EOPNOTSUPP, "Das Dateisystem unterstützt diesen Vorgang nicht."},
        {EOVERFLOW, "Die Datei ist für diesen Zugriff zu groß."},
        {EMLINK, "Der Ordner oder die Datei hat zu viele Verweise."},
        {ENOTEMPTY, "Dort steht ein Ordner, der nicht leer ist."},
        {ESTALE, "Die Datei auf dem Netzlaufwerk ist nicht mehr gültig."},
        {ENOTCONN, "Die Verbindung zum Dateisystem ist getrennt."},
        {ETIMEDOUT, "Das Dateisystem antwortet nicht."},
        {EPIPE, "Die Gegenstelle liest nicht mehr mit."},
        {NotRegularFile, "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät)."},
        {ProtectedLink, "Der Pfad führt über einen symbolischen Link eines anderen Benutzers in "
                        "einem gemeinsamen Ordner; ihm wird nicht gefolgt."},
        {EmptyFile, "Die Datei ist leer."}};
    for (int error = ProtectedLink; error < 134; ++error) {
        const auto row = words.find(error);
        const std::string expected =
            error == 0           ? ""
            : row != words.end() ? row->second
                                 : "Unerwarteter Systemfehler Nr. " + std::to_string(error) + ".";
        EXPECT_EQ(fileerrortext(error), expected) << error;
    }
}

} // namespace
} // namespace mdx
