// The command line, the batch run's text and the hand-over between two starts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/qt/batch_run.h"
#include "platform/qt/command_line.h"
#include "platform/qt/instance_link.h"
#include "platform/qt/startup.h"
#include "platform/qt/temporary_folder.h"
#include "support/scoped_env.h"

namespace mdx::test {
namespace {

// What the command line asks for, in one line: action, new report, batch, save and picture
// paths, the files; or the error.
std::string summary(const qt::CommandLine& line) {
    using Action = qt::CommandLine::Action;
    if (line.What == Action::Error) return "error " + line.Error;
    if (line.What != Action::Run) return line.What == Action::Help ? "help" : "version";
    std::string text = std::string("run") + (line.NewReport ? " new" : "") +
                       (line.Batch ? " batch" : "") + " save=" + line.SavePath +
                       " png=" + line.PngPath;
    for (const std::string& file : line.Files)
        text += " [" + file + "]";
    return text;
}

TEST(CommandLineTest, ArgumentsBecomeTheRunsSettings) {
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--new", "a.mirdx", "b c"}, "run new save= png= [a.mirdx] [b c]"}, {{"x", "--help", "--bogus"}, "error Unbekannte Option „--bogus“."},
        {{"--version", "--help", "--png", "a.png"}, "version"}, {{"-h", "--version"}, "help"},
        {{"--batch", "--save", "r.mirdx", "--png=s.png", "f"}, "run batch save=r.mirdx png=s.png [f]"},
        {{"--", "--new", "-"}, "run save= png= [--new] [-]"}, {{"--batch", "--save"}, "error Option „--save“ braucht"},
        {{"--batch", "--png="}, "error Option „--png“ braucht"},
        {{"--png", "a.png"}, "error „--save“ und „--png“ gelten nur zusammen mit"}};
    // clang-format on
    for (const auto& [arguments, expected] : cases) {
        const std::string got = summary(qt::parsecommandline(arguments));
        EXPECT_EQ(got.substr(0, expected.size()), expected) << ::testing::PrintToString(arguments);
    }
    // Documents named go on with absolute paths, empty names dropped (that they open in order is
    // ProgramTest's, the new report before them the end-to-end runs').
    EXPECT_EQ(
        qt::absolutepaths({"b.mirdx", "", "/tmp/a.txt"}),
        (std::vector<std::string>{std::filesystem::current_path() / "b.mirdx", "/tmp/a.txt"}));
    // The batch run's text: lines end at CR, CR LF or LF; the last line without an end gets one,
    // blank lines are kept.
    EXPECT_EQ(qt::batchtext(""), "");
    EXPECT_EQ(qt::batchtext("A  \rB\r\nC\n\r  D  \r   "), "A\nB\nC\n\n  D\n\n");
}

// An unknown option ends the program with status 2 and nothing on standard output, also where
// --version or --help would have answered; alone, they answer on standard output (--version:
// the install check's).
TEST(CommandLineTest, TheProgramRefusesUnknownOptionsNextToHelpAndVersion) {
    const std::tuple<QStringList, int, QByteArray, QByteArray> cases[] = {
        {{"--version", "--bogus"}, 2, "", "Unbekannte Option „--bogus“"},
        {{"-x", "-h"}, 2, "", "Unbekannte Option"},
        {{"--help"}, 0, "--batch", ""}};
    for (const auto& [arguments, status, output, errors] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess program;
        program.start(MIRADEX_PROGRAM, arguments);
        ASSERT_TRUE(program.waitForFinished(30000)) << program.errorString().toStdString();
        const QByteArray out = program.readAllStandardOutput();
        EXPECT_EQ(std::tuple(program.exitCode(), out.isEmpty(), out.contains(output),
                             program.readAllStandardError().contains(errors)),
                  std::tuple(status, output.isEmpty(), true, true));
    }
}

// Any path survives the wire; of whatever arrives, only whole records count (the hand-over
// between two programs, of a file name that is no UTF-8 too, is xvfb_desktop_test.sh's).
TEST(InstanceLinkTest, HandOverKeepsEveryPathAndOnlyWholeRecords) {
    const qt::HandOver sent{true, {"/tmp/a b.mirdx", "/tmp/zeile\numbruch", ""}};
    const qt::HandOver received = qt::decodehandover(qt::encodehandover(sent));
    EXPECT_EQ(std::tie(received.NewReport, received.Files),
              std::tuple(true, std::vector<std::string>{"/tmp/a b.mirdx", "/tmp/zeile\numbruch"}));
    const qt::HandOver garbage = qt::decodehandover(QByteArray("Fx\0Q\0\0F\0N", 10));
    EXPECT_EQ(std::tie(garbage.NewReport, garbage.Files),
              std::tuple(true, std::vector<std::string>{"x"}));
    EXPECT_FALSE(qt::decodehandover(QByteArray()).NewReport);
}

// A runtime folder holds the socket only when nobody but the user may enter it; without one, or
// with one that the user's group or anyone else may enter or list, the socket lives in a folder
// of the user's own in the temporary folder that nobody else may enter.
TEST(InstanceLinkTest, OnlyAFolderOfTheUsersAloneIsPrivate) {
    const QString fallback = QDir::tempPath() + "/miradex-" + QString::number(getuid());
    const std::pair<mode_t, bool> modes[] = {{0, false},    {0700, true},  {0750, false},
                                             {0705, false}, {0770, false}, {0701, false}};
    for (const auto& [mode, isprivate] : modes) {
        QTemporaryDir runtime;
        chmod(QFile::encodeName(runtime.path()).constData(), mode);
        const ScopedEnv variable(
            "XDG_RUNTIME_DIR",
            mode == 0 ? std::nullopt
                      : std::optional(QFile::encodeName(runtime.path()).toStdString()));
        EXPECT_EQ(QFileInfo(qt::instancesocketname()).absolutePath().toStdString(),
                  (isprivate ? runtime.path() : fallback).toStdString())
            << "mode " << QString::number(mode, 8).toStdString();
    }
    struct stat info {};
    ASSERT_EQ(lstat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(std::tuple(S_ISDIR(info.st_mode), info.st_mode & 0777, info.st_uid),
              std::tuple(true, 0700u, getuid()));
}

// An unusable TMPDIR gives way to /tmp, and with that unusable too to a place where nothing can
// be made; the root of the file system is never a temporary folder.
TEST(TemporaryFolderTest, AnUnusableFolderGivesWayToTheNextChoice) {
    QTemporaryDir usable;
    const std::string folder = QFile::encodeName(usable.path()).toStdString();
    const std::string file = folder + "/datei";
    std::ofstream(file) << "x";
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {folder.c_str(), "/tmp", folder},
        {"/gibt/es/nicht", "/tmp", "/tmp"},
        {file.c_str(), "/tmp", "/tmp"},
        {"tmp", "/tmp", "/tmp"},
        {"", "/tmp", "/tmp"},
        {nullptr, "/tmp", "/tmp"},
        {"/", "/tmp", "/tmp"},
        {"/tmp/..", "/tmp", "/tmp"},
        {nullptr, "/gibt/es/nicht", "/dev/null"},
        {"/", "/", "/dev/null"}};
    for (const auto& [tmpdir, fallback, chosen] : cases)
        EXPECT_EQ(qt::choosetemporaryfolder(tmpdir, fallback), chosen)
            << (tmpdir ? tmpdir : "(unset)") << " " << fallback;
}

std::set<std::string> rootentries() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/"))
        names.insert(entry.path().filename().string());
    return names;
}

