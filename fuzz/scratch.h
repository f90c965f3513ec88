// Scratch files of the fuzz targets that go through the file system: in memory where the machine
// has /dev/shm, so that writing, truncating and syncing them costs no disk work per input.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>

inline std::string scratchpath(const std::string& name) {
    struct stat info {};
    const bool shm = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode);
    return std::string(shm ? "/dev/shm" : "/tmp") + "/miradex-fuzz-" + name + "-" +
           std::to_string(getpid());
}
