// Input events of the program: key, mouse and file events and their queues.
#pragma once

#include "runtime/types.h"

namespace mdx {

// Output pause: when the last key typed was `code` (19 is control-S), returns true and, with
// wait, holds the calling thread until another key or a menu choice arrives. Must not be called
// on the main thread.
bool t_KeyPause(UInt8 code, bool wait);

} // namespace mdx
