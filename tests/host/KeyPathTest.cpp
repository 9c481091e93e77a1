// The key path on a simulated desktop, with command-set files in a temporary folder: the command
// handler, the multi-tap text input and the key dispatcher. Threads are the deterministic fakes (a key
// is handled when the test runs the handler thread; a wait that nothing ends advances the fake clock by
// its time-out), except in the last test, where real threads run at once under the sanitizers.
#include "app/KeyPath.h"
#include "common/KeyPathRig.h"
#include "fakes/FakeDisplay.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeSound.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace lm::test {
namespace {

using Texts = std::vector<std::wstring>;
using Posted = std::vector<FakeWindows::Message>;

tagWINCMD Command(int32_t type, int32_t subtype, int32_t param = 0) {
    tagWINCMD c;
    c.nType = type, c.nSubType = subtype, c.nParam = param;
    return c;
}

// A source whose last key the test holds and releases.
class HeldKeySource final : public CSrc {
public:
    using CSrc::CSrc;
    int32_t GetLastKeyId() const override { return held.load(); }
    std::atomic<int32_t> held{kNoKeyId};
};

// A shutdown count-down that lasts until the test ends it: a command that hangs.
class HangingWarning final : public IShutdownWarning {
public:
    int32_t Run(int32_t) override { return entered.set_value(), release.get_future().wait(), kDialogCancel; }
    std::promise<void> entered, release;
};

const wchar_t kMenu[] = L"[Software]\n0=Windows (Standard)\n1=Player\n2=Editor\n3=Gone\n";
const wchar_t kSets[] =
    L"[Windows (Standard)]\nExecutable=explorer.exe\n[Player]\nExecutable=player.exe\n"
    L"AppPath=/rc/player.exe\nDescription=Media player\n280=5,0,777,0,1,1000,200,Red,,\n"
    L"[Editor]\nExecutable=editor.exe\nSmsInput=1\nAppPath=/rc/editor.exe\n[Gone]\n"
    L"Executable=gone.exe\nAppPath=/rc/gone.exe\n[Lumora Vistar TV]\nExecutable=VistarTV.exe\n";

class KeyPathTest : public ::testing::Test, protected FakeExecSystem {
protected:
    void TearDown() override { CCmdSetHandler::SetLastMenuIndex(0); }
    // The key path on the fake threads, or on real ones with a command that hangs.
    void Make(const std::wstring& user = kMenu, IShutdownWarning* hanging = nullptr) {
        IThreads& th = hanging ? NativePlatform().threads : static_cast<IThreads&>(threads);
        IClock& cl = hanging ? NativePlatform().clock : static_cast<IClock&>(clock);
        folders.folders[KnownFolder::Windows] = L"C:\\Windows";
        rig = std::make_unique<KeyPathRig>(
            tagEXECSERVICES{windows, input, processes, shell, cl, th, audio, power,
                            hanging ? *hanging : static_cast<IShutdownWarning&>(warning), strings},
            sound, folders, kSets, user);
        rig->files.Put(L"/rc/player.exe", "MZ"), rig->files.Put(L"/rc/editor.exe", "MZ");
        (dispatcher = rig->dispatcher.get())->AttachDisplay(&display);
        handler = rig->handler.get();
        endKey = hanging ? nullptr : threads.events.back();
    }
    WindowHandle Run(uint32_t pid, const std::wstring& stem, const std::wstring& title = L"") {
        processes.images[pid] = L"/rc/" + stem + L".exe";
        return windows.Add(title.empty() ? stem : title, L"C", pid);
    }
    // The active set's name and the last menu index.
    std::wstring Active() {
        return handler->ActiveSet()->record.szName + std::to_wstring(CCmdSetHandler::LastMenuIndex());
    }
    int Key(int32_t key, bool autoSelect = true) { return handler->HandleCommandForKey(key, autoSelect); }
    // A key through the dispatcher, handled at once; once, or repeated while the source holds it.
    void Press(int32_t key, uint32_t singleShot = 1) {
        tagIREVENT event{&source, source.held = key, singleShot};
        EXPECT_EQ(CKeyDispatcher::IrEventCallback(dispatcher, &event), 1);
        threads.RunPending();
    }

