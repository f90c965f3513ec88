// Reading and writing whole files. Failures are logged with the system's error number.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <dirent.h>
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

// The rule the kernel applies to links in shared folders (fs.protected_symlinks), which may be
// switched off: in a sticky, world-writable folder a link is followed only when it belongs to
// the user or to the folder's owner, so nobody can plant a link there that sends a save elsewhere.
bool mayfollow(const struct stat& link, const struct stat& folder) {
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

void pushparts(std::deque<std::string>& parts, const std::string& path) {
    std::deque<std::string> front;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t slash = path.find('/', begin);
        if (slash == std::string::npos) slash = path.size();
        if (slash > begin) front.push_back(path.substr(begin, slash - begin));
        begin = slash + 1;
    }
    parts.insert(parts.begin(), front.begin(), front.end());
}

std::string parentof(const std::string& folder) {
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// Follows the links of path one at a time, as the kernel does, refusing one that mayfollow
// forbids, and gives the path without links where the save lands. From the first missing part
// on the rest is taken as it stands: a new name, or a missing folder that the save then meets.
int resolvesavepath(const std::string& path, std::string& resolved) {
    constexpr int MostLinks = 40; // the kernel's own bound before ELOOP
    std::string current;          // "" is the root
    if (!path.starts_with('/')) {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr) return errno;
        current = cwd;
        std::free(cwd);
        if (current == "/") current.clear();
    }
    std::deque<std::string> parts;
    pushparts(parts, path);
    int links = 0;
    while (!parts.empty()) {
        const std::string part = parts.front();
        parts.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            current = parentof(current);
            continue;
        }
        const std::string next = current + "/" + part;
        struct stat info {};
        if (lstat(next.c_str(), &info) != 0) {
            if (errno != ENOENT) return errno;
            resolved = next;
            for (const std::string& rest : parts)
                resolved += "/" + rest;
            return 0;
        }
        if (!S_ISLNK(info.st_mode)) {
            current = next;
            continue;
        }
        struct stat folder {};
        if (++links > MostLinks) return ELOOP;
        if (lstat(current.empty() ? "/" : current.c_str(), &folder) != 0) return errno;
        if (!mayfollow(info, folder)) return ProtectedLink;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(next.c_str(), target.data(), target.size());
        if (length < 0) return errno;
        target.resize(static_cast<std::size_t>(length));
        if (target.starts_with('/')) current.clear();
        pushparts(parts, target);
    }
    resolved = current.empty() ? "/" : current;
    return 0;
}

// What a save meets at its target. Only a regular file of the user's own that its owner may
// write is replaced: anything else would be destroyed by the rename (a pipe, a device, a
// socket), or taken without asking (a write-protected file, another user's file in a shared
// folder). The kernel follows the path's links itself, with its own protection where that is on,
// and must land where resolvesavepath did (else the path changed under the save: EAGAIN).
int checksavetarget(const std::string& path, const std::string& target, bool& exists) {
    exists = false;
    const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? 0 : errno;
    struct stat info {};
    struct stat there {};
    const int error = fstat(fd, &info) == 0 ? 0 : errno;
    close(fd);
    if (error != 0) return error;
    exists = true;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return NotRegularFile;
    if (info.st_uid != geteuid() || (info.st_mode & S_IWUSR) == 0) return EACCES;
    if (lstat(target.c_str(), &there) != 0 || there.st_dev != info.st_dev ||
        there.st_ino != info.st_ino)
        return EAGAIN;
    return 0;
}

int syncfolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
}

// Temporary files are named ".miradex-<pid>-XXXXXX", so that a later save can tell whether the
// process that made one is gone.
constexpr std::string_view TemporaryPrefix = ".miradex-";

std::string temporarytemplate(const std::string& folder) {
    return folder + "/" + std::string(TemporaryPrefix) + std::to_string(getpid()) + "-XXXXXX";
}

