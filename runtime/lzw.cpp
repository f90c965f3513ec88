#include "runtime/lzw.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

namespace mdx {
namespace {

constexpr std::uint64_t FirstFreeCode = 256;
constexpr Int MaxCodeWidth = 32;
// A stream of n codes can describe about n * n / 2 bytes; a few hostile kilobytes could ask for
// gigabytes. No data of this program comes near this bound (a font holds at most 16.6 MB).
constexpr std::size_t MaxDecodedSize = std::size_t{64} << 20;

// Splits bytes into codes of a fixed width, most significant bit first. Bits at the end that do
// not make a whole code are never read, so at most count() codes may be taken.
class CodeReader {
  public:
    CodeReader(std::span<const UInt8> bytes, unsigned width)
        : bytes_(bytes), width_(width), mask_((std::uint64_t{1} << width) - 1) {}

    std::size_t count() const { return bytes_.size() * 8 / width_; }

    std::uint64_t next() {
        while (bits_ < width_) {
            accumulator_ = (accumulator_ << 8) | bytes_[position_++];
            bits_ += 8;
        }
        bits_ -= width_;
        return (accumulator_ >> bits_) & mask_;
    }

  private:
    std::span<const UInt8> bytes_;
    unsigned width_;
    std::uint64_t mask_;
    std::uint64_t accumulator_ = 0;
    unsigned bits_ = 0;
    std::size_t position_ = 0;
};

// Where the string of every code starts in the output, plus the end of the output. Dictionary
// code 256 + j stands for the string of the j-th code followed by the first byte of the string
// after it; both lie next to each other in the output, so the starts alone describe the whole
// dictionary. Gives nothing when a code is neither known nor the next free one.
// Starts are kept in 32 bits: the decoded size is capped far below 4 GiB.
using Starts = std::vector<std::uint32_t>;
static_assert(MaxDecodedSize < (std::uint64_t{1} << 32));

std::optional<Starts> layoutcodes(CodeReader reader) {
    std::size_t count = reader.count();
    Starts starts;
    starts.reserve(count + 1);
    starts.push_back(0);
    if (reader.next() >= FirstFreeCode) return std::nullopt;
    starts.push_back(1);
    for (std::size_t i = 1; i < count; ++i) {
        std::uint64_t code = reader.next();
        std::size_t length = 1;
        if (code >= FirstFreeCode) {
            std::uint64_t entry = code - FirstFreeCode;
            // Before the i-th code the entries 0 .. i-2 exist and i-1 is the next free one.
            if (entry >= i) return std::nullopt;
            length = starts[entry + 1] - starts[entry] + 1;
        }
        if (starts[i] + length > MaxDecodedSize) return std::nullopt;
        starts.push_back(static_cast<std::uint32_t>(starts[i] + length));
    }
    return starts;
}

// Output buffers get this many spare bytes so that strings can be copied in whole chunks.
constexpr std::size_t ChunkSize = 16;

// Copies in whole chunks, so it may write up to ChunkSize - 1 bytes past `length`. The source
// always starts at least `length` bytes before the target and every byte before the target is
// final, so each byte that matters is read after it was written; the bytes past `length` belong
// to later strings (or the spare bytes at the end) and are written again.
void copychunks(UInt8* target, const UInt8* source, std::size_t length) {
    for (std::size_t done = 0; done < length; done += ChunkSize) {
        UInt8 chunk[ChunkSize];
        std::memcpy(chunk, source + done, ChunkSize);
        std::memcpy(target + done, chunk, ChunkSize);
    }
}

// Writes the string of every code at its start. An entry's last byte is the first byte of the
// string that follows its prefix, which for the next free code is the byte just written.
void copycodes(CodeReader reader, const Starts& starts, Bytes& out) {
    UInt8* base = out.data();
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        std::uint64_t code = reader.next();
        UInt8* target = base + starts[i];
        if (code < FirstFreeCode) {
            *target = static_cast<UInt8>(code);
            continue;
        }
        std::size_t entry = code - FirstFreeCode;
        std::size_t length = starts[i + 1] - starts[i];
        copychunks(target, base + starts[entry], length - 1);
        target[length - 1] = base[starts[entry + 1]];
    }
}

// Maps (prefix code, next byte) to a dictionary code by open addressing; 0 means absent, which
// no dictionary code can be.
class PairTable {
  public:
    explicit PairTable(std::size_t entries)
        : slots_(std::max<std::size_t>(16, std::bit_ceil(entries * 2))),
          shift_(64 - std::countr_zero(slots_.size())) {}

