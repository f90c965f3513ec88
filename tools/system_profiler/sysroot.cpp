#include "tools/system_profiler/sysroot.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

std::string canonical(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
}

// Closes a descriptor when leaving the scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

SysRoot::SysRoot(const std::string& directory) {
    if (directory.empty() || directory == "/") return;
    prefix_ = canonical(directory);
    // A root that does not exist still must not fall back to the live system.
    if (prefix_.empty()) prefix_ = directory;
    if (prefix_ == "/") prefix_.clear();
}

std::optional<std::string> SysRoot::read(std::string_view path, std::size_t limit) const {
    // Non-blocking, so that a named pipe or device in a copied tree cannot stall the command.
    FileDescriptor file(open(fullpath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) return {};
    struct stat info {};
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    std::string data;
    char buffer[8192];
    while (data.size() < limit) {
        ssize_t count = ::read(file.get(), buffer, std::min(sizeof buffer, limit - data.size()));
        if (count < 0) return {};
        if (count == 0) break;
        data.append(buffer, static_cast<std::size_t>(count));
    }
    return data;
}

std::string SysRoot::value(std::string_view path) const {
    auto data = read(path, 4096);
    if (!data) return {};
    std::string text = trim(*data);
    return printable(text) ? text : std::string();
}

std::string SysRoot::dtstring(std::string_view path) const {
    auto data = read(path, 4096);
    if (!data) return {};
    std::string text = data->substr(0, data->find('\0'));
    return printable(text) ? text : std::string();
}

std::vector<std::string> SysRoot::dtstrings(std::string_view path) const {
    std::vector<std::string> strings;
    auto data = read(path, 4096);
    if (!data) return strings;
    std::size_t start = 0;
    while (start < data->size()) {
        std::size_t end = data->find('\0', start);
        if (end == std::string::npos) end = data->size();
        std::string entry = data->substr(start, end - start);
        if (printable(entry)) strings.push_back(entry);
        start = end + 1;
    }
    return strings;
}

bool SysRoot::exists(std::string_view path) const {
    struct stat info {};
    return stat(fullpath(path).c_str(), &info) == 0;
}

bool SysRoot::isdirectory(std::string_view path) const {
    struct stat info {};
    return stat(fullpath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> SysRoot::list(std::string_view directory) const {
    std::vector<std::string> names;
    DIR* dir = opendir(fullpath(directory).c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), naturalless);
    return names;
}

std::vector<std::string> SysRoot::subdirectories(std::string_view directory) const {
    std::vector<std::string> names;
    for (const std::string& name : list(directory)) {
        struct stat info {};
        std::string path = fullpath(directory) + "/" + name;
        if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) names.push_back(name);
    }
    return names;
}

std::string SysRoot::resolve(std::string_view path) const {
    std::string resolved = canonical(fullpath(path));
    if (resolved.empty()) return {};
    if (prefix_.empty()) return resolved;
    if (resolved == prefix_) return "/";
    if (!startswith(resolved, prefix_ + "/")) return {};
    return resolved.substr(prefix_.size());
}

std::string SysRoot::linkname(std::string_view path) const {
    char target[PATH_MAX];
    ssize_t length = readlink(fullpath(path).c_str(), target, sizeof target - 1);
    if (length <= 0) return {};
    std::string name = basename(std::string_view(target, static_cast<std::size_t>(length)));
    return printable(name) ? name : std::string();
}

std::string parentpath(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string basename(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace mdx::sysprof
