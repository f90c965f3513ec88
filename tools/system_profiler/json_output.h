// The profiler's JSON form ("-json"): one object with one array per data type asked for, in
// the order asked. Each section is an object with its name under "_name", its keys as in the
// text form with their values as printed (strings), each group as an object under its name, a
// compact list as an array under its title, and its subsections as an array under "_items".
//
//   {"SPHardwareDataType": [{"_name": "Hardware Overview", "Model Name": "...", ...}], ...}
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/system_profiler/output.h"

namespace mdx::sysprof {

// A data type's name ("SPHardwareDataType") and its sections.
using TypeSections = std::pair<std::string, std::vector<Section>>;

// The whole JSON text, ending with a line feed. Measures are written with the decimal separator
// point as in the text form; bytes that are not UTF-8 become U+FFFD, so the text is valid JSON
// whatever a value holds.
std::string renderjson(const std::vector<TypeSections>& types, char point = '.');

} // namespace mdx::sysprof
