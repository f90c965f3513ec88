// Fault injection for the end-to-end tests, loaded into the program with LD_PRELOAD.
// MIRADEX_FAULT names the fault:
//   nospace  every write to a regular file fails with ENOSPC, as on a full disk
//   dirsync  syncing a folder fails with EIO, as on a disk that fails under the rename
// Everything else passes to the C library unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int faultis(const char* name) {
    const char* fault = getenv("MIRADEX_FAULT");
    return fault != NULL && strcmp(fault, name) == 0;
}

static int filetypeis(int fd, mode_t type) {
    struct stat info;
    return fstat(fd, &info) == 0 && (info.st_mode & S_IFMT) == type;
}

ssize_t write(int fd, const void* data, size_t count) {
    ssize_t (*real)(int, const void*, size_t) =
        (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (faultis("nospace") && filetypeis(fd, S_IFREG)) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd, data, count);
}

int fsync(int fd) {
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    if (faultis("dirsync") && filetypeis(fd, S_IFDIR)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}
