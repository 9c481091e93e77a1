// The key path end to end on the real system: a scripted receiver's codes go through the dispatcher,
// the command handler and the real executors into the test target application and notepad; so do the
// keys of the network receiver (from a server in this process) and of the HID remote (its window driven
// with the reports WM_INPUT would carry). The display window lives on a user-interface thread of its
// own; the key sounds are written down.
#include <winsock2.h> // before windows.h

#include "WinTestSupport.h"
#include "LoopbackServer.h"

#include "TargetIds.h"
#include "common/KeyPathRig.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeSound.h"
#include "osd/OsdDlg.h"
#include "platform/Platform.h"
#include "platform/HidInput.h"
#include "platform/Socket.h"
#include "receivers/SrcHidRemote.h"
#include "receivers/SrcIrServer.h"
#include "receivers/SrcScript.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using namespace wintest;
using Clock = std::chrono::steady_clock;

class KeyPathWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring target = BinDir() + L"\\TargetApp.exe";
        log = NewTempDir(L"keys") + L"\\target.log";
        ui.Run(
            [&] { (osd = std::make_unique<COsdDlg>(NativePlatform().clock, tagOSDSETTINGS{}))->Create(); });
        rig = std::make_unique<test::KeyPathRig>(
            tagEXECSERVICES{NativeWindows(), NativeInput(), NativeProcesses(), NativeShell(),
                            NativePlatform().clock, NativePlatform().threads, NativeAudio(), power, warning,
                            strings},
            sound, folders,
            L"[Windows (Standard)]\nExecutable=none.exe\n[Target]\nExecutable=TargetApp.exe\nAppPath=" +
                target + L"\nCommand-line=-log \"" + log +
                L"\"\n221=3,116,0,0,1,1000,200,F5,,\n220=5,0,201,0,0,1000,200,Menu,,\n"
                L"[Notepad]\nExecutable=notepad.exe\nSmsInput=1\n241=3,88,0,0,0,1000,200,X,,\n",
            L"[Software]\n0=Target\n1=Notepad\n");
        rig->files.Put(target, "MZ");
        rig->dispatcher->AttachDisplay(osd.get());
    }
    void TearDown() override {
        Play("");
        rig.reset();
        ui.Run([&] { osd.reset(); });
    }
    // Plays a script of the remote of model 64 through a new scripted receiver (none for an empty one).
    void Play(const std::string& script) {
        if (source)
            rig->dispatcher->ReceiverFreeing(*source);
        source.reset();
        ReceiverScript parsed;
        std::wstring error;
        if (script.empty() || !ParseReceiverScript("model 64\n" + script, parsed, error))
            return;
        source = std::make_unique<CSrcScript>(
            tagSRCSERVICES{NativePlatform().clock, NativePlatform().threads, nullptr}, parsed);
        ASSERT_EQ(source->Init(rig->dispatcher.get(), CKeyDispatcher::IrEventCallback), 1);
    }
    void Set(bool exclusive) {
        rig->settings.Change(
            [&](tagSETTINGS& s) { s.exclusive = exclusive, s.exclusiveApplication = L"Target"; });
    }
    HWND Start(ChildProcess& process, const std::wstring& exe, const std::wstring& args, const wchar_t* cls) {
        EXPECT_TRUE(process.Start(exe, args));
        return process.WaitForWindow(cls);
    }
    size_t Count(const std::string& line) {
        std::string text(1, '\n'), wanted(1, '\n');
        text += ReadFile(log), wanted.append(line).append(1, '\n');
        size_t n = 0;
        for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1))
            ++n;
        return n;
    }
    bool Logged(const std::string& line, size_t times = 1) {
        return WaitFor([&] { return Count(line) >= times; }, 5000);
    }
    bool Shows(HWND notepad, const std::wstring& wanted, int timeoutMs = 5000) {
        wchar_t text[64] = {};
        HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
        return WaitFor(
            [&] {
                return SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text)), wanted == text;
            },
            timeoutMs);
    }
    HWND StartTarget() {
        return Start(target, BinDir() + L"\\TargetApp.exe", L"-log \"" + log + L"\"", kTargetClass);
    }

    test::FakeKnownFolders folders;
    test::FakeStrings strings;
    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeSound sound;
    UiThread ui;
    std::unique_ptr<COsdDlg> osd;
    std::unique_ptr<test::KeyPathRig> rig;
    // Makes `next` the running source.
    void Use(std::unique_ptr<CSrc> next) {
        Play("");
        source = std::move(next);
        ASSERT_EQ(source->Init(rig->dispatcher.get(), CKeyDispatcher::IrEventCallback), 1);
    }
    std::unique_ptr<CSrc> source;
    ChildProcess target, notepadProcess;
    std::wstring log;
};

