// The system_profiler command: its data types and its command line.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace mdx::sysprof {

struct Context;

// The data types in the order "-listDataTypes" names them and a run without arguments prints.
const std::vector<std::string>& datatypes();

// The text of one data type for the root being read; empty for unknown types and for
// hardware the machine does not have.
std::string profile(const Context& context, std::string_view datatype);

// The whole command: arguments without the program name, the root directory named by the
// environment (empty for "/"), the streams to write to, the user's decimal separator. Returns
// the exit status.
int runprofiler(const std::vector<std::string>& arguments, const std::string& environmentroot,
                std::ostream& out, std::ostream& err, char decimalpoint = '.');

} // namespace mdx::sysprof