// The process id in a temporary file's name, or 0 for any other name.
pid_t temporaryowner(std::string_view name) {
    constexpr std::size_t UniqueLength = 7; // "-XXXXXX"
    if (!name.starts_with(TemporaryPrefix) || name.size() <= TemporaryPrefix.size() + UniqueLength)
        return 0;
    const std::string_view digits =
        name.substr(TemporaryPrefix.size(), name.size() - TemporaryPrefix.size() - UniqueLength);
    if (name[name.size() - UniqueLength] != '-' || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    return static_cast<pid_t>(std::stol(std::string(digits)));
}

bool processgone(pid_t pid) {
    return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes the temporary files that saves killed before their rename left in folder: only the
// user's own regular files whose process no longer runs. A live process's file, another user's,
// and every other name stay.
void removeabandonedtemporaries(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    if (entries == nullptr) return;
    const int folderfd = dirfd(entries);
    while (const dirent* entry = readdir(entries)) {
        const pid_t owner = temporaryowner(entry->d_name);
        struct stat info {};
        if (owner <= 0 || !processgone(owner) ||
            fstatat(folderfd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        unlinkat(folderfd, entry->d_name, 0);
    }
    closedir(entries);
}

// Renames onto a new name without replacing whatever appeared there meanwhile (EEXIST). File
// systems without that guarantee get a plain rename.
int renameontonewname(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return errno;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// One attempt at a save; EEXIST when a new name was taken by something else meanwhile.
int replaceonce(const std::string& path, std::string_view data) {
    std::string target;
    bool exists = false;
    if (const int error = resolvesavepath(path, target); error != 0) return error;
    if (const int refused = checksavetarget(path, target, exists); refused != 0) return refused;
    const std::string folder = folderof(target);
    removeabandonedtemporaries(folder);
    std::string temporary = temporarytemplate(folder);
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    const bool written =
        fchmod(fd, modefornewcontent(target)) == 0 && writeall(fd, data) && fsync(fd) == 0;
    int error = written ? 0 : errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && exists) error = rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (error == 0 && !exists) error = renameontonewname(temporary, target);
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    return syncfolder(folder);
}

// Writes into a fresh temporary file beside the target and renames it over the target. Returns
// 0 or the error number; on failure before the rename the temporary file is gone and the target
// untouched. The save counts only once the folder holding the new name is on the disk too.
int replacefile(const std::string& path, std::string_view data) {
    constexpr int Attempts = 3; // a name taken meanwhile is looked at again
    int error = EEXIST;
    for (int attempt = 0; attempt < Attempts && error == EEXIST; ++attempt)
        error = replaceonce(path, data);
    return error;
}

struct ErrorWords {
    int Error;
    const char* Words;
};

// Every error that opening, reading, writing, renaming or syncing a file can meet.
constexpr ErrorWords ErrorTable[] = {
    {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei."},
    {EDQUOT, "Das Speicherkontingent auf dem Datenträger ist erschöpft."},
    {EROFS, "Das Dateisystem ist schreibgeschützt."},
    {EACCES, "Keine Berechtigung für diese Datei oder ihren Ordner."},
    {EPERM, "Der Vorgang ist für diese Datei oder ihren Ordner nicht erlaubt."},
    {ENOENT, "Die Datei oder ihr Ordner wurde nicht gefunden."},
    {ENOTDIR, "Ein Teil des Pfades ist kein Ordner."},
    {EISDIR, "Das ist ein Ordner, keine Datei."},
    {EFBIG, "Die Datei ist zu groß."},
    {ENAMETOOLONG, "Der Name ist zu lang."},
    {ELOOP, "Der Pfad enthält zu viele symbolische Links."},
    {EIO, "Beim Lesen oder Schreiben trat ein Ein-/Ausgabefehler auf."},
    {ENXIO, "Das Gerät ist nicht vorhanden oder nicht erreichbar."},
    {ENODEV, "Das Gerät unterstützt diesen Zugriff nicht."},
    {EAGAIN, "Die Datei hat sich währenddessen geändert oder ist gerade nicht bereit; bitte "
             "noch einmal versuchen."},
    {EXDEV, "Die Datei liegt auf einem anderen Dateisystem als ihr Ordner."},
    {EBUSY, "Die Datei oder ihr Ordner wird gerade vom System benutzt."},
    {ETXTBSY, "Die Datei wird gerade als Programm ausgeführt."},
    {EEXIST, "Unter diesem Namen ist währenddessen eine andere Datei entstanden."},
    {EMFILE, "Das Programm hat zu viele Dateien geöffnet."},
    {ENFILE, "Im System sind zu viele Dateien geöffnet."},
    {ENOMEM, "Es ist nicht genug Arbeitsspeicher frei."},
    {EINTR, "Der Vorgang wurde unterbrochen."},
    {EINVAL, "Das Dateisystem lässt diesen Vorgang nicht zu."},
    {EOPNOTSUPP, "Das Dateisystem unterstützt diesen Vorgang nicht."},
    {EOVERFLOW, "Die Datei ist für diesen Zugriff zu groß."},
    {EMLINK, "Der Ordner oder die Datei hat zu viele Verweise."},
    {ENOTEMPTY, "Dort steht ein Ordner, der nicht leer ist."},
    {ESTALE, "Die Datei auf dem Netzlaufwerk ist nicht mehr gültig."},
    {ENOTCONN, "Die Verbindung zum Dateisystem ist getrennt."},
    {ETIMEDOUT, "Das Dateisystem antwortet nicht."},
    {EPIPE, "Die Gegenstelle liest nicht mehr mit."},
    {NotRegularFile, "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät)."},
    {ProtectedLink, "Der Pfad führt über einen symbolischen Link eines anderen Benutzers in "
                    "einem gemeinsamen Ordner; ihm wird nicht gefolgt."},
    {EmptyFile, "Die Datei ist leer."},
};

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
    if (error == 0) return "";
    for (const ErrorWords& row : ErrorTable)
        if (row.Error == error) return row.Words;
    return "Unerwarteter Systemfehler Nr. " + std::to_string(error) + ".";
}

} // namespace mdx
