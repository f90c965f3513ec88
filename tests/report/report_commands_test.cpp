// Running outside commands: where they are found, the result codes, reading both outputs
// without blocking or losing their ends, and the time limit.
#include "support/testing.h"

#include <signal.h>

#include "base/kwtools.h"
#include "report/commands.h"
#include "support/eventually.h"
#include "support/files.h"
#include "support/runtime_fixture.h"
#include "support/scoped_env.h"

namespace mdx::test {
namespace {

CommandResult shell(const std::string& script, double timeLimit = 0,
                    std::size_t bound = CommandOutputLimit) {
    return runcommand("/bin/sh", "", {"-c", script}, timeLimit, bound);
}

// Output up to its bound is read; beyond it the command is ended and gives nothing of it. The
// codes tell which outputs were written; the exit status is kept beside them.
TEST(Commands, ResultCodesTellWhichOutputsWereWritten) {
    const std::tuple<std::string, std::size_t, Int, std::string, Int> cases[] = {
        {"printf 'a\\nb'", 3, CommandOk, "a\nb", 0}, // exactly at the bound
        {"exit 3", 1, CommandOk, "", 3},
        {"printf oops >&2", 1, CommandErrorOnly, "Error while executing:\r\roops", 0},
        {"printf out; printf err >&2; exit 1", 3, CommandBothOutputs,
         "out\r\rError while executing:\r\rerr", 1},
        {"kill -9 $$", 1, CommandOk, "", -1},
        {"yes 0123456789", 1024, CommandOutputTooLong, "", -1},
        {"printf 12345", 4, CommandOutputTooLong, "", -1}};
    for (const auto& [script, bound, code, output, status] : cases) {
        const CommandResult r = shell(script, 30, bound);
        EXPECT_EQ(std::tuple(r.Code, r.Output, r.ExitStatus), std::tuple(code, output, status))
            << script;
        EXPECT_TRUE(code != CommandOutputTooLong || r.StandardOutput.empty()) << script;
    }
}

TEST(Commands, OutputsAreReadInFullAndArgumentsPassUnchanged) {
    // Far more than a pipe holds, on both outputs at once, ending in a line without line end.
    const CommandResult r = shell("i=0; while [ $i -lt 3000 ]; do "
                                  "echo 'line of standard output number' $i; "
                                  "echo 'line of error output number' $i >&2; i=$((i+1)); done; "
                                  "printf tail; printf errtail >&2");
    EXPECT_TRUE(
        r.Code == CommandBothOutputs &&
        std::count(r.StandardOutput.begin(), r.StandardOutput.end(), '\n') == 3000 &&
        r.StandardOutput.ends_with("number 2998\nline of standard output number 2999\ntail") &&
        r.ErrorOutput.ends_with("number 2998\nline of error output number 2999\nerrtail") &&
        r.Output.starts_with(r.StandardOutput));
    // Bytes, arguments and the directory pass unchanged.
    EXPECT_EQ(shell("printf '\\000\\377\\303\\n\\200'").Output, std::string("\0\xff\xc3\n\x80", 5));
    EXPECT_EQ(
        runcommand("/bin/sh", "", {"-c", "printf '[%s]' \"$@\"", "x", "a b", "", "-n", "ä\"$"})
            .Output,
        "[a b][][-n][ä\"$]");
    TempDir dir;
    EXPECT_EQ(runcommand("/bin/pwd", dir.path(), {}).Output, dir.path() + "\n");
    EXPECT_EQ(runcommand("/bin/pwd", dir.file("fehlt"), {}).Code, CommandNotFound);
}

class CommandSearch : public RuntimeTest {
  protected:
    TempDir first;
    TempDir second;
    // Relative entries are left out: they would name whatever the current directory holds.
    ScopedEnv path{"MIRADEX_COMMAND_PATH",
                   "bin:" + first.path() + "::.:" + second.path() + "/:../werkzeuge"};
};

// The environment's directories come first, the bundle last; the first existing entry wins,
// absolute paths are not searched, and what is missing or cannot run is not found. The current
// folder is never searched: a program of the name there is not found and never run.
TEST_F(CommandSearch, OrderOfTheDirectoriesAndWhatIsFound) {
    EXPECT_EQ(commandsearchpath(),
              (std::vector<std::string>{first.path() + "/", second.path() + "/", "/usr/local/bin/",
                                        "/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/",
                                        MIRADEX_TEST_BUNDLE "/Contents/Helpers/"}));

    writescript(second.file("werkzeug"), "echo second\n");
    EXPECT_EQ(runcommand("werkzeug", "", {}).Output, "second\n");
    writescript(first.file("werkzeug"), "echo first\n");
    EXPECT_EQ(runcommand("werkzeug", "", {}).Output, "first\n");
    EXPECT_EQ(runcommand(second.file("werkzeug"), "", {}).Output, "second\n");
    // A shadowing directory is found, and it is no file to run.
    writescript(second.file("sh"), "echo fake\n");
    std::filesystem::create_directory(first.file("sh"));
    writefile(first.file("nicht-ausfuehrbar"), "#!/bin/sh\necho x\n");
    for (const std::string& name : {std::string("gibt-es-nicht"), std::string(), std::string("sh"),
                                    first.file("nicht-ausfuehrbar")})
        EXPECT_EQ(runcommand(name, "", {"-c", "echo real"}).Code, CommandNotFound) << name;
    // Bundled helpers are found after the system directories.
    TempDir bundle;
    std::filesystem::create_directories(bundle.file("Contents/Helpers"));
    for (const char* name : {"miradex-helfer", "sh"})
        writescript(bundle.file("Contents/Helpers/") + name, "echo helper\n");
    setbundlepath(bundle.path());
    EXPECT_EQ(runcommand("miradex-helfer", "", {}).Output, "helper\n");
    std::filesystem::remove(first.file("sh")), std::filesystem::remove(second.file("sh"));
    EXPECT_EQ(runcommand("sh", "", {"-c", "echo system"}).Output, "system\n");
    writescript(bundle.file("miradex-nur-hier"), "touch \"$(dirname \"$0\")/lief\"\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(bundle.path());
    const CommandResult result = runcommand("miradex-nur-hier", "", {});
    std::filesystem::current_path(before);
    EXPECT_EQ(std::pair(result.Code, resolvecommand("miradex-nur-hier")),
              std::pair(CommandNotFound, std::string()));
    EXPECT_FALSE(std::filesystem::exists(bundle.file("lief")));
}

// The time limit ends the whole process group: the command, a child it started that hangs with
// a child of its own, and that grandchild; none of them is left.
TEST(Commands, TimeLimitEndsTheProcessAndWhatItStartedAndNoLimitEndsWithTheProcess) {
    TempDir dir;
    const std::string pidfile = dir.file("pid");
    const CommandResult r = shell("echo $$ > '" + pidfile + "'; sh -c 'sleep 60; :' & " +
                                      "echo begun; sleep 60; echo never",
                                  0.3);
    EXPECT_EQ(std::tuple(r.Code, r.Output, r.StandardOutput),
              std::tuple(CommandTimedOut, "", "begun\n"));
    const pid_t group = std::stoi(readfile(pidfile));
    EXPECT_TRUE(eventually([group] { return kill(-group, 0) != 0 && errno == ESRCH; }));
    kill(-group, SIGKILL); // whatever a broken runner left
    // Without a limit the run ends with the process, though its child keeps the outputs open.
    const CommandResult ended = shell("sleep 60 & echo $! > '" + pidfile + "'; echo done");
    EXPECT_EQ(std::pair(ended.Code, ended.Output), std::pair(CommandOk, std::string("done\n")));
    kill(std::stoi(readfile(pidfile)), SIGKILL);
}

} // namespace
} // namespace mdx::test