TEST_F(KeyPathWinTest, KeysReachNotepadTheExclusiveTargetAndMultiTapTypesText) {
    // Notepad is the first running entry of the main menu: its set takes over and types there.
    HWND notepad = Start(notepadProcess, NativeKnownFolders().Folder(KnownFolder::System) + L"\\notepad.exe",
                         L"", L"Notepad");
    ASSERT_TRUE(notepad && BringToFront(notepad));
    Play("key 241 100\n");
    EXPECT_TRUE(Shows(notepad, L"X"));
    // Exclusive: the target's keystroke and menu item while notepad stays in front.
    HWND window = StartTarget();
    ASSERT_TRUE(window && BringToFront(notepad));
    Set(true);
    Play("key 221 100\npause 200\nkey 220 100\n");
    EXPECT_TRUE(Logged("KEYDOWN 116") && Logged("MENU 201"));

    // Without the target, a key without a command only sounds, and makes notepad's set active again.
    Set(false);
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_NE(target.WaitExit(10000), STILL_ACTIVE);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sound.Take();
    const std::wstring shown = osd->Model().Frame().text;
    Play("key 162 100\n");
    std::vector<std::wstring> played;
    EXPECT_TRUE(WaitFor([&] { return (played = sound.Take()).size() > 0; }));
    EXPECT_EQ(played, std::vector<std::wstring>{L"resource WAV_CMDERROR"});
    EXPECT_EQ(osd->Model().Frame().text, shown);
    EXPECT_NE(FindResourceW(nullptr, L"WAV_CMDERROR", L"WAVE"), nullptr);
    // Three taps on 2 are "B"; 1 types the waiting B at once, and two taps on it a full stop.
    Play("key 202 100\npause 150\nkey 202 100\npause 150\nkey 202 100\npause 150\nkey 201 100\npause 150\n"
         "key 201 100\n");
    EXPECT_TRUE(Shows(notepad, L"XB", 2000));
    EXPECT_TRUE(Shows(notepad, L"XB."));
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0); // the upper-case X left Caps Lock as it was
}

TEST_F(KeyPathWinTest, KeysOfTheNetworkServerAndTheHidRemoteReachTheTarget) {
    StartTarget();
    const tagSRCSERVICES services{NativePlatform().clock, NativePlatform().threads, nullptr};
    {
        LoopbackServer server;
        auto network = std::make_unique<CSrcIrServer>(services, NativeSockets(),
                                                      tagIRSERVERCONFIG{L"127.0.0.1", server.Port(), {}});
        CSrcIrServer& ir = *network;
        Use(std::move(network));
        ASSERT_TRUE(server.Accepted());
        EXPECT_TRUE(WaitFor([&] { return ir.State() == IrServerState::Connected; }, 5000));
        server.Send("BEGIN\nVERSION\nEND\n000000037ff07bdd 00 KEY_CHANNELUP mceusb\n");
        EXPECT_TRUE(Logged("KEYDOWN 116"));
    }
    // The HID remote's window takes a consumer-control report of Channel + and its release, then an
    // application command Channel - (menu item 201) a while after the report.
    Use(std::make_unique<CSrcHidRemote>(services, NativeHidInputs().NewInput(), false));
    HWND input = FindWindowW(L"LumoraHidRemoteInput", nullptr);
    ASSERT_NE(input, nullptr);
    auto report = [&](std::vector<uint8_t> bytes) {
        tagHIDTESTREPORT r{bytes.data(), bytes.size()};
        return SendMessageW(input, kWmTestReport, MAKEWPARAM(0x01, kHidPageConsumer),
                            reinterpret_cast<LPARAM>(&r));
    };
    EXPECT_EQ(report({0x01, 0x9C, 0x00}), 1);
    report({0x01, 0x00, 0x00});
    EXPECT_TRUE(Logged("KEYDOWN 116", 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(CSrcHidRemote::kAppCommandQuietMs + 100));
    SendMessageW(input, WM_APPCOMMAND, reinterpret_cast<WPARAM>(input), MAKELPARAM(0, 52)); // channel down
    EXPECT_TRUE(Logged("MENU 201"));
    Play("");
    EXPECT_EQ(FindWindowW(L"LumoraHidRemoteInput", nullptr), nullptr) << "the window goes with the source";
}

TEST_F(KeyPathWinTest, AHeldKeyRepeatsFromOneSecondOnAndStopsAtTheRelease) {
    StartTarget();
    std::vector<double> at; // ms from the start of the script to each key press the target logged
    Play("key 221 2500\n");
    const auto start = Clock::now();
    for (auto end = start + std::chrono::milliseconds(4500); Clock::now() < end;
         std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        while (Count("KEYDOWN 116") > at.size())
            at.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    ASSERT_GE(at.size(), 7u);
    EXPECT_LE(at.size(), 9u);
    EXPECT_NEAR(at[1] - at[0], 1040, 120);
    for (size_t i = 2; i < at.size(); ++i)
        EXPECT_NEAR(at[i] - at[i - 1], 240, 100) << i;
    EXPECT_LT(at.back(), 2500 + 80 + 100) << "a repeat after the release";
}

TEST_F(KeyPathWinTest, TheMainMenuMovesWrapsAndStartsAnEntryWhichBecomesActive) {
    auto step = [&](const char* key, const std::function<bool()>& shows) {
        Play(std::string("key ") + key + " 100\n");
        return WaitFor(shows, 3000);
    };
    auto selected = [&](int32_t line) {
        return [&, line] { return osd->Model().Frame().selectedLine == line; };
    };
    ASSERT_TRUE(step("160", [&] { return osd->Model().Frame().state == OsdState::Menu; }));
    EXPECT_EQ(osd->Menu().entries[0] + L"|" + osd->Menu().entries[1],
              L"Target|Notepad*"); // notepad's path unknown
    EXPECT_TRUE(step("181", selected(0)) && step("180", selected(9)) && step("183", selected(0)));
    ASSERT_TRUE(step("200", [&] { return ReadFile(log).find("START") != std::string::npos; }));
    EXPECT_EQ(std::wstring(rig->handler->ActiveSet()->record.szName), L"Target");
    EXPECT_TRUE(WaitFor(
        [&] { return osd->Model().Frame().state == OsdState::Hidden && !rig->handler->MenuShown(); }));
    HWND started = FindWindowW(kTargetClass, nullptr);
    Play("key 220 100\n");
    EXPECT_TRUE(Logged("MENU 201"));
    PostMessageW(started, WM_CLOSE, 0, 0);
}

} // namespace
} // namespace lm
