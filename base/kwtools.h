// The tool library: 1-based string and Text routines, German number formatting, time texts,
// file reading and writing. Every routine answers out-of-range arguments with an empty result
// or 0 rather than failing.
#pragma once

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "base/types.h"

namespace mdx {

// A byte-array text. Strings enter it as their UTF-8 bytes.
struct Text {
    Bytes Elements;
    bool operator==(const Text&) const = default;
};

Text totext(std::string_view s);
// Decodes UTF-8; bytes that are not valid UTF-8 are taken one by one as characters (Latin-1).
std::string tostring(const Text& t);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or codes above U+10FFFF).
bool isvalidutf8(std::string_view bytes);

// Set-up: builds the tables, seeds the random numbers, logs its start and end.
void initkwtools();
bool kwtoolsinitialized();
UInt8 uppercase(UInt8 code);
UInt8 lowercase(UInt8 code);
char hexdigit(int value); // 0..15 -> '0'..'F'
int hexvalue(UInt8 code); // '0'..'9', 'A'..'F', 'a'..'f' -> 0..15, else -1

// Searching and cutting.
Int position(const Text& text, const Text& pattern, Int start);
struct KeyValue {
    Int Position = 0;
    Text Value;
};
KeyValue keyvalue(const Text& text, const Text& key, UInt8 terminator, Int start);
Text lefttext(const Text& text, Int n);
Text resttext(const Text& text, Int n);
std::string reststring(const std::string& s, Int n); // counted in characters
std::string charat(const std::string& s, Int n);     // counted in characters
Int charcode(const std::string& s);
Text trimtext(const Text& text);
std::string replacestring(const std::string& s, const std::string& find, const std::string& with,
                          bool all);
int comparetext(const Text& a, const Text& b);
Int leadinginteger(const Text& text);
std::string spaces(Int n);
// The text without the bytes below 32 and 127, which printing would carry out as control codes.
std::string withoutcontrolcodes(std::string_view s);
std::string repeatstring(const std::string& s, Int n);
std::string centertext(const std::string& s, Int width);
std::vector<Text> splittext(const Text& text, UInt8 separator);
Text jointext(const std::vector<Text>& pieces, UInt8 separator);

// Numbers.
std::string formatinteger(Int n, UInt8 fillcode, Int width, bool grouping);
std::string realtostring(double x);
std::string formatreal(UInt8 fillcode, Int width, Int decimals, bool grouping, double x);
struct Uptime {
    Int Days = 0;
    Int Hours = 0;
    Int Minutes = 0;
    Int Seconds = 0;
    std::string Text;
};
Uptime uptimetext(Int seconds);

// Time.
void pause(double seconds);

// Files.
// What a path names; the numbers are those a file event carries as its Value.
enum class FileKind : Int { NoPath = -1, Nothing = 0, File = 1, Directory = 2 };
FileKind filetype(const std::string& path);
// The two readers take at most `limit` bytes; a longer file is an error (EFBIG) and gives nothing.
inline constexpr std::size_t NoReadLimit = static_cast<std::size_t>(-1) - 1;
std::string getstringfromfile(const std::string& path, std::size_t limit = NoReadLimit);
// The same, with the error number (0 when read) in error.
std::string getstringfromfile(const std::string& path, std::size_t limit, int& error);
// The encoding that the last getstringfromfile used: "NSUTF8StringEncoding",
// "NSMacOSRomanStringEncoding" or "Error: Unknown Encoding".
std::string lastfileencoding();
Bytes getbinaryfromfile(const std::string& path, std::size_t limit = NoReadLimit);
// Writes to a temporary file beside the target and renames it over the target, so a failed
// save never leaves a half-written file. Returns whether the file was written.
bool setstringtofile(const std::string& path, const std::string& text);
// The same, returning the error number (0 when the data, the rename and the folder are on the
// disk). A file already there that is not the user's own, or is write-protected, is refused
// (EACCES) instead of replaced; a replaced file keeps its permission bits. Only a regular file or
// a new name is written: a pipe, device or socket, or a link to one, is refused (NotRegularFile)
// and left as it is; a link in a sticky, world-writable folder that belongs neither to the user
// nor to the folder's owner is not followed (ProtectedLink). Temporary files that an earlier,
// interrupted save left in the folder are removed once their process is gone.
int savestringtofile(const std::string& path, std::string_view data);
// The same without the log line, for callers that report failures themselves.
int writefileatomically(const std::string& path, std::string_view data);
// Reads a file from outside as getbinaryfromfile does (with its log line on failure) and returns
// the error number. Folders (EISDIR), pipes and devices (NotRegularFile) are refused at once
// without waiting, files above limit with EFBIG.
int readfilefromoutside(const std::string& path, std::size_t limit, Bytes& bytes);
// Error numbers of the file routines besides the system's own.
inline constexpr int EmptyFile = -1;      // for callers that refuse empty files
inline constexpr int NotRegularFile = -2; // a pipe, device or socket
inline constexpr int ProtectedLink = -3;  // another user's link in a shared folder
// Why a file routine failed, as a German sentence ("" for 0); every number has words.
std::string fileerrortext(int error);

// Path of the application bundle (".../Miradex.app"), found from the running executable unless
// set explicitly (tests set it to the build's bundle).
std::string bundlepath();
void setbundlepath(const std::string& path);
// The bundle that holds an executable at <bundle>/Contents/MacOS/<name>; for an executable outside
// such a layout, its own folder.
std::string bundlepathforexecutable(const std::string& executable);
// Text after the last "/".
std::string lastpathcomponent(const std::string& path);

} // namespace mdx
