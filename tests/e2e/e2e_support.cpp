#include "e2e_support.h"

#include "base/kwtools.h"
#include "support/runtime_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace mdx::e2e {
namespace {

// A cross build's tests run the program through an emulator, and so must go the bundled profiler
// that the program starts: without a binfmt entry the kernel starts no foreign program. Gives
// the words before the program (none natively); the fault shim goes to the emulated program
// alone, not to the emulator, and the bundle's Helpers become a folder of emulated helpers.
std::vector<std::string> emulatorwords(Environment& environment) {
    std::vector<std::string> words;
    std::istringstream emulator(MIRADEX_TEST_EMULATOR);
    for (std::string word; emulator >> word;)
        words.push_back(word);
    if (words.empty()) return words;
    if (auto preload = environment.find("LD_PRELOAD");
        preload != environment.end() && preload->second) {
        words.insert(words.end(), {"-E", "LD_PRELOAD=" + *preload->second});
        environment.erase(preload);
    }
    auto& commands = environment["MIRADEX_COMMAND_PATH"];
    commands = commands ? replacestring(*commands, MIRADEX_TEST_BUNDLE "/Contents/Helpers",
                                        MIRADEX_TEST_EMULATED_HELPERS, true)
                        : MIRADEX_TEST_EMULATED_HELPERS;
    return words;
}

// The test's environment with the run's entries replaced, added or removed.
std::vector<std::string> childenvironment(const Environment& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!changes.contains(text.substr(0, text.find('=')))) entries.push_back(text);
    }
    for (const auto& [name, value] : changes)
        if (value) entries.push_back(name + "=" + *value);
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> list;
    for (std::string& word : words)
        list.push_back(word.data());
    list.push_back(nullptr);
    return list;
}

// Starts the program under timeout(1) without a shell: the arguments go over as a list, so no
// word is ever read as shell syntax. The status, or -1 when it could not be started.
int spawnandwait(std::vector<std::string> arguments, std::vector<std::string> environment,
                 const std::string& output, const std::string& errors) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv = pointers(arguments), envp = pointers(environment);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    if (failed != 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProgramRun runprogram(const std::vector<std::string>& arguments, Environment environment) {
    // A short benchmark on the offscreen platform, and no proxy between curl and the servers.
    // clang-format off
    environment.insert({{"MIRADEX_BENCH_ADDITIONS", "1000"}, {"QT_QPA_PLATFORM", "offscreen"},
                        {"no_proxy", "127.0.0.1"}, {"http_proxy", std::nullopt},
                        {"HTTP_PROXY", std::nullopt}, {"all_proxy", std::nullopt}, {"ALL_PROXY", std::nullopt}});
    // clang-format on
    std::vector<std::string> command = {"/usr/bin/timeout", "-s", "KILL", "60"};
    const std::vector<std::string> emulator = emulatorwords(environment);
    command.insert(command.end(), emulator.begin(), emulator.end());
    command.push_back(MIRADEX_PROGRAM);
    command.insert(command.end(), arguments.begin(), arguments.end());
    test::TempDir capture;
    const std::string output = capture.file("out"), errors = capture.file("err");
    ProgramRun run;
    run.Status = spawnandwait(std::move(command), childenvironment(environment), output, errors);
    run.Ended = run.Status != 137 && run.Status != -1;
    run.Output = test::readfile(output);
    run.Errors = test::readfile(errors);
    return run;
}

std::vector<std::string> splitlines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace mdx::e2e