    std::uint32_t find(std::uint64_t prefix, UInt8 byte) const {
        std::uint64_t key = makekey(prefix, byte);
        for (std::size_t i = slotof(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].key == key) return slots_[i].code;
            if (slots_[i].key == 0) return 0;
        }
    }

    void insert(std::uint64_t prefix, UInt8 byte, std::uint32_t code) {
        std::uint64_t key = makekey(prefix, byte);
        std::size_t i = slotof(key);
        while (slots_[i].key != 0)
            i = (i + 1) & (slots_.size() - 1);
        slots_[i] = {key, code};
    }

  private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t code = 0;
    };
    static std::uint64_t makekey(std::uint64_t prefix, UInt8 byte) {
        return ((prefix << 8) | byte) + 1;
    }
    std::size_t slotof(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    std::vector<Slot> slots_;
    int shift_;
};

std::vector<std::uint32_t> encodecodes(const Bytes& data) {
    std::vector<std::uint32_t> codes;
    PairTable table(data.size());
    std::uint32_t prefix = data[0];
    std::uint32_t nextcode = FirstFreeCode;
    for (std::size_t i = 1; i < data.size(); ++i) {
        if (std::uint32_t known = table.find(prefix, data[i])) {
            prefix = known;
            continue;
        }
        codes.push_back(prefix);
        table.insert(prefix, data[i], nextcode++);
        prefix = data[i];
    }
    codes.push_back(prefix);
    return codes;
}

// The smallest width that holds the largest code and whose zero padding in the last byte is
// shorter than one code (a width of 8 always qualifies for codes below 256).
Int smallestwidth(std::size_t count, std::uint32_t maxcode) {
    Int width = std::max<Int>(1, std::bit_width(maxcode));
    auto padding = [count](Int w) { return (8 - static_cast<Int>((count * w) % 8)) % 8; };
    while (padding(width) >= width)
        ++width;
    return width;
}

Bytes packcodes(const std::vector<std::uint32_t>& codes, Int width) {
    Bytes packed;
    packed.reserve((codes.size() * width + 7) / 8);
    std::uint64_t accumulator = 0;
    Int bits = 0;
    for (std::uint32_t code : codes) {
        accumulator = (accumulator << width) | code;
        bits += width;
        for (; bits >= 8; bits -= 8)
            packed.push_back(static_cast<UInt8>(accumulator >> (bits - 8)));
    }
    if (bits > 0) packed.push_back(static_cast<UInt8>(accumulator << (8 - bits)));
    return packed;
}

// Codes narrower than 9 bits can only name single bytes: each code is one byte of the output.
Bytes literalcodes(CodeReader reader) {
    Bytes out(reader.count());
    for (UInt8& byte : out)
        byte = static_cast<UInt8>(reader.next());
    return out;
}

} // namespace

Bytes lzwdecode(std::span<const UInt8> packed, Int width) {
    if (width < 1 || width > MaxCodeWidth) return {};
    CodeReader reader(packed, static_cast<unsigned>(width));
    // Every code gives at least one byte, so a stream with more codes than the cap allows is
    // refused before anything is reserved for it.
    if (reader.count() == 0 || reader.count() > MaxDecodedSize) return {};
    if (width < 9) return literalcodes(reader);
    auto starts = layoutcodes(reader);
    if (!starts) return {};
    Bytes out(starts->back() + ChunkSize);
    copycodes(reader, *starts, out);
    out.resize(starts->back());
    return out;
}

Bytes lzwdecode(const Bytes& packed, Int width) {
    return lzwdecode(std::span<const UInt8>(packed), width);
}

LzwStream lzwencode(const Bytes& data) {
    if (data.empty()) return {};
    std::vector<std::uint32_t> codes = encodecodes(data);
    Int width = smallestwidth(codes.size(), *std::max_element(codes.begin(), codes.end()));
    return {width, packcodes(codes, width)};
}

} // namespace mdx
