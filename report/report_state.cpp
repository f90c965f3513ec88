#include "report/report_state.h"

namespace mdx {

ReportState& reportstate(Runtime& runtime) {
    std::call_once(runtime.ReportMade,
                   [&runtime] { runtime.Report = std::make_shared<ReportState>(); });
    return *runtime.Report;
}

ReportState& reportstate() {
    return reportstate(rt());
}

} // namespace mdx
