// The target application receives synthesised keystrokes and logs them: the basis of the executor tests.
#include "WinTestSupport.h"

#include "TargetIds.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using namespace wintest;

void SendKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
}

TEST(TargetApp, SendInputKeystrokeReachesTheFrontWindowAndIsLogged) {
    std::wstring dir = NewTempDir(L"target");
    std::wstring log = dir + L"\\target.log";
    ChildProcess target;
    ASSERT_TRUE(target.Start(BinDir() + L"\\TargetApp.exe", L"-log \"" + log + L"\""));
    HWND hwnd = target.WaitForWindow(kTargetClass);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find("START") != std::string::npos; }));
    ASSERT_TRUE(BringToFront(hwnd));
    SendKey('Q');
    EXPECT_TRUE(WaitFor([&] {
        std::string text = ReadFile(log);
        return text.find("KEYDOWN 81") != std::string::npos && text.find("KEYUP 81") != std::string::npos;
    })) << ReadFile(log);

    // Menu commands and system commands posted to it are logged as well.
    PostMessageW(hwnd, WM_COMMAND, kMenuPlay, 0);
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] {
        std::string text = ReadFile(log);
        return text.find("MENU 201") != std::string::npos && text.find("SYSCOMMAND 0xF030") != std::string::npos;
    })) << ReadFile(log);
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(hwnd) != FALSE; }));

    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(target.WaitExit(10000), 0u);
}

} // namespace
} // namespace lm
