#include "runtime/update.h"

namespace mdx {

// The redraw passes arrive with the screen image; until then the thread has nothing to ask for.
void t_WindowAutoUpdateProcess() {}

} // namespace mdx
