#include "platform/qt/temporary_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace mdx::qt {
namespace {

bool isroot(const char* path) {
    char resolved[PATH_MAX];
    return ::realpath(path, resolved) != nullptr && std::string(resolved) == "/";
}

bool usablefolder(const char* path) {
    if (path == nullptr || path[0] != '/') return false;
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode) && !isroot(path) &&
           ::access(path, W_OK | X_OK) == 0;
}

} // namespace

std::string choosetemporaryfolder(const char* tmpdir, const char* fallback) {
    if (usablefolder(tmpdir)) return tmpdir;
    if (usablefolder(fallback)) return fallback;
    return NoTemporaryFolder;
}

void settletemporaryfolder() {
    const std::string folder = choosetemporaryfolder(std::getenv("TMPDIR"));
    ::setenv("TMPDIR", folder.c_str(), 1);
}

} // namespace mdx::qt