    FakeStrings strings;
    FakeKnownFolders folders;
    FakeDisplay display;
    FakeSound sound;
    HeldKeySource source{tagSRCSERVICES{clock, threads, nullptr}, L"Test", 64};
    std::unique_ptr<KeyPathRig> rig;
    CCmdSetHandler* handler = nullptr;
    CKeyDispatcher* dispatcher = nullptr;
    FakeEvent* endKey = nullptr; // ends the waits of the key being handled
};

TEST_F(KeyPathTest, TheActiveSetFollowsTheWindowsOfTheMainMenu) {
    Make();
    WindowHandle other = windows.foreground = windows.Add(L"Other", L"C", 99);
    // Nothing of the main menu runs: the standard set, whose keys go to the window in front.
    EXPECT_EQ(Key(RCKEY_PROG_UP), 1);
    EXPECT_EQ(Active(), L"Windows (Standard)0");
    EXPECT_EQ(windows[other].keys, L"+21 -21");

    WindowHandle player = Run(10, L"player"), editor = Run(20, L"editor");
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(Active(), L"Player1");
    windows.foreground = editor; // it stays active while its window exists, whatever is in front
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(windows[player].posted, Posted(2, {kWmCommand, 777, 0}));
    processes.images.erase(10); // a window whose process cannot be opened belongs to no one
    EXPECT_EQ(handler->IsApplicationWindow(player, handler->ActiveSet()->record), 0);

    // Gone: without auto-select nothing runs; with it the next running entry takes over.
    windows[player].destroyed = true;
    EXPECT_EQ(Key(RCKEY_RED, false), 0);
    EXPECT_EQ(Key(RCKEY_PROG_UP), 1);
    EXPECT_EQ(Active(), L"Editor2");
    // Power with nothing running shows and starts the entry last used.
    windows[editor].destroyed = true;
    EXPECT_EQ(Key(RCKEY_POWER), 1);
    EXPECT_EQ(display.Take(), Texts{L"Editor"});
    EXPECT_EQ(shell.started, Texts{L"open|/rc/editor.exe||/rc|5"});
    clock.Advance(CCmdSetHandler::kStartingMs); // the editor never showed a window

    // A Store app's frame belongs to the frame host; the app's window inside it makes it the app's,
    // for the choice of the set and for keeping it.
    processes.images[50] = L"C:\\Windows\\System32\\ApplicationFrameHost.exe";
    processes.images[51] = L"C:\\Program Files\\WindowsApps\\Player\\player.exe";
    WindowHandle frame = windows.Add(L"Player", L"ApplicationFrameWindow", 50);
    windows[windows.AddChild(frame, L"Windows.UI.Core.CoreWindow", 0)].processId = 51;
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(Active(), L"Player1");
    EXPECT_EQ(handler->IsApplicationWindow(frame, handler->ActiveSet()->record), 1);
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(windows[frame].posted, Posted(2, {kWmCommand, 777, 0}));
}

TEST_F(KeyPathTest, TheMainMenuDisplayCommandsThePointerAndTheReload) {
    Make();
    WindowHandle player = Run(10, L"player");
    EXPECT_EQ(Key(RCKEY_MENU), 1);
    const tagOSDMENU menu = display.Menu();
    EXPECT_EQ(menu.entries[0] + L"|" + menu.entries[1] + L"|" + menu.descriptions[1] + L"|" +
                  menu.entries[3] + menu.entries[4],
              L"Windows (Standard)*|Player|Media player|Gone*");         // "*": no program file
    std::wstring moves = std::to_wstring(display.model.SelectedEntry()); // the active set's entry first
    for (int32_t key : {RCKEY_DOWN, RCKEY_UP, RCKEY_PREV, RCKEY_UP, RCKEY_NEXT, RCKEY_VOL_UP})
        moves += std::to_wstring(Key(key)), moves += std::to_wstring(display.model.SelectedEntry());
    EXPECT_EQ(moves, L"1121110191000"); // handled, then selected
    // OK on entry 0 closes the active window (giving it 2 s), starts the entry and keeps the last index.
    EXPECT_EQ(Key(RCKEY_OK), 1);
    EXPECT_FALSE(handler->MenuShown() || display.MenuShown());
    EXPECT_EQ(windows[player].posted, (Posted{{kWmSysCommand, kScClose, 0}}));
    EXPECT_EQ(clock.TickCount(), CCmdSetHandler::kCloseWaitMs);
    EXPECT_EQ(Active(), L"Windows (Standard)1");
    Key(RCKEY_MENU), Key(RCKEY_2);
    EXPECT_EQ(Active(), L"Editor2");
    // While the started application has no window yet its set keeps the keys (they go to the window in
    // front), instead of the first running entry taking over for good; after 10 s that entry does.
    WindowHandle other = windows.foreground = windows.Add(L"Other", L"C", 99);
    Run(10, L"player");
    EXPECT_EQ(Key(RCKEY_PROG_UP), 1);
    EXPECT_EQ(Active(), L"Editor2");
    EXPECT_EQ(windows[other].keys, L"+21 -21");
    clock.Advance(CCmdSetHandler::kStartingMs);
    Key(RCKEY_PROG_UP);
    EXPECT_EQ(Active(), L"Player1");
    Key(RCKEY_MENU), Key(RCKEY_2);
    Key(RCKEY_MENU), Key(RCKEY_BACK), Key(RCKEY_MENU), Key(RCKEY_MENU); // Back and the menu key close it
    EXPECT_FALSE(handler->MenuShown());
    EXPECT_EQ(handler->StartMenuEntry(5), 0); // a place that cannot be loaded leaves "---" active
    EXPECT_EQ(Active(), L"---2");

    auto run = [&](int32_t type, int32_t subtype, int32_t param = 0) {
        return handler->HandleCommand(Command(type, subtype, param), handler->ActiveSet()->record);
    };
    display.Take();
    EXPECT_EQ(run(CMD_OSD, OSD_APPINFO) + run(CMD_OSD, OSD_TIME) + run(CMD_OSD, 7), 2);
    EXPECT_EQ(display.Take(), (Texts{L"---", L"Sun Dec  6 17:05:09 2026"}));
    // A direction starts the pointer and stops it again; no direction is the executor's and leaves it
    // moving; any other command stops it.
    run(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNLEFT), run(CMD_SYSTEM, SYS_MOUSEMOVE, 8);
    EXPECT_EQ(rig->timers.timers.size(), 1u);
    run(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNLEFT);
    EXPECT_TRUE(rig->timers.timers.empty());
    run(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_UP), run(CMD_SYSTEM, SYS_VOLUME, 10);
    EXPECT_TRUE(rig->timers.timers.empty());

    // A reload after the active set's section went keeps only the name.
    handler->StartMenuEntry(1);
    rig->profiles.DeleteSection(KeyPathRig::kPreset, L"Player");
    EXPECT_EQ(handler->ReloadActiveSet(), 0);
    tagPRGINFO named;
    CopyBounded(named.szName, kPrgTextChars, L"Player");
    EXPECT_EQ(handler->ActiveSet()->record, named);
    // The program's handler releases the shared application map.
    EXPECT_TRUE(rig->catalog.Contains(L"Editor"));
    rig->dispatcher.reset(), rig->handler.reset();
    EXPECT_FALSE(rig->catalog.Contains(L"Editor"));

    // The editor's Test runs a display command as a key would, through a handler of the program's key
    // path's own, and leaves the active set alone.
    folders.executable = L"/rc/RemoteControl.exe";
    CKeyPath path(tagKEYPATHSERVICES{
        tagCMDSETSERVICES{rig->profiles, rig->registry, folders, strings, rig->keyNames, rig->catalog},
        tagEXECSERVICES{windows, input, processes, shell, clock, threads, audio, power, warning, strings},
        rig->timers, nullptr, sound});
    EXPECT_EQ(path.TestCommand(Command(CMD_OSD, OSD_TIME), tagPRGINFO()), -1); // not started
    path.Start(rig->settings.settings);
    path.AttachDisplay(&display);
    path.Handler()->SetActiveSet(tagPRGINFO(), CKeymap());
    display.Take();
    tagPRGINFO tested;
    CopyBounded(tested.szName, kPrgTextChars, L"Player");
    EXPECT_EQ(path.TestCommand(Command(CMD_OSD, OSD_APPINFO), tested), 1);
    EXPECT_EQ(display.Take(), Texts{L"Player"});
    EXPECT_EQ(path.ActiveApplication(), L"");
}

TEST_F(KeyPathTest, MultiTapStepsThroughTheCharactersAndFlashesTheChoice) {
    CTextInput text(clock, &display, [] { return tagOSDSETTINGS{}; });
    FakeEvent next(&clock, true, false);
    std::wstring typed; // the result and the character of each press
    auto press = [&](int32_t key, bool nextKey, int32_t code = 0x60) {
        tagWINCMD command = Command(CMD_KEY, code);
        nextKey ? next.Set() : next.Reset();
        typed += std::to_wstring(text.Key(key, &command, next));
        typed += static_cast<wchar_t>(command.nSubType);
    };
    press(RCKEY_2, true), press(RCKEY_2, true), press(RCKEY_2, false);
    EXPECT_EQ(typed, L"121A4B"); // waiting, waiting, typed after the pause
    EXPECT_EQ(display.Take(),
              (Texts{L" \u00AB2\u00BB ABC", L"2 \u00ABA\u00BB BC", L"2A \u00ABB\u00BB C",
                     L"colors 10841658/15780518", L"2A \u00ABB\u00BB C", L"colors 15780518/10841658"}));
    // Another key while one waits; a pause restarts at the digit; 9 cycles back after its five.
    press(RCKEY_3, true);
    EXPECT_TRUE(text.PendingBefore(RCKEY_2) && !text.PendingBefore(RCKEY_3));
    press(RCKEY_3, false), press(RCKEY_3, false);
    for (int i = 0; i < 6; ++i)
        press(RCKEY_9, true, 0x39);
    EXPECT_EQ(typed.substr(6), L"134D43191W1X1Y1Z19");
    // Key 0 shows its blank as "_", which is never marked.
    press(RCKEY_0, true, 0x30);
    EXPECT_EQ(text.DisplayText(RCKEY_0), L" \u00AB0\u00BB _");
    press(RCKEY_0, true, 0x30);
    EXPECT_EQ(text.DisplayText(RCKEY_0), L"0_");
    // A digit key bound to something else is no text key and starts over.
    press(RCKEY_5, true, 'A');
    EXPECT_EQ(typed.substr(typed.size() - 2) + std::to_wstring(text.State().lastKey), L"2A-1");
}

TEST_F(KeyPathTest, AKeySoundsShowsRunsAndRepeatsWhileHeld) {
    Make();
    WindowHandle player = Run(10, L"player");
    Key(RCKEY_RED); // the player's set is active
    std::vector<uint32_t> waits;
    endKey->onWait = [&](FakeEvent&, uint32_t ms) {
        waits.push_back(ms);
        source.held = clock.TickCount() >= 1600 ? kNoKeyId : source.held.load();
    };
    Press(RCKEY_RED, 0);
    // At once, after 1000 + 200 ms, and every 200 ms until the check after the release.
    EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 200, 200, 200, 200}));
    EXPECT_EQ(windows[player].posted.size(), 1u + 5);
    EXPECT_EQ(display.Take(), Texts{L"Red"});
    // A double-function key's tap never repeats; a new key ends a repeat at once.
    Press(RCKEY_RED);
    waits.clear();
    endKey->onWait = [&](FakeEvent&, uint32_t ms) {
        tagIREVENT next{&source, RCKEY_MUTE, 0};
        if (waits.push_back(ms), waits.size() == 3)
            CKeyDispatcher::IrEventCallback(dispatcher, &next);
    };
    Press(RCKEY_RED, 0);
    EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 200, 200}));
    EXPECT_EQ(windows[player].posted.size(), 6u + 1 + 2);
    EXPECT_EQ(audio.mute[0], 1u); // the new key ran
    endKey->onWait = nullptr;

    // No command: the error sound. What keeps the text away: hidden (silent too), the display off, a
    // display command (the time shows itself), the open menu.
    sound.Take(), display.Take();
    Press(RCKEY_MOSAIC);
    rig->settings.Change([](tagSETTINGS& s) { s.hidden = 1; });
    Press(RCKEY_VOL_UP);
    rig->settings.Change([](tagSETTINGS& s) { s.hidden = 0, s.osd.on = 0; });
    Press(RCKEY_VOL_UP);
    rig->settings.Change([](tagSETTINGS& s) { s.osd.on = 1; });
    Press(RCKEY_TIMER), Press(RCKEY_MENU), Press(RCKEY_VOL_UP);
    const std::wstring start = L"file " + PathJoin(L"C:\\Windows", L"Media\\Start.wav");
    EXPECT_EQ(sound.Take(), (Texts{L"resource WAV_CMDERROR", start, start, start, start}));
    EXPECT_EQ(display.Take(), Texts{L"Sun Dec  6 17:05:09 2026"});
}

