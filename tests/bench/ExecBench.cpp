// What one keyboard command costs from the executor to its last input record, and what the window
// search costs over the desktop's list, both on the simulated desktop (no system calls): the figures
// are the executor's own share of the work.
#include "exec/CmdExecutor.h"

#include "fakes/FakeAudio.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeThreads.h"

#include <benchmark/benchmark.h>

namespace {

using lm::test::FakeDesktop;

// `windows` top-level windows of `windows / 2` processes; the searched application comes last.
void Populate(FakeDesktop& desktop, int windows) {
    for (int i = 0; i + 1 < windows; ++i) {
        uint32_t pid = static_cast<uint32_t>(100 + i / 2);
        if (!desktop.processes.count(pid))
            desktop.AddProcess(pid, L"C:\\Program Files\\Vendor\\app" + std::to_wstring(pid) + L".exe");
        desktop.AddTopLevel(L"Window " + std::to_wstring(i), L"Class" + std::to_wstring(i % 7), pid);
    }
    desktop.AddProcess(9999, L"C:\\Apps\\Target\\TargetApp.exe");
    desktop.AddTopLevel(L"Target Application", L"TargetAppWindow", 9999);
}

void BM_KeyCommand(benchmark::State& state) {
    FakeDesktop desktop;
    Populate(desktop, 20);
    lm::test::FakeClock clock;
    lm::test::FakeThreads threads(&clock);
    lm::test::FakeAudio audio;
    lm::test::FakePower power;
    lm::test::FakeShutdownWarning warning;
    lm::test::FakeStrings strings;
    lm::CCmdExecutor exec(lm::ExecServices{desktop, threads, audio, power, warning, strings});
    lm::tagAPPREF app{L"TargetApp.exe", L"", L"", L""};
    lm::tagWINCMD command;
    command.nType = lm::CMD_KEY;
    command.nSubType = 'S';
    command.nParam = lm::MOD_KEY_CTRL;
    for (auto _ : state) {
        desktop.inputs.clear();
        desktop.log.clear();
        benchmark::DoNotOptimize(exec.ExecuteCommand(command, &app));
    }
    state.counters["records"] = static_cast<double>(desktop.inputs.size());
}
BENCHMARK(BM_KeyCommand);

void BM_FindWindowByExecutable(benchmark::State& state) {
    FakeDesktop desktop;
    Populate(desktop, static_cast<int>(state.range(0)));
    lm::CLMFindWindow finder(desktop);
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.FindWindow(L"", L"targetapp.exe", false));
}
BENCHMARK(BM_FindWindowByExecutable)->Arg(20)->Arg(200);

} // namespace
