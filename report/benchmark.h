// Floating-point throughput of the machine: timed chains of double additions of 1.0, on the
// program thread and on one worker per active processor.
#pragma once

#include <cstdint>

#include "base/types.h"

namespace mdx {

// GFLOPs of one core, with 0.005 already added so that the two-decimal text rounds half up.
// Writes one character to the log.
double singlecorebenchmark();
// GFLOPs of all cores together, one worker per processor (at least one); the caller adds 0.005.
// Writes one character to the log.
double multicorebenchmark(Int processors);

// Workers of a multi-core measurement: one per processor, but no more than the processors the
// process may run on, and at least one.
Int benchmarkworkers(Int processors);
// The measured loop: `count` additions of 1.0 to 0.0, each on the result of the one before.
double addones(std::uint64_t count);
// Additions per measurement and per worker: MIRADEX_BENCH_ADDITIONS when it holds a whole number
// from 0 to 1e15, else 1e10.
std::uint64_t benchmarkadditions();
// Additions per microsecond divided by 1000; an elapsed time below one microsecond counts as one.
double gigaflops(double additions, Int elapsedMicroseconds);
// The log character for an accumulator: "." from 1 up, "-" for 0 (after cutting the fraction),
// "," below.
char accumulatormark(double accumulator);

} // namespace mdx
