// IdleWindow: a trivial Windows program for the idle-cost tool (tools/idle-cost). It loads the DLLs
// named on its command line, makes one hidden window and waits for messages, so that its memory is
// what the system DLLs cost by themselves.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    int loaded = 0;
    for (int i = 1; args && i < count; ++i)
        loaded += LoadLibraryW(args[i]) ? 1 : 0;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"IdleWindow";
    RegisterClassExW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"Idle", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                    instance, nullptr);
    wchar_t text[64];
    swprintf(text, 64, L"IdleWindow: %d of %d DLLs loaded\n", loaded, count - 1);
    OutputDebugStringW(text);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
