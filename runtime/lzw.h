// LZW with a fixed code width, no clear or end code and an unbounded dictionary, codes packed
// most significant bit first.
#pragma once

#include <span>

#include "base/types.h"

namespace mdx {

// Decodes packed codes of `width` bits. An invalid code (neither known nor the next free one),
// a first code above 255, a width outside 1..32, or an output above 64 MiB gives an empty result.
Bytes lzwdecode(const Bytes& packed, Int width);
Bytes lzwdecode(std::span<const UInt8> packed, Int width);

struct LzwStream {
    Int Width = 0; // bits per code
    Bytes Packed;  // the codes, packed most significant bit first
};

// The exact inverse of lzwdecode: encodes with the smallest code width that holds every code and
// whose padding at the end of the last byte is too short to read as one more code. Empty data
// gives Width 0 and no bytes, which lzwdecode turns back into empty data.
LzwStream lzwencode(const Bytes& data);

} // namespace mdx
