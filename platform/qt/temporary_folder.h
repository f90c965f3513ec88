// The temporary folder of the process, settled before Qt starts: the hand-over's folder and Qt's
// runtime folder are made inside it, so a TMPDIR that names no usable folder (Qt then takes ""
// and builds its paths at the root of the file system) must not reach them.
#pragma once

#include <string>

namespace mdx::qt {

// Where nothing can be made: TMPDIR names it when no temporary folder is usable, so that every
// folder meant for the temporary folder fails to be made instead of landing somewhere else.
inline constexpr const char* NoTemporaryFolder = "/dev/null";
inline constexpr const char* SystemTemporaryFolder = "/tmp";

// tmpdir when it is usable, else fallback when that is, else NoTemporaryFolder. Usable: an
// absolute path of a folder other than the root of the file system that this user may enter and
// write. A null tmpdir counts as unusable.
std::string choosetemporaryfolder(const char* tmpdir, const char* fallback = SystemTemporaryFolder);

// Sets TMPDIR to the folder chosen for the current TMPDIR. Call before the QApplication exists.
void settletemporaryfolder();

} // namespace mdx::qt
