// The batch run's JSON form ("--batch --json"): the report's lines keyed by their German labels
// in screen order, values as the screen shows them (an array for a label that comes more than
// once), and the two benchmark figures as numbers.
//
//   {"Hardware": "MacBook Pro", ..., "Multi-Core": "12,34 GFLOPs",
//    "GFLOPs": {"Single-Core": 3.21, "Multi-Core": 12.34}}
#pragma once

#include <optional>
#include <string>

namespace mdx::qt {

// The JSON text, ending with a line feed, of the report on the screen: the record of the run
// that made it, else the facts read from the screen text as the batch prints it (an opened
// report). Nothing when the screen shows no report line (a failed run, a file that is no report).
std::optional<std::string> batchjson(const std::string& screentext);

} // namespace mdx::qt
