#include "app/event_state.h"

#include "app/program_work.h"

namespace mdx {

ApplicationState& app(Runtime& runtime) {
    std::call_once(runtime.ApplicationMade,
                   [&runtime] { runtime.Application = std::make_shared<ApplicationState>(); });
    return *runtime.Application;
}

ApplicationState& app() {
    return app(rt());
}

void setprogramwork(std::shared_ptr<ProgramWork> work) {
    ApplicationState& a = app();
    std::lock_guard guard(a.WorkLock);
    a.Work = std::move(work);
}

std::shared_ptr<ProgramWork> programwork(Runtime& runtime) {
    ApplicationState& a = app(runtime);
    std::lock_guard guard(a.WorkLock);
    return a.Work;
}

} // namespace mdx
