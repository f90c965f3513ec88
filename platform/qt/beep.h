// The short warning sound.
#pragma once

namespace mdx::qt {

// Plays the warning sound; for now the desktop's own bell.
void warningsound();

} // namespace mdx::qt
