// Window update and the refresh thread.
#pragma once

namespace mdx {

// The body of the refresh thread, started by the first t_InitWindow.
void t_WindowAutoUpdateProcess();

} // namespace mdx
