#include "report/commands.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <utility>

#include "base/kwtools.h"

namespace mdx {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* SystemDirectories[] = {"/usr/local/bin/", "/usr/bin/", "/bin/", "/usr/sbin/",
                                             "/sbin/"};
constexpr const char* ErrorHeading = "Error while executing:";
// How often a wait looks whether the process has ended although its pipes are still open (a
// process it started may hold them).
constexpr int ExitCheckMs = 100;
constexpr std::size_t ChunkSize = 65536;

std::vector<std::string> environmentdirectories() {
    std::vector<std::string> directories;
    const char* value = std::getenv("MIRADEX_COMMAND_PATH");
    if (value == nullptr) return directories;
    for (const Text& piece : splittext(totext(value), ':')) {
        std::string directory(piece.Elements.begin(), piece.Elements.end());
        // A relative entry would depend on the current directory, which anyone may fill.
        if (directory.empty() || directory.front() != '/') continue;
        if (directory.back() != '/') directory += '/';
        directories.push_back(directory);
    }
    return directories;
}

// One output pipe of the process: the read end, what came through it, and whether it is open.
struct PipeReader {
    int Fd = -1;
    std::string Collected;

    PipeReader() = default;
    PipeReader(PipeReader&& other) noexcept
        : Fd(std::exchange(other.Fd, -1)), Collected(std::move(other.Collected)) {}
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;
    PipeReader& operator=(PipeReader&&) = delete;
    ~PipeReader() { closefd(); }
    void closefd() {
        if (Fd >= 0) close(Fd);
        Fd = -1;
    }
    bool open() const { return Fd >= 0; }
    std::size_t Limit = CommandOutputLimit;
    bool Overflowed = false; // more came than Limit

    void keep(const char* data, std::size_t count) {
        const std::size_t room = Limit - Collected.size();
        Collected.append(data, std::min(count, room));
        if (count > room) Overflowed = true;
    }
    // Reads what is there without waiting; closes on end of file or error.
    void readavailable() {
        char buffer[ChunkSize];
        while (open()) {
            const ssize_t count = read(Fd, buffer, sizeof buffer);
            if (count > 0) {
                keep(buffer, static_cast<std::size_t>(count));
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                if (count == 0 || errno != EAGAIN) closefd();
                return;
            }
        }
    }
};

struct SpawnedProcess {
    pid_t Pid = -1;
    bool Reaped = false;
    int Status = 0; // as waitpid gave it, once reaped
    PipeReader Output;
    PipeReader Error;
};

struct FileActions {
    posix_spawn_file_actions_t Actions{};
    FileActions() { posix_spawn_file_actions_init(&Actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&Actions); }
};

struct SpawnAttributes {
    posix_spawnattr_t Attributes{};
    SpawnAttributes() { posix_spawnattr_init(&Attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&Attributes); }
};

// The child gets its own process group, so that a time limit can end everything it started, and
// default signal handling with nothing blocked whatever the program's threads have set.
void prepareattributes(posix_spawnattr_t& attributes) {
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
}

bool preparefiles(posix_spawn_file_actions_t& actions, int outputFd, int errorFd,
                  const std::string& directory) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errorFd, 2);
    if (directory.empty()) return true;
    return posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) == 0;
}

struct PipePair {
    int Fds[2] = {-1, -1};
    ~PipePair() {
        for (int fd : Fds)
            if (fd >= 0) close(fd);
    }
    bool make() { return pipe2(Fds, O_CLOEXEC) == 0; }
    int takeread() { return std::exchange(Fds[0], -1); }
};

std::optional<SpawnedProcess> spawn(const std::string& path, const std::string& directory,
                                    const std::vector<std::string>& arguments) {
    PipePair output;
    PipePair error;
    if (!output.make() || !error.make()) return std::nullopt;
    FileActions files;
    SpawnAttributes attributes;
    if (!preparefiles(files.Actions, output.Fds[1], error.Fds[1], directory)) return std::nullopt;
    prepareattributes(attributes.Attributes);

    std::vector<std::string> words{path};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SpawnedProcess process;
    if (posix_spawn(&process.Pid, path.c_str(), &files.Actions, &attributes.Attributes, argv.data(),
                    environ) != 0)
        return std::nullopt;
    process.Output.Fd = output.takeread();
    process.Error.Fd = error.takeread();
    fcntl(process.Output.Fd, F_SETFL, O_NONBLOCK);
    fcntl(process.Error.Fd, F_SETFL, O_NONBLOCK);
    return process;
}