TEST_F(KeyPathTest, ExclusiveModeTvModesAndTextInput) {
    Make();
    WindowHandle player = Run(10, L"player"), editor = Run(20, L"editor");
    windows.foreground = editor;
    rig->settings.Change([](tagSETTINGS& s) { s.exclusive = 1, s.exclusiveApplication = L"Player"; });
    Press(RCKEY_RED);
    EXPECT_EQ(windows[player].posted.size(), 1u);
    windows[player].destroyed = true; // Power finding no window starts the exclusive program
    Press(RCKEY_POWER);
    EXPECT_EQ(shell.started.size(), 1u);

    // The TV application: the live set, the control set while its control window's box is checked,
    // with the teletext window's caption in teletext mode, and live again for a key the control set lacks.
    rig->settings.Change([](tagSETTINGS& s) { s.exclusiveApplication = CKeyDispatcher::kTvApplication; });
    WindowHandle tv = Run(30, L"VistarTV", L"Vistar Live");
    WindowHandle box = windows.AddChild(windows.Add(L"Vistar Control", L"C", 31), L"Button", 2023);
    std::wstring modes;
    auto press = [&](int32_t key) { Press(key), modes += std::to_wstring(dispatcher->TvMode()); };
    press(RCKEY_RED);
    windows[box].checked = 1;
    press(RCKEY_RED);
    EXPECT_EQ(windows[tv].posted, (Posted{{kWmCommand, kTvMenuRed, 0}}));
    windows[box].checked = 0;
    WindowHandle teletext = windows.Add(L"Vistar Teletext", L"C", 30);
    press(RCKEY_RED);
    EXPECT_EQ(windows[teletext].posted.size(), 1u);
    press(RCKEY_MUTE);
    EXPECT_EQ(modes, L"0120");
    EXPECT_STREQ(handler->ActiveSet()->record.szWindowCaption, L"Vistar Live");

    // Multi-tap in the editor: each digit sounds twice; a different key types the waiting letter first.
    rig->settings.Change([](tagSETTINGS& s) { s.exclusive = 0; });
    handler->StartMenuEntry(2);
    sound.Take();
    std::vector<int32_t> next{RCKEY_2, RCKEY_2, RCKEY_3};
    endKey->onWait = [&](FakeEvent&, uint32_t ms) {
        tagIREVENT e{&source, next.empty() ? 0 : next.front(), 0};
        if (ms == 1000 && !next.empty())
            next.erase(next.begin()), CKeyDispatcher::IrEventCallback(dispatcher, &e);
    };
    Press(RCKEY_2);
    EXPECT_EQ(windows[editor].keys, L"+'B' -'B' +'3' -'3'");
    EXPECT_EQ(sound.Take().size(), 8u);

    // Not ready, a source freed before its key was taken, and after the stop: nothing runs.
    windows[editor].keys.clear();
    dispatcher->SetReady(false);
    Press(RCKEY_3);
    dispatcher->SetReady(true);
    tagIREVENT event{&source, RCKEY_3, 0};
    CKeyDispatcher::IrEventCallback(dispatcher, &event);
    dispatcher->ReceiverFreeing(source);
    threads.RunPending();
    EXPECT_TRUE(dispatcher->Stop(100));
    Press(RCKEY_3);
    EXPECT_EQ(windows[editor].keys + std::to_wstring(CKeyDispatcher::IrEventCallback(nullptr, nullptr)),
              L"0");
}

