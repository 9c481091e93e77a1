// What tracing costs on the key path when it is off (the message or scope is filtered out), and what
// a written line costs for comparison.
#include "support/LMDebug.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"

#include <benchmark/benchmark.h>

namespace {

struct Attached {
    Attached() {
        lm::TraceSetPlatform(&proc, &clock);
        lm::TraceInitEx(3);
    }
    ~Attached() {
        lm::TraceTerminateThread(proc.tid, true);
        lm::TraceSetPlatform(nullptr, nullptr);
    }
    lm::test::FakeProcess proc;
    lm::test::FakeClock clock;
};

void BM_FilteredMessage(benchmark::State& state) {
    Attached trace;
    for (auto _ : state)
        lm::TraceMessage(lm::kTraceInfo, lm::kTraceAllContexts, L"key %d from source %ls\n", 42, L"USB");
}
BENCHMARK(BM_FilteredMessage);

void BM_FilteredScope(benchmark::State& state) {
    Attached trace;
    for (auto _ : state) {
        lm::CLMTraceScope scope(lm::kTraceInfo, lm::kTraceAllContexts, L"CRemoteApp::HandleIrEvent", L"%d", 42);
        benchmark::DoNotOptimize(&scope);
    }
}
BENCHMARK(BM_FilteredScope);

void BM_WrittenMessage(benchmark::State& state) {
    Attached trace;
    for (auto _ : state) {
        lm::TraceMessage(lm::kTraceMsg, lm::kTraceAllContexts, L"key %d from source %ls\n", 42, L"USB");
        if (trace.proc.debugger.size() > 10000)
            trace.proc.debugger.clear();
    }
}
BENCHMARK(BM_WrittenMessage);

} // namespace

BENCHMARK_MAIN();
