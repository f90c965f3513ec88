#include "runtime/font.h"

#include <algorithm>
#include <span>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/lzw.h"

namespace mdx {
namespace {

constexpr std::size_t IdentifierOffset = 1;
constexpr std::size_t IdentifierLength = 4;
// Start, End, Width and Height end at byte 14; Size and Reserved may be missing and read as 0.
constexpr std::size_t FixedFieldsEnd = 14;
constexpr UInt8 FileIdentifier[IdentifierLength] = {'k', 'w', 'f', 'n'};

// A big-endian unsigned number of `length` bytes at `offset`, or 0 when the file ends before it.
Int readbigendian(const Bytes& file, std::size_t offset, std::size_t length) {
    if (file.size() < offset + length) return 0;
    Int value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = (value << 8) | file[offset + i];
    return value;
}

// A header size of 0 cannot hold the identifier, and a file must reach its header size and hold
// the identifier before anything else is read.
bool headersizefits(const Bytes& file) {
    std::size_t headersize = file[0];
    return headersize > 0 && file.size() >= headersize &&
           file.size() >= IdentifierOffset + IdentifierLength;
}

t_Font invalidheader(UInt8 headersize) {
    logline("t_LoadFontResource: Invalid header size");
    t_Font font;
    font.HeaderSize = headersize;
    return font;
}

t_Font readfields(const Bytes& file) {
    t_Font font;
    font.HeaderSize = file[0];
    font.Format = file[5];
    font.Size = readbigendian(file, 6, 4);
    font.Start = file[10];
    font.End = file[11];
    font.Width = file[12];
    font.Height = file[13];
    font.Reserved = readbigendian(file, 14, 2);
    font.Data.assign(file.begin() + file[0], file.end());
    return font;
}

// Formats 100 and 102 become 0 and 2; their data, when there is any, is the code width followed
// by the packed codes.
void decompressinplace(t_Font& font) {
    if (font.Format != FontFormatPlainLZW && font.Format != FontFormatGreyLZW) return;
    font.Format = font.Format == FontFormatGreyLZW ? FontFormatGrey : FontFormatPlain;
    if (font.Data.empty()) return;
    font.Data = lzwdecode(std::span<const UInt8>(font.Data).subspan(1), font.Data[0]);
}

} // namespace

t_Font t_LoadFontResource(const std::string& name) {
    return parsefontfile(getbinaryfromfile(bundlepath() + "/Contents/Resources/" + name), name);
}

t_Font parsefontfile(const Bytes& file, const std::string& name) {
    if (file.empty()) {
        logline("t_LoadFontResource: Could not load file \u201E" + name + "\u201C");
        return {};
    }
    if (!headersizefits(file)) return invalidheader(file[0]);
    auto identifier = file.begin() + IdentifierOffset;
    if (!std::equal(identifier, identifier + IdentifierLength, FileIdentifier)) {
        logline("t_LoadFontResource: Invalid file type");
        t_Font font;
        font.HeaderSize = file[0];
        font.Identifier.assign(identifier, identifier + IdentifierLength);
        return font;
    }
    if (file.size() < FixedFieldsEnd) return invalidheader(file[0]);
    t_Font font = readfields(file);
    decompressinplace(font);
    return font;
}

t_Font fontdecompress(const t_Font& font) {
    t_Font result = font;
    decompressinplace(result);
    return result;
}

} // namespace mdx