// Real threads: a hanging command never holds the source's callback, and the user-interface thread
// starts menu entries and reloads the active set while keys run.
TEST_F(KeyPathTest, AHangingCommandNeverHoldsTheSourceAndTheEditorWorksBeside) {
    HangingWarning hanging;
    Make(L"[Software]\n0=Windows (Standard)\n1=Player\n[Windows (Standard)]\nExecutable=explorer.exe\n"
         L"280=2,0,3,0,0,1000,200,,,\n",
         &hanging);
    tagIREVENT shutdown{&source, RCKEY_RED, 1}, menu{&source, RCKEY_MENU, 1}, time{&source, RCKEY_TIMER, 1};
    CKeyDispatcher::IrEventCallback(dispatcher, &shutdown);
    hanging.entered.get_future().wait();
    const auto before = std::chrono::steady_clock::now();
    CKeyDispatcher::IrEventCallback(dispatcher, &menu);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int i = 0; !done; i = (i + 1) % 4)
            handler->StartMenuEntry(i), handler->ReloadActiveSet();
    });
    hanging.release.set_value();
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::microseconds(200)))
        CKeyDispatcher::IrEventCallback(dispatcher, i % 2 ? &menu : &time);
    EXPECT_TRUE(dispatcher->Stop(5000));
    done = true;
    editor.join();
}

} // namespace
} // namespace lm::test
