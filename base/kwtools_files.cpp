// Reading and writing whole files. Failures are logged with the system's error number.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "base/kwtools.h"
#include "base/log.h"

namespace mdx {
namespace {

constexpr const char* Utf8Encoding = "NSUTF8StringEncoding";
constexpr const char* MacRomanEncoding = "NSMacOSRomanStringEncoding";
constexpr const char* UnknownEncoding = "Error: Unknown Encoding";

// Unicode code points of the Mac OS Roman bytes 0x80 to 0xFF (the lower half is ASCII).
constexpr char16_t MacRomanHighHalf[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8, //
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, //
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, //
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, //
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, //
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, //
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, //
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7, //
};

struct EncodingRecord {
    std::mutex lock;
    std::string name;
};

EncodingRecord& encodingrecord() {
    static EncodingRecord instance;
    return instance;
}

void recordencoding(const char* name) {
    std::lock_guard guard(encodingrecord().lock);
    encodingrecord().name = name;
}

void appendutf8(std::string& out, char16_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string macromantoutf8(const Bytes& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (UInt8 b : bytes)
        appendutf8(out, b < 0x80 ? char16_t{b} : MacRomanHighHalf[b - 0x80]);
    return out;
}

// Opens a file from outside for reading without ever waiting: O_NONBLOCK makes opening a named
// pipe return at once, and the checks run on the opened descriptor, so a file swapped for a
// pipe or a device after any earlier look is still refused. -1 with the error number in `error`.
int openregularfile(const std::string& path, int& error, std::size_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = NotRegularFile;
    else if (static_cast<std::size_t>(info.st_size) > limit)
        error = EFBIG;
    if (error == 0) return fd;
    close(fd);
    return -1;
}

// The whole file, or the error number in `error`. Reading stops after limit + 1 bytes whatever
// the file's size claims (procfs files claim 0, and a file may grow while it is read); a file
// longer than limit is refused as too large.
Bytes readwholefile(const std::string& path, int& error, std::size_t limit) {
    error = 0;
    const int fd = openregularfile(path, error, limit);
    if (fd < 0) return {};
    Bytes bytes;
    UInt8 chunk[65536];
    while (bytes.size() <= limit) {
        const std::size_t wanted = std::min<std::size_t>(sizeof chunk, limit - bytes.size() + 1);
        ssize_t count = read(fd, chunk, wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) error = errno;
        if (count <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    close(fd);
    if (error == 0 && bytes.size() > limit) error = EFBIG;
    if (error != 0) return {};
    return bytes;
}

bool writeall(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

std::string folderof(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The process's file creation mask; reading it through umask() would briefly change it for
// every thread.
mode_t currentumask() {
    mode_t mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            std::string_view text(line);
            if (text.starts_with("Umask:")) {
                mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

// A replaced file keeps its permissions; a new one gets those any newly created file would.
mode_t modefornewcontent(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0666 & ~currentumask();
}

// A symbolic link is followed, so the file it points to is replaced rather than the link.
std::string replacementtarget(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

int syncfolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
}

// A file that is there already is replaced only when it is the user's own and writable by its
// owner: renaming over it would otherwise take a write-protected file, or another user's file
// in a shared folder, without asking.
int replaceable(const std::string& target) {
    struct stat info {};
    if (stat(target.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (info.st_uid != geteuid() || (info.st_mode & S_IWUSR) == 0) return EACCES;
    return 0;
}

// Writes into a fresh temporary file beside the target and renames it over the target. Returns
// 0 or the error number; on failure before the rename the temporary file is gone and the target
// untouched. The save counts only once the folder holding the new name is on the disk too.
int replacefile(const std::string& path, std::string_view data) {
    std::string target = replacementtarget(path);
    if (const int refused = replaceable(target); refused != 0) return refused;
    std::string folder = folderof(target);
    // A short name of its own: the target's name plus a suffix could exceed the longest name.
    std::string temporary = folder + "/.miradex-XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    bool written =
        fchmod(fd, modefornewcontent(target)) == 0 && writeall(fd, data) && fsync(fd) == 0;
    int error = written ? 0 : errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    return syncfolder(folder);
}

} // namespace

FileKind filetype(const std::string& path) {
    if (path.empty()) return FileKind::NoPath;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return FileKind::Nothing;
    return S_ISDIR(info.st_mode) ? FileKind::Directory : FileKind::File;
}

std::string getstringfromfile(const std::string& path, std::size_t limit) {
    int error = 0;
    return getstringfromfile(path, limit, error);
}

std::string getstringfromfile(const std::string& path, std::size_t limit, int& error) {
    Bytes bytes = readwholefile(path, error, limit);
    if (error != 0) {
        recordencoding(UnknownEncoding);
        logline("getstringfromfile: Error #" + std::to_string(error));
        return "";
    }
    std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (isvalidutf8(view)) {
        recordencoding(Utf8Encoding);
        return std::string(view);
    }
    // Every byte has a meaning in Mac OS Roman, so this fallback always succeeds.
    recordencoding(MacRomanEncoding);
    return macromantoutf8(bytes);
}

std::string lastfileencoding() {
    std::lock_guard guard(encodingrecord().lock);
    return encodingrecord().name;
}

Bytes getbinaryfromfile(const std::string& path, std::size_t limit) {
    int error = 0;
    Bytes bytes = readwholefile(path, error, limit);
    if (error != 0) logline("getbinaryfromfile: Error #" + std::to_string(error));
    return bytes;
}

bool setstringtofile(const std::string& path, const std::string& text) {
    return savestringtofile(path, text) == 0;
}

int savestringtofile(const std::string& path, std::string_view data) {
    const int error = writefileatomically(path, data);
    if (error != 0) logline("setstringtofile: Error #" + std::to_string(error));
    return error;
}

int writefileatomically(const std::string& path, std::string_view data) {
    return replacefile(path, data);
}

int readfilefromoutside(const std::string& path, std::size_t limit, Bytes& bytes) {
    int error = 0;
    bytes = readwholefile(path, error, limit);
    if (error != 0) logline("getbinaryfromfile: Error #" + std::to_string(error));
    return error;
}

std::string fileerrortext(int error) {
    switch (error) {
    case 0: return "";
    case ENOSPC:
    case EDQUOT: return "Auf dem Datenträger ist kein Platz mehr frei.";
    case EROFS: return "Das Dateisystem ist schreibgeschützt.";
    case EACCES:
    case EPERM: return "Keine Berechtigung für diese Datei oder ihren Ordner.";
    case ENOENT: return "Die Datei oder ihr Ordner wurde nicht gefunden.";
    case ENOTDIR: return "Ein Teil des Pfades ist kein Ordner.";
    case EISDIR: return "Das ist ein Ordner, keine Datei.";
    case EFBIG: return "Die Datei ist zu groß.";
    case ENAMETOOLONG: return "Der Name ist zu lang.";
    case ELOOP: return "Der Pfad enthält zu viele symbolische Links.";
    case EIO: return "Beim Lesen oder Schreiben trat ein Ein-/Ausgabefehler auf.";
    case NotRegularFile: return "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät).";
    case EmptyFile: return "Die Datei ist leer.";
    default: return "Fehler Nr. " + std::to_string(error) + ".";
    }
}

} // namespace mdx
