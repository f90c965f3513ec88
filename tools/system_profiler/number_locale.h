// The decimal separator of the user's regional format, and quantities written with it.
#pragma once

#include <string>
#include <string_view>

namespace mdx::sysprof {

// The decimal separator of a locale name such as "de_DE.UTF-8" (',') or "C" ('.'), decided from
// the name alone, so that it holds whether or not that locale is installed here.
char decimalpointof(std::string_view localename);

// The separator of the numeric locale that the first set one of LC_ALL, LC_NUMERIC and LANG
// names (null or empty counts as unset); '.' when none is set.
char decimalpoint(const char* lcall, const char* lcnumeric, const char* lang);

// A quantity written with point as its decimal separator: every '.' between two digits is
// replaced, so "2.5 GT/s" gives "2,5 GT/s" for ','.
std::string withdecimalpoint(std::string_view quantity, char point);

} // namespace mdx::sysprof
