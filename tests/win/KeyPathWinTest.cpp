// The key path end to end on the real system: a scripted receiver's codes go through the dispatcher,
// the command handler and the real executors into the test target application and notepad. The display
// window lives on a user-interface thread of its own; the key sounds are written down.
#include "WinTestSupport.h"

#include "TargetIds.h"
#include "app/KeyDispatch.h"
#include "base/Text.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSound.h"
#include "fakes/FakeStrings.h"
#include "osd/OsdDlg.h"
#include "platform/Platform.h"
#include "receivers/SrcScript.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

namespace lm {
namespace {

using namespace wintest;
using Clock = std::chrono::steady_clock;

class KeyPathWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring dir = NewTempDir(L"keys");
        log = dir + L"\\target.log";
        Write(dir + L"\\RemoteControl.usr", L"[Software]\n0=Target\n1=Notepad\n");
        Write(dir + L"\\RemoteControl.ini",
              L"[Windows (Standard)]\nExecutable=none.exe\n[Target]\nExecutable=TargetApp.exe\nAppPath=" +
                  BinDir() + L"\\TargetApp.exe\nCommand-line=-log \"" + log +
                  L"\"\n"
                  L"221=  3,116,    0,  0,  1,1000,200,\"F5\",\"\",\"\"\n"
                  L"220=  5,  0,  201,  0,  0,1000,200,\"Menu\",\"\",\"\"\n"
                  L"[Notepad]\nExecutable=notepad.exe\nSmsInput=1\n241=  3, 88,    0,  0,  "
                  L"0,1000,200,\"X\",\"\",\"\"\n");
        ui.Run([&] {
            osd = std::make_unique<COsdDlg>(NativePlatform().clock, tagOSDSETTINGS{});
            osd->Create();
        });
        handler = std::make_unique<CCmdSetHandler>(
            tagCMDSETSERVICES{profiles, registry, folders, strings, keyNames, catalog},
            tagCMDSETFILES{dir + L"\\RemoteControl.ini", dir + L"\\RemoteControl.usr"},
            tagHANDLERSERVICES{{NativeWindows(), NativeInput(), NativeProcesses(), NativeShell(),
                                NativePlatform().clock, NativePlatform().threads, NativeAudio(), power,
                                warning, strings},
                               NativeTimers(),
                               nullptr,
                               osd.get(),
                               true});
        handler->LoadAppList();
        dispatcher = std::make_unique<CKeyDispatcher>(tagDISPATCHSERVICES{
            *handler, settings, osd.get(), sound, NativePlatform().threads, NativePlatform().clock, folders});
        dispatcher->SetReady(true);
    }
    void TearDown() override {
        Free();
        dispatcher.reset();
        handler.reset();
        ui.Run([&] { osd.reset(); });
        HWND ended = nullptr;
        for (HWND notepad; (notepad = FindWindowW(L"Notepad", nullptr)) && notepad != ended;
             ended = notepad) {
            DWORD pid = 0;
            GetWindowThreadProcessId(notepad, &pid);
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    static void Write(const std::wstring& path, const std::wstring& text) {
        std::ofstream(path.c_str(), std::ios::binary) << "\xEF\xBB\xBF" << ToUtf8(text);
    }
    // Plays a script of the remote of model 64 through a scripted receiver, from now on.
    void Play(const std::string& script) {
        Free();
        ReceiverScript parsed;
        std::wstring error;
        ASSERT_TRUE(ParseReceiverScript("model 64\n" + script, parsed, error)) << ToUtf8(error);
        source = std::make_unique<CSrcScript>(
            tagSRCSERVICES{NativePlatform().clock, NativePlatform().threads, nullptr}, parsed);
        ASSERT_EQ(source->Init(dispatcher.get(), CKeyDispatcher::IrEventCallback), 1);
    }
    void Free() {
        if (source)
            dispatcher->ReceiverFreeing(*source);
        source.reset();
    }
    void Set(const std::function<void(tagSETTINGS&)>& change) {
        tagSETTINGS block = settings.Get();
        change(block);
        settings.Set(block);
    }
    HWND StartTarget() {
        EXPECT_TRUE(target.Start(BinDir() + L"\\TargetApp.exe", L"-log \"" + log + L"\""));
        HWND window = target.WaitForWindow(kTargetClass);
        EXPECT_TRUE(WaitFor([&] { return ReadFile(log).find("START") != std::string::npos; }));
        return window;
    }
    size_t Count(const std::string& line) {
        std::string text(1, '\n'), wanted(1, '\n');
        text += ReadFile(log);
        wanted.append(line).append(1, '\n');
        size_t n = 0;
        for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1))
            ++n;
        return n;
    }
    bool Logged(const std::string& line, size_t times = 1) {
        return WaitFor([&] { return Count(line) >= times; }, 5000);
    }
    static std::wstring Text(HWND window) {
        wchar_t text[64] = {};
        SendMessageW(FindWindowExW(window, nullptr, L"Edit", nullptr), WM_GETTEXT, 64,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }
    HWND StartNotepad() {
        NativeShell().ShellExec(L"open", L"notepad.exe", L"", L"", SW_SHOWNORMAL);
        HWND notepad = nullptr;
        WaitFor([&] { return (notepad = FindWindowW(L"Notepad", nullptr)) != nullptr; }, 15000);
        return notepad;
    }

    CProfileStore profiles{NativeFileSystem()};
    test::FakeRegistry registry;
    test::FakeKnownFolders folders;
    test::FakeStrings strings;
    CKeyNames keyNames;
    CAppCatalog catalog;
    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeSound sound;
    struct : IFirstRun {
        void AutoFindApps() override {}
    } firstRun;
    CLMRegistry settingsKey{registry, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
    CSettings settings{settingsKey, firstRun, L"RC.exe"};
    UiThread ui;
    std::unique_ptr<COsdDlg> osd;
    std::unique_ptr<CCmdSetHandler> handler;
    std::unique_ptr<CKeyDispatcher> dispatcher;
    std::unique_ptr<CSrcScript> source;
    ChildProcess target;
    std::wstring log;
};

TEST_F(KeyPathWinTest, KeysReachNotepadAndTheExclusiveTargetAndAKeyWithoutACommandOnlySounds) {
    // Notepad is the first running entry of the main menu: its set takes over and types there.
    HWND notepad = StartNotepad();
    ASSERT_TRUE(notepad && BringToFront(notepad));
    Play("key 241 100\n");
    EXPECT_TRUE(WaitFor([&] { return Text(notepad) == L"X"; })) << ToUtf8(Text(notepad));
    EXPECT_EQ(std::wstring(handler->ActiveSet()->record.szName), L"Notepad");

    // Exclusive: the target's keystroke and menu item while notepad stays in front.
    HWND window = StartTarget();
    ASSERT_TRUE(BringToFront(notepad));
    Set([](tagSETTINGS& s) { s.exclusive = 1, s.exclusiveApplication = L"Target"; });
    Play("key 221 100\npause 200\nkey 220 100\n");
    EXPECT_TRUE(Logged("KEYDOWN 116") && Logged("MENU 201"));
    EXPECT_EQ(GetForegroundWindow(), window);

    // A key without a command: the error sound, and the display shows nothing new.
    Set([](tagSETTINGS& s) { s.exclusive = 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sound.Take();
    const std::wstring shown = osd->Model().Frame().text;
    Play("key 162 100\n");
    std::vector<std::wstring> played;
    EXPECT_TRUE(WaitFor([&] {
        for (std::wstring& p : sound.Take())
            played.push_back(p);
        return !played.empty();
    }));
    EXPECT_EQ(played, std::vector<std::wstring>{L"resource WAV_CMDERROR"});
    EXPECT_EQ(osd->Model().Frame().text, shown);
    EXPECT_NE(FindResourceW(nullptr, L"WAV_CMDERROR", L"WAVE"), nullptr);
}

TEST_F(KeyPathWinTest, AHeldKeyRepeatsFromOneSecondOnAndStopsAtTheRelease) {
    StartTarget();
    std::vector<double> at; // ms since the first press of each key press the target logged
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
    auto selected = [&] { return osd->Model().Frame().selectedLine; };
    auto step = [&](const char* key, const std::function<bool()>& shows) {
        Play(std::string("key ") + key + " 100\n");
        return WaitFor(shows, 3000);
    };
    ASSERT_TRUE(step("160", [&] { return osd->Model().Frame().state == OsdState::Menu; }));
    const tagOSDMENU menu = osd->Menu();
    EXPECT_EQ(menu.entries[0] + L"|" + menu.entries[1], L"Target|Notepad*"); // notepad's path is unknown
    EXPECT_TRUE(step("181", [&] { return selected() == 0; }));
    EXPECT_TRUE(step("180", [&] { return selected() == 9; }));
    EXPECT_TRUE(step("183", [&] { return selected() == 0; }));
    ASSERT_TRUE(step("200", [&] { return ReadFile(log).find("START") != std::string::npos; }));
    EXPECT_EQ(std::wstring(handler->ActiveSet()->record.szName), L"Target");
    EXPECT_FALSE(handler->MenuShown());
    EXPECT_TRUE(WaitFor([&] { return osd->Model().Frame().state == OsdState::Hidden; }));
    HWND started = FindWindowW(kTargetClass, nullptr);
    ASSERT_NE(started, nullptr);
    Play("key 220 100\n");
    EXPECT_TRUE(Logged("MENU 201"));
    PostMessageW(started, WM_CLOSE, 0, 0);
}

TEST_F(KeyPathWinTest, MultiTapTypesALetterAndAnotherDigitCommitsIt) {
    HWND notepad = StartNotepad();
    ASSERT_TRUE(notepad && BringToFront(notepad));
    // A key without a command makes notepad's set active. Three taps on 2 are "B"; 3 types the waiting
    // B at once and its own digit after the pause.
    Play("key 162 100\npause 300\nkey 202 100\npause 150\nkey 202 100\npause 150\nkey 202 100\npause "
         "150\nkey 203 100\n");
    EXPECT_TRUE(WaitFor([&] { return Text(notepad) == L"B"; }, 2000)) << ToUtf8(Text(notepad));
    EXPECT_TRUE(WaitFor([&] { return Text(notepad) == L"B3"; }, 3000)) << ToUtf8(Text(notepad));
}

} // namespace
} // namespace lm
