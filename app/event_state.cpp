#include "app/event_state.h"

namespace mdx {

ApplicationState& app(Runtime& runtime) {
    std::call_once(runtime.ApplicationMade,
                   [&runtime] { runtime.Application = std::make_shared<ApplicationState>(); });
    return *runtime.Application;
}

ApplicationState& app() {
    return app(rt());
}

} // namespace mdx
