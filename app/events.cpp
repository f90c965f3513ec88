#include "app/events.h"

namespace mdx {

// No key event reaches the program yet: the key queue is filled by the window layer's views,
// which do not deliver keys so far. With no last key there is nothing to pause for.
bool t_KeyPause(UInt8 code, bool wait) {
    (void)code;
    (void)wait;
    return false;
}

} // namespace mdx
