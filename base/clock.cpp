#include "base/clock.h"

#include <chrono>

namespace mdx {
namespace {

// 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
constexpr Int ReferenceDate = 978307200;

} // namespace

Int absolutetimeus() {
    using namespace std::chrono;
    const Int unixus = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return unixus - ReferenceDate * 1000000;
}

Int absolutetimems() {
    return absolutetimeus() / 1000;
}

} // namespace mdx