// Without a runtime folder and with a TMPDIR that names nothing (settled at start), or with the
// place where nothing can be made that the start settles on when /tmp is unusable too, neither
// the hand-over nor Qt's own runtime folder makes anything at the root.
TEST(TemporaryFolderTest, NothingIsMadeAtTheRoot) {
    const ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    for (const auto& [tmpdir, settle] :
         {std::pair("/gibt/es/nicht", true), std::pair(qt::NoTemporaryFolder, false)}) {
        const ScopedEnv temporary("TMPDIR", tmpdir);
        const std::set<std::string> before = rootentries();
        if (settle) qt::settletemporaryfolder();
        qt::InstanceLock lock;
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        const std::set<std::string> after = rootentries();
        EXPECT_EQ(after, before) << tmpdir;
        for (const std::string& name : after)
            if (!before.count(name) &&
                (name.starts_with("miradex-") || name.starts_with("runtime-")))
                std::filesystem::remove_all("/" + name);
    }
}

// A listener of another user where the running program's socket would be receives nothing, and
// the start goes on as the first program. Listening as another user needs root.
TEST(InstanceLinkTest, AListenerOfAnotherUserReceivesNothing) {
    if (geteuid() != 0) GTEST_SKIP() << "listening as another user needs root";
    QTemporaryDir runtime;
    const ScopedEnv variable("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).toStdString());
    const QByteArray name = QFile::encodeName(qt::instancesocketname());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) { // only async-signal-safe calls from here on; the status tells what came
        alarm(10);
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            chmod(name.constData(), 0777) != 0 || setgid(65534) != 0 || setuid(65534) != 0 ||
            listen(listener, 1) != 0)
            _exit(2);
        char byte = 1;
        if (write(ready[1], &byte, 1) != 1) _exit(3);
        const int connection = accept(listener, nullptr, nullptr);
        char received[256];
        _exit(connection >= 0 && read(connection, received, sizeof received) > 0 ? 1 : 0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_FALSE(qt::handtorunninginstance({true, {"/geheim/bericht.mirdx"}}));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(std::pair(WIFEXITED(status), WEXITSTATUS(status)), std::pair(true, 0));
    close(ready[0]), close(ready[1]);
}

} // namespace
} // namespace mdx::test
