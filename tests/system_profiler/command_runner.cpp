#include "command_runner.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "support/runtime_fixture.h"

extern char** environ;

namespace mdx::sysprof::test {

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

std::string readall(int fd) {
    std::string data;
    char buffer[8192];
    ssize_t count = 0;
    while ((count = read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, static_cast<std::size_t>(count));
    return data;
}

std::string nameof(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// The test's environment with the given entries in place of its own of those names. The locale
// variables are left out unless given, so that the output's number format does not depend on
// the locale the tests happen to run in.
std::vector<std::string> environmentwith(const std::vector<std::string>& entries) {
    std::set<std::string> replaced{"LC_ALL", "LC_NUMERIC", "LANG"};
    for (const std::string& entry : entries)
        replaced.insert(nameof(entry));
    std::vector<std::string> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (replaced.count(nameof(*entry)) == 0) envp.emplace_back(*entry);
    envp.insert(envp.end(), entries.begin(), entries.end());
    return envp;
}

} // namespace

CommandResult runcommand(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    std::vector<std::string> argv{SYSTEM_PROFILER_COMMAND};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environmentwith(environment);
    mdx::test::TempDir scratch;
    std::string errfile = scratch.file("stderr");
    // Everything the child needs is made before fork: between fork and exec it only opens,
    // duplicates and executes.
    auto args = pointers(argv);
    auto env = pointers(envp);
    int pipefd[2];
    if (pipe(pipefd) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        int errfd = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(pipefd[1], STDOUT_FILENO);
        dup2(errfd, STDERR_FILENO);
        close(pipefd[0]);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
    close(pipefd[1]);
    CommandResult result;
    result.out = readall(pipefd[0]);
    close(pipefd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readfile(errfile);
    return result;
}

std::string fixturepath(const std::string& name) {
    return std::string(SYSTEM_PROFILER_TESTS) + "/fixtures/" + name;
}

std::string expectedpath(const std::string& name) {
    return std::string(SYSTEM_PROFILER_TESTS) + "/expected/" + name + ".txt";
}

std::string readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

const std::vector<std::string>& fixturenames() {
    static const std::vector<std::string> names{"hybrid-laptop", "desktop-amd", "ryzen-desktop",
                                                "qemu-vm",       "micro-vm",    "arm-board"};
    return names;
}

std::string treetestname(const ::testing::TestParamInfo<std::string>& tree) {
    std::string name = tree.param;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

} // namespace mdx::sysprof::test
