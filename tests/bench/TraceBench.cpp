// What tracing costs on the key path when it is off (the message is filtered out), and what a written
// line costs for comparison.
#include "support/LMDebug.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"

#include <benchmark/benchmark.h>

namespace {

// The benchmark's thread attached at the program's default verbosity.
struct Attached {
    lm::test::FakeClock clock;
    lm::test::TraceCapture capture{clock, 3};
};

void BM_FilteredMessage(benchmark::State& state) {
    Attached trace;
    for (auto _ : state)
        lm::TraceMessage(lm::kTraceInfo, lm::kTraceAllContexts, L"key %d from source %ls\n", 42, L"USB");
}
BENCHMARK(BM_FilteredMessage);

void BM_WrittenMessage(benchmark::State& state) {
    Attached trace;
    for (auto _ : state) {
        lm::TraceMessage(lm::kTraceMsg, lm::kTraceAllContexts, L"key %d from source %ls\n", 42, L"USB");
        if (trace.capture.proc.debugger.size() > 10000)
            trace.capture.proc.debugger.clear();
    }
}
BENCHMARK(BM_WrittenMessage);

} // namespace

BENCHMARK_MAIN();
