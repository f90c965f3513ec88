// The report program's part of a runtime: what the report keeps from one menu choice to the
// next. It lives and ends with the runtime (runtime/state.h), so a fresh runtime forgets it.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "report/report_facts.h"
#include "runtime/state.h"

namespace mdx {

struct ReportState {
    // The model name of the current report (report.h modelname()); program thread only.
    std::string ModelName;
    // The profiler's list of data types, filled by the first profiler call that gets any output.
    std::mutex DataTypeListLock; // guards DataTypeList
    std::string DataTypeList;
    // The record of the report window 0 shows (report.h shownreportfacts()); the batch run reads
    // it from the main thread once the program thread is idle.
    std::mutex FactsLock; // guards Facts
    std::optional<ReportFacts> Facts;
};

// The report state of a runtime (the current one by default), made on first use.
ReportState& reportstate(Runtime& runtime);
ReportState& reportstate();

} // namespace mdx
