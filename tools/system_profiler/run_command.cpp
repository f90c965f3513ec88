#include "tools/system_profiler/run_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "tools/system_profiler/text_util.h"

extern char** environ;

namespace mdx::sysprof {

namespace {

using Clock = std::chrono::steady_clock;

// The child: its own process group (so that the time limit ends all it started), default
// signals, no input, no error output, standard output into the pipe.
std::optional<pid_t> spawnchild(const std::string& path, const std::vector<std::string>& arguments,
                                int outputfd) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputfd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int error = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return {};
    return pid;
}

// Reads the pipe until it closes or the deadline passes; false for the deadline.
bool readuntil(int fd, Clock::time_point deadline, std::size_t limit, std::string& output) {
    std::array<char, 4096> buffer;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{fd, POLLIN, 0};
        int polled = poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) return false;
        ssize_t count = read(fd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return true;
        std::size_t room = limit - std::min(limit, output.size());
        output.append(buffer.data(), std::min(room, static_cast<std::size_t>(count)));
    }
}

} // namespace

std::optional<std::string> runbounded(const std::string& path,
                                      const std::vector<std::string>& arguments,
                                      std::chrono::milliseconds timelimit, std::size_t limit) {
    int pipefds[2];
    if (pipe2(pipefds, O_CLOEXEC) != 0) return {};
    std::optional<pid_t> pid = spawnchild(path, arguments, pipefds[1]);
    close(pipefds[1]);
    if (!pid) {
        close(pipefds[0]);
        return {};
    }
    std::string output;
    const Clock::time_point deadline = Clock::now() + timelimit;
    bool ended = readuntil(pipefds[0], deadline, limit, output);
    close(pipefds[0]);
    // A program may close its output and go on running: it has until the deadline to end.
    int status = 0;
    pid_t reaped = 0;
    while (ended && (reaped = waitpid(*pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (reaped == *pid) {
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return output;
        return {};
    }
    kill(-*pid, SIGKILL);
    while (waitpid(*pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {};
}

namespace {

// The absolute folders of MIRADEX_COMMAND_PATH, each ending in "/"; relative ones would depend
// on the current folder, which anyone may fill.
std::vector<std::string> environmentfolders() {
    std::vector<std::string> folders;
    const char* value = std::getenv("MIRADEX_COMMAND_PATH");
    if (value == nullptr) return folders;
    const std::string list = value;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        std::string folder = list.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder.front() != '/') continue;
        if (folder.back() != '/') folder += '/';
        folders.push_back(folder);
    }
    return folders;
}

} // namespace

std::string findcommand(const std::string& name, bool systemfolders) {
    std::vector<std::string> folders = environmentfolders();
    if (systemfolders)
        folders.insert(folders.end(),
                       {"/usr/local/bin/", "/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/"});
    for (const std::string& folder : folders) {
        std::string path = folder + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

std::vector<std::uint64_t> parsenvidiamemory(const std::string& output) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    std::vector<std::uint64_t> sizes;
    for (const std::string& line : splitlines(output)) {
        if (trim(line).empty()) continue;
        auto mib = parseunsigned(trim(line));
        if (!mib || *mib > (std::uint64_t{1} << 30)) {
            sizes.push_back(0);
            continue;
        }
        sizes.push_back(*mib >= 1024 ? (*mib + 1023) / 1024 * 1024 * MiB : *mib * MiB);
    }
    return sizes;
}

} // namespace mdx::sysprof
