// Input of HID remote controls on Windows: a hidden window on a thread of its own registers for the raw
// input of the remote's collections with RIDEV_INPUTSINK (so that the reports arrive while another
// program is in front) and as a shell hook window (so that it hears the application commands that the
// window in front left unhandled). With `consume`, a low-level keyboard hook takes away the media and
// volume keys that the system makes of consumer-control reports, so that the program in front does not
// act on a key the remote's command set already handles; keys that programs inject pass.
//
// Tests cannot synthesise WM_INPUT: the window also takes kWmTestReport, whose wParam holds usage page
// (high word) and usage (low word) and whose lParam points to a tagHIDTESTREPORT, and hands the report
// to the same code.
#include "platform/HidInput.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <vector>

namespace lm {

namespace {

constexpr const wchar_t* kWindowClass = L"LumoraHidRemoteInput";

std::atomic<bool> gConsuming{false};
HHOOK gHook = nullptr;

bool IsMediaKey(DWORD vk) {
    switch (vk) {
    case VK_VOLUME_MUTE:
    case VK_VOLUME_DOWN:
    case VK_VOLUME_UP:
    case VK_MEDIA_NEXT_TRACK:
    case VK_MEDIA_PREV_TRACK:
    case VK_MEDIA_STOP:
    case VK_MEDIA_PLAY_PAUSE:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && gConsuming.load()) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if ((key->flags & LLKHF_INJECTED) == 0 && IsMediaKey(key->vkCode))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Win32HidInput final : public IHidInput {
public:
    ~Win32HidInput() override { Stop(); }

    bool DevicePresent(const std::vector<tagHIDCOLLECTION>& collections) override {
        UINT count = 0;
        if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0)
            return false;
        std::vector<RAWINPUTDEVICELIST> devices(count);
        UINT got = GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST));
        if (got == static_cast<UINT>(-1))
            return false;
        for (UINT i = 0; i < got; ++i) {
            tagHIDCOLLECTION c{};
            if (devices[i].dwType == RIM_TYPEHID && CollectionOf(devices[i].hDevice, c))
                for (const tagHIDCOLLECTION& wanted : collections)
                    if (wanted.usagePage == c.usagePage && wanted.usage == c.usage)
                        return true;
        }
        return false;
    }

    bool Start(const std::vector<tagHIDCOLLECTION>& collections, IHidInputSink& sink, bool consume) override {
        Stop();
        collections_ = collections;
        sink_ = &sink;
        consume_ = consume;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, ThreadStart, this, 0, &threadId_);
        if (!thread_) {
            CloseHandle(ready_);
            return false;
        }
        WaitForSingleObject(ready_, INFINITE);
        CloseHandle(ready_);
        if (!started_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return started_;
    }

    void Stop() override {
        if (!thread_)
            return;
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
        started_ = false;
    }

private:
    static bool CollectionOf(HANDLE device, tagHIDCOLLECTION& collection) {
        RID_DEVICE_INFO info{};
        info.cbSize = sizeof(info);
        UINT size = sizeof(info);
        if (GetRawInputDeviceInfoW(device, RIDI_DEVICEINFO, &info, &size) == static_cast<UINT>(-1) ||
            info.dwType != RIM_TYPEHID)
            return false;
        collection = {info.hid.usUsagePage, info.hid.usUsage};
        return true;
    }

    static DWORD WINAPI ThreadStart(LPVOID self) {
        static_cast<Win32HidInput*>(self)->Run();
        return 0;
    }

    void Run() {
        HINSTANCE module = GetModuleHandleW(nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = module;
        wc.lpszClassName = kWindowClass;
        RegisterClassW(&wc); // fails harmlessly when a former input registered it
        HWND window =
            CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, this);
        std::vector<RAWINPUTDEVICE> devices;
        for (const tagHIDCOLLECTION& c : collections_)
            devices.push_back(RAWINPUTDEVICE{c.usagePage, c.usage, RIDEV_INPUTSINK, window});
        started_ = window && RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                                     sizeof(RAWINPUTDEVICE));
        if (started_) {
            shellMessage_ = RegisterWindowMessageW(L"SHELLHOOK");
            RegisterShellHookWindow(window);
            if (consume_ && !gHook) {
                gHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, module, 0);
                gConsuming = gHook != nullptr;
            }
        }
        SetEvent(ready_);
        MSG msg;
        while (started_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (started_) {
            if (gConsuming.exchange(false) && gHook) {
                UnhookWindowsHookEx(gHook);
                gHook = nullptr;
            }
            DeregisterShellHookWindow(window);
            for (RAWINPUTDEVICE& d : devices)
                d.dwFlags = RIDEV_REMOVE, d.hwndTarget = nullptr;
            RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                    sizeof(RAWINPUTDEVICE));
        }
        if (window)
            DestroyWindow(window);
    }

    void TakeRawInput(HRAWINPUT handle) {
        UINT size = 0;
        if (GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0 || size == 0)
            return;
        std::vector<uint8_t> buffer(size);
        if (GetRawInputData(handle, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) ==
            static_cast<UINT>(-1))
            return;
        const auto* input = reinterpret_cast<const RAWINPUT*>(buffer.data());
        if (input->header.dwType != RIM_TYPEHID)
            return;
        auto known = devices_.find(input->header.hDevice);
        if (known == devices_.end()) {
            tagHIDCOLLECTION c{};
            if (!CollectionOf(input->header.hDevice, c))
                return;
            known = devices_.emplace(input->header.hDevice, c).first;
        }
        const RAWHID& hid = input->data.hid;
        const size_t available = size - offsetof(RAWINPUT, data.hid.bRawData);
        for (DWORD i = 0; i < hid.dwCount && (i + 1) * static_cast<size_t>(hid.dwSizeHid) <= available; ++i)
            sink_->OnHidReport(known->second, hid.bRawData + i * hid.dwSizeHid, hid.dwSizeHid);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(
                window, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<Win32HidInput*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            if (message == WM_INPUT) {
                self->TakeRawInput(reinterpret_cast<HRAWINPUT>(lParam));
            } else if (message == kWmTestReport && lParam) {
                const auto* report = reinterpret_cast<const tagHIDTESTREPORT*>(lParam);
                self->sink_->OnHidReport(
                    tagHIDCOLLECTION{HIWORD(static_cast<DWORD>(wParam)), LOWORD(static_cast<DWORD>(wParam))},
                    report->data, report->size);
                return 1;
            } else if (message == WM_APPCOMMAND) {
                self->sink_->OnAppCommand(GET_APPCOMMAND_LPARAM(lParam));
                return TRUE;
            } else if (message == self->shellMessage_ && self->shellMessage_ != 0 &&
                       wParam == HSHELL_APPCOMMAND) {
                self->sink_->OnAppCommand(GET_APPCOMMAND_LPARAM(lParam));
                return TRUE;
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::vector<tagHIDCOLLECTION> collections_;
    IHidInputSink* sink_ = nullptr;
    bool consume_ = false;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    bool started_ = false;
    UINT shellMessage_ = 0;
    std::map<HANDLE, tagHIDCOLLECTION> devices_; // window thread only
};

class Win32HidInputs final : public IHidInputs {
public:
    std::unique_ptr<IHidInput> NewInput() override { return std::make_unique<Win32HidInput>(); }
};

} // namespace

IHidInputs& NativeHidInputs() {
    static Win32HidInputs inputs;
    return inputs;
}

} // namespace lm
