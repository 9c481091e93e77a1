// Helpers of the Windows tests: the folder of the built programs, child processes, windows, logs.
#pragma once
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <future>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace lm::wintest {

// Folder of RemoteControl.exe, TargetApp.exe and the test executable.
inline std::wstring BinDir() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"LM_BIN_DIR", buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return buffer;
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path = buffer;
    return path.substr(0, path.find_last_of(L"\\/"));
}

// A fresh, empty folder below the temporary folder; it goes with everything in it when the program ends.
inline std::wstring NewTempDir(const std::wstring& tag) {
    static struct Made {
        std::vector<std::wstring> dirs;
        ~Made() {
            std::error_code ec;
            for (const std::wstring& dir : dirs)
                std::filesystem::remove_all(dir, ec);
        }
    } made;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    made.dirs.push_back(std::wstring(temp) + L"lmtest-" + tag + L"-" +
                        std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(made.dirs.size()));
    CreateDirectoryW(made.dirs.back().c_str(), nullptr);
    return made.dirs.back();
}

// Polls a condition every 20 ms until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs); !condition();
         std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (std::chrono::steady_clock::now() > end)
            return false;
    return true;
}

inline std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A child process that is ended when the object goes, if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pi_.hProcess) {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi_.hProcess, 99);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    // Starts `exe` with the command line tail `args`; `environment` (NAME=value) is added to ours.
    bool Start(const std::wstring& exe, const std::wstring& args, const std::wstring& envName = L"",
               const std::wstring& envValue = L"") {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!envName.empty())
            SetEnvironmentVariableW(envName.c_str(), envValue.c_str());
        BOOL ok =
            CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
        if (!envName.empty())
            SetEnvironmentVariableW(envName.c_str(), nullptr);
        return ok != FALSE;
    }
    DWORD Id() const { return pi_.dwProcessId; }
    // Waits for the end; returns the exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD timeoutMs) {
        if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }
    // The first visible top-level window of the process with the given class, once there is one.
    HWND WaitForWindow(const std::wstring& cls) const {
        HWND found = nullptr;
        WaitFor(
            [&] {
                while ((found = FindWindowExW(nullptr, found, cls.c_str(), nullptr))) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(found, &pid);
                    if (pid == pi_.dwProcessId && IsWindowVisible(found))
                        return true;
                }
                return false;
            },
            15000);
        return found;
    }

private:
    PROCESS_INFORMATION pi_{};
};

// Makes a window the foreground window, as far as the system lets a test do that.
inline bool BringToFront(HWND hwnd) {
    ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    return WaitFor([&] { return GetForegroundWindow() == hwnd; }, 3000);
}

// Presses the keys in order and lets them go in the reverse order, as one input of the system.
inline void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        input.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(in);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// A left click of the mouse at a point of the screen.
inline void ClickAt(POINT p) {
    SetCursorPos(p.x, p.y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

// A thread that dispatches messages and runs work on itself, like a program's user-interface thread.
class UiThread {
public:
    UiThread() {
        std::promise<DWORD> started;
        auto id = started.get_future();
        thread_ = std::thread([&started] {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // create the queue
            started.set_value(GetCurrentThreadId());
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.hwnd == nullptr && msg.message == kRun) {
                    (*reinterpret_cast<std::function<void()>*>(msg.lParam))();
                    continue;
                }
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
    void Run(const std::function<void()>& work) {
        std::promise<void> done;
        std::function<void()> wrapped = [&] {
            work();
            done.set_value();
        };
        PostThreadMessageW(threadId_, kRun, 0, reinterpret_cast<LPARAM>(&wrapped));
        done.get_future().wait();
    }

private:
    static constexpr UINT kRun = WM_APP + 77;
    std::thread thread_;
    DWORD threadId_ = 0;
};

} // namespace lm::wintest