// Whether the process has ended; reaps it. When it cannot be waited for (something else reaped
// it), a look without blocking says "running", so that its outputs are read to their end.
bool ended(SpawnedProcess& process, bool block) {
    while (!process.Reaped) {
        const pid_t result = waitpid(process.Pid, &process.Status, block ? 0 : WNOHANG);
        if (result == process.Pid) process.Reaped = true;
        if (result == 0) return false;
        if (result < 0 && errno != EINTR) return block;
    }
    return true;
}

int pollwait(std::optional<Clock::time_point> deadline) {
    if (!deadline) return ExitCheckMs;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, ExitCheckMs));
}

// Reads both pipes as data arrives until both are closed, or the process has ended and what it
// left in them is read. False when the deadline came first, or when a bounded output ran over
// (the process is then ended at once: reading on would only be thrown away).
bool collect(SpawnedProcess& process, std::optional<Clock::time_point> deadline, bool bounded) {
    PipeReader* readers[] = {&process.Output, &process.Error};
    while (process.Output.open() || process.Error.open()) {
        if (deadline && Clock::now() >= *deadline) return false;
        if (bounded && process.Output.Overflowed) return false;
        pollfd fds[2];
        nfds_t count = 0;
        for (PipeReader* reader : readers)
            if (reader->open()) fds[count++] = {reader->Fd, POLLIN, 0};
        const int ready = poll(fds, count, pollwait(deadline));
        if (ready < 0 && errno != EINTR) return false; // cannot wait: end it like a timeout
        const bool gone = ended(process, false);
        for (PipeReader* reader : readers)
            reader->readavailable();
        if (gone) break;
    }
    return true;
}

CommandResult compose(std::string output, std::string error) {
    CommandResult result;
    if (error.empty()) {
        result.Output = output;
        result.Code = CommandOk;
    } else if (output.empty()) {
        result.Output = std::string(ErrorHeading) + "\r\r" + error;
        result.Code = CommandErrorOnly;
    } else {
        result.Output = output + "\r\r" + ErrorHeading + "\r\r" + error;
        result.Code = CommandBothOutputs;
    }
    result.StandardOutput = std::move(output);
    result.ErrorOutput = std::move(error);
    return result;
}

} // namespace

std::vector<std::string> commandsearchpath() {
    std::vector<std::string> directories = environmentdirectories();
    directories.insert(directories.end(), std::begin(SystemDirectories),
                       std::end(SystemDirectories));
    const std::string bundle = bundlepath();
    if (bundle.starts_with('/')) directories.push_back(bundle + "/Contents/Helpers/");
    return directories;
}

// Only absolute paths: a name found in no folder of the search path is not found, never looked
// up in the current folder, which anyone may have filled.
std::string resolvecommand(const std::string& command) {
    if (command.empty() || command.front() == '/') return command;
    for (const std::string& directory : commandsearchpath())
        if (filetype(directory + command) != FileKind::Nothing) return directory + command;
    return "";
}

CommandResult runcommand(const std::string& command, const std::string& directory,
                         const std::vector<std::string>& arguments, double timeLimit,
                         std::size_t outputLimit) {
    const std::string path = resolvecommand(command);
    if (path.empty() || filetype(path) != FileKind::File) return {"", CommandNotFound, "", ""};
    return launchcommand(path, directory, arguments, timeLimit, outputLimit);
}

CommandResult launchcommand(const std::string& path, const std::string& directory,
                            const std::vector<std::string>& arguments, double timeLimit,
                            std::size_t outputLimit) {
    std::optional<SpawnedProcess> process = spawn(path, directory, arguments);
    if (!process) return {"", CommandNotFound, "", ""};
    const bool bounded = outputLimit < CommandOutputLimit;
    process->Output.Limit = std::min(outputLimit, CommandOutputLimit);
    std::optional<Clock::time_point> deadline;
    if (timeLimit > 0)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeLimit));
    const bool finished = collect(*process, deadline, bounded);
    if (!process->Reaped) {
        if (!finished) kill(-process->Pid, SIGKILL);
        ended(*process, true);
    }
    if (bounded && process->Output.Overflowed) return {"", CommandOutputTooLong, "", ""};
    if (!finished)
        return {"", CommandTimedOut, process->Output.Collected, process->Error.Collected};
    CommandResult result =
        compose(std::move(process->Output.Collected), std::move(process->Error.Collected));
    if (process->Reaped && WIFEXITED(process->Status))
        result.ExitStatus = WEXITSTATUS(process->Status);
    return result;
}

} // namespace mdx
