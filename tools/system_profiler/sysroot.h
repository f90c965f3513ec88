// Read-only access to the kernel's files below one root directory: "/" on a running system, a
// copied tree of /sys and /proc files in tests. Every path given here is absolute as on the
// running system ("/sys/class/net"); the root is put in front of it. Nothing here writes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdx::sysprof {

class SysRoot {
  public:
    // An empty directory means "/".
    explicit SysRoot(const std::string& directory);

    // True when the root is the running system's "/", so that interfaces that cannot be pointed
    // at a copied tree (ioctls, getifaddrs, the processor's own identification) may be used.
    bool islive() const { return prefix_.empty(); }
    std::string fullpath(std::string_view path) const { return prefix_ + std::string(path); }

    // The bytes of a regular file, at most limit of them; nothing when it cannot be read.
    std::optional<std::string> read(std::string_view path, std::size_t limit = 65536) const;
    // A one-line value, trimmed; empty when absent, unreadable or not printable text.
    std::string value(std::string_view path) const;
    // A device-tree string: the bytes up to the first NUL, or empty when not printable.
    std::string dtstring(std::string_view path) const;
    // A device-tree string list (NUL-separated), leaving out entries that are not printable.
    std::vector<std::string> dtstrings(std::string_view path) const;

    bool exists(std::string_view path) const;
    bool isdirectory(std::string_view path) const;
    // Names in a directory in natural order, without "." and "..".
    std::vector<std::string> list(std::string_view directory) const;
    // Real subdirectories only (symbolic links left out), in natural order. Walking these never
    // loops, unlike sysfs's links.
    std::vector<std::string> subdirectories(std::string_view directory) const;
    // The path with every link followed, as seen from the root ("/sys/devices/..."); empty when
    // it does not exist or leads out of the root.
    std::string resolve(std::string_view path) const;
    // The last component of a link's target, as for "driver" or "subsystem" links.
    std::string linkname(std::string_view path) const;

  private:
    std::string prefix_;
};

// The directory above a path: "/sys/devices/a/b" gives "/sys/devices/a".
std::string parentpath(std::string_view path);
// The last component of a path.
std::string basename(std::string_view path);

} // namespace mdx::sysprof
