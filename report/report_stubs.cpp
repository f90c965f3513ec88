// Stand-ins for the report program until it arrives: each says that it is not there yet.
#include "report/report_hooks.h"
#include "runtime/log.h"

namespace mdx {

void runreport() {
    logline("runreport: Not available yet.");
}

void openreport(const std::string&) {
    logline("openreport: Not available yet.");
}

void importrevarud(const std::string&) {
    logline("importrevarud: Not available yet.");
}

void importrevarud6400(const std::string&) {
    logline("importrevarud6400: Not available yet.");
}

void importrevarud8192(const std::string&) {
    logline("importrevarud8192: Not available yet.");
}

void savereport() {
    logline("savereport: Not available yet.");
}

} // namespace mdx
