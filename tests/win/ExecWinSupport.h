// Helpers of the Windows tests of the command executors: a thread with a message loop that owns test
// windows, waiting for conditions, and the programs under test.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <memory>
#include <thread>
#include <vector>

namespace lm::wintest {

// Polls the condition until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        // Let this thread's own windows (if any) see their messages while waiting.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

// A thread that dispatches messages and runs work on itself, like a program's user-interface thread.
class UiThread {
public:
    UiThread() {
        std::promise<DWORD> started;
        auto id = started.get_future();
        thread_ = std::thread([this, &started] {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // create the queue
            started.set_value(GetCurrentThreadId());
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.hwnd == nullptr && msg.message == kRun) {
                    auto* work = reinterpret_cast<std::function<void()>*>(msg.lParam);
                    (*work)();
                    continue;
                }
                if (dialog_ && IsDialogMessageW(dialog_, &msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        });
        threadId_ = id.get();
    }
    ~UiThread() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    // Runs the work on the thread and waits for it.
    void Run(std::function<void()> work) {
        std::promise<void> done;
        std::function<void()> wrapped = [&] {
            work();
            done.set_value();
        };
        PostThreadMessageW(threadId_, kRun, 0, reinterpret_cast<LPARAM>(&wrapped));
        done.get_future().wait();
    }
    // Posts the work and returns at once (for work that runs a modal loop).
    void Start(std::function<void()> work) {
        auto* heap = new std::function<void()>(std::move(work));
        PostThreadMessageW(threadId_, kRun, 0, reinterpret_cast<LPARAM>(heap));
        pending_.emplace_back(heap);
    }
    DWORD Id() const { return threadId_; }
    void SetDialog(HWND dialog) { dialog_ = dialog; }

private:
    static constexpr UINT kRun = WM_APP + 77;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND dialog_ = nullptr;
    std::vector<std::unique_ptr<std::function<void()>>> pending_;
};

// Folder of the test executables.
inline std::wstring BinDir() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"LM_BIN_DIR", buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        std::wstring dir = buffer;
        if (!dir.empty() && dir[0] == L'/') // a host path: Wine shows the host's root as drive Z
            dir = L"Z:" + dir;
        for (wchar_t& c : dir)
            if (c == L'/')
                c = L'\\';
        return dir;
    }
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path = buffer;
    return path.substr(0, path.find_last_of(L"\\/"));
}

} // namespace lm::wintest
