// LZW with a fixed code width, no clear or end code and an unbounded dictionary, codes packed
// most significant bit first.
#pragma once

#include "runtime/types.h"

namespace mdx {

// Decodes packed codes of `width` bits. An invalid code (neither known nor the next free one),
// a first code above 255, or a width outside 1..32 gives an empty result.
Bytes lzwdecode(const Bytes& packed, Int width);

struct LzwStream {
    Int Width = 0; // bits per code
    Bytes Packed;  // the codes, packed most significant bit first
};

// The exact inverse of lzwdecode: encodes with the smallest code width that holds every code.
LzwStream lzwencode(const Bytes& data);

} // namespace mdx
