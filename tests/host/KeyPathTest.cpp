// The key path on a simulated desktop, with command-set files in a temporary folder: the command
// handler, the multi-tap text input and the key dispatcher. Threads are the deterministic fakes (a key
// is handled when the test runs the pending handler thread; a wait that nothing ends advances the fake
// clock by its time-out), except in the last test, where real threads run at once under the sanitizers.
#include "CmdSetFixture.h"

#include "app/KeyDispatch.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeDisplay.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSound.h"
#include "fakes/FakeThreads.h"
#include "platform/Platform.h"

#include <chrono>
#include <future>
#include <thread>

namespace lm::test {
namespace {

using Texts = std::vector<std::wstring>;

// A source whose last key the test holds and releases.
class HeldKeySource final : public CSrc {
public:
    using CSrc::CSrc;
    int32_t GetLastKeyId() const override { return held.load(); }
    std::atomic<int32_t> held{kNoKeyId};
};

// A shutdown count-down that lasts until the test lets it end: a command that hangs.
class HangingWarning final : public IShutdownWarning {
public:
    int32_t Run(int32_t) override { return entered.set_value(), release.get_future().wait(), kDialogCancel; }
    std::promise<void> entered, release;
};

const wchar_t kMenu[] = L"[Software]\n0=Windows (Standard)\n1=Player\n2=Editor\n3=Gone\n";

class KeyPathTest : public CmdSetFixture {
protected:
    void SetUp() override {
        CmdSetFixture::SetUp();
        for (const wchar_t* exe : {L"player.exe", L"editor.exe"})
            temp.Touch(std::wstring(L"prog/") + exe);
        WriteUser(kMenu);
        WritePreset(L"[Windows (Standard)]\nExecutable=explorer.exe\n"
                    L"[Player]\nExecutable=player.exe\nDescription=Media player\nAppPath=" +
                    Exe(L"player") +
                    L"\n280=  5,  0,  777,  0,  1,1000,200,\"Red\",\"\",\"\"\n"
                    L"[Editor]\nExecutable=editor.exe\nSmsInput=1\nHideOsd=1\nAppPath=" +
                    Exe(L"editor") + L"\n[Gone]\nExecutable=gone.exe\nAppPath=" + Exe(L"gone") +
                    L"\n[Lumora Vistar TV]\nExecutable=VistarTV.exe\nWindowCaption=Vistar Live\n");
        folders.folders[KnownFolder::Windows] = L"C:\\Windows";
    }
    void TearDown() override { CCmdSetHandler::SetLastMenuIndex(0); }
    std::wstring Exe(const std::wstring& stem) { return temp.Path(L"prog/" + stem + L".exe"); }
    // The handler (and the dispatcher) on fake or real threads.
    void Make(bool realThreads = false, IShutdownWarning* hanging = nullptr) {
        IThreads& th = realThreads ? NativePlatform().threads : static_cast<IThreads&>(threads);
        IClock& cl = realThreads ? NativePlatform().clock : static_cast<IClock&>(clock);
        handler = std::make_unique<CCmdSetHandler>(
            Services(), tagCMDSETFILES{PresetPath(), UserPath()},
            tagHANDLERSERVICES{{windows, input, processes, shell, cl, th, audio, power,
                                hanging ? *hanging : warning, strings},
                               timers,
                               nullptr,
                               &display,
                               true});
        handler->LoadAppList();
        dispatcher = std::make_unique<CKeyDispatcher>(
            tagDISPATCHSERVICES{*handler, settings, &display, sound, th, cl, folders});
        dispatcher->SetReady(true);
        if (!realThreads)
            stop = threads.events.back(); // the handler thread's, made last
    }
    WindowHandle Run(uint32_t pid, const std::wstring& stem, const std::wstring& title = L"") {
        processes.images[pid] = Exe(stem);
        return windows.Add(title.empty() ? stem : title, L"C", pid);
    }
    std::wstring Active() { return handler->ActiveSet()->record.szName; }
    int Key(int32_t key, bool autoSelect = true) { return handler->HandleCommandForKey(key, autoSelect); }
    // A key through the dispatcher, handled at once (on fake threads); once, or repeated while held.
    void Press(int32_t key, uint32_t singleShot = 1) {
        source.held = key;
        tagIREVENT event{&source, key, singleShot};
        EXPECT_EQ(CKeyDispatcher::IrEventCallback(dispatcher.get(), &event), 1);
        threads.RunPending();
    }
    void Set(const std::function<void(tagSETTINGS&)>& change) {
        tagSETTINGS block = settings.Get();
        change(block);
        settings.Set(block);
    }

    FakeWindows windows;
    FakeInput input{&windows};
    FakeProcesses processes;
    FakeShell shell;
    FakeClock clock;
    FakeThreads threads{&clock};
    FakeAudio audio;
    FakePower power;
    FakeShutdownWarning warning;
    FakeTimers timers;
    FakeDisplay display;
    FakeSound sound;
    struct : IFirstRun {
        void AutoFindApps() override {}
    } firstRun;
    CLMRegistry settingsKey{registry, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
    CSettings settings{settingsKey, firstRun, L"RC.exe"};
    HeldKeySource source{tagSRCSERVICES{clock, threads, nullptr}, L"Test", 64};
    std::unique_ptr<CCmdSetHandler> handler;
    std::unique_ptr<CKeyDispatcher> dispatcher;
    FakeEvent* stop = nullptr;
};

TEST_F(KeyPathTest, TheActiveSetFollowsTheWindowsOfTheMainMenu) {
    Make();
    WindowHandle other = windows.foreground = windows.Add(L"Other", L"C", 99);
    // Nothing of the main menu runs: the standard set, whose keys go to the window in front.
    EXPECT_EQ(Key(RCKEY_PROG_UP), 1);
    EXPECT_EQ(Active(), kStandardSetName);
    EXPECT_EQ(windows[other].keys, L"+21 -21");

    WindowHandle player = Run(10, L"player"), editor = Run(20, L"editor");
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(Active(), L"Player");
    EXPECT_EQ(CCmdSetHandler::LastMenuIndex(), 1);
    // It stays active while its window exists, whatever is in front.
    windows.foreground = editor;
    EXPECT_EQ(Key(RCKEY_RED), 1);
    EXPECT_EQ(windows[player].posted, (std::vector<FakeWindows::Message>(2, {kWmCommand, 777, 0})));
    EXPECT_EQ(handler->IsApplicationWindow(player, handler->ActiveSet()->record), 1);
    processes.images.erase(10); // a process that cannot be opened does not own its window
    EXPECT_EQ(handler->IsApplicationWindow(player, handler->ActiveSet()->record), 0);

    // Gone: without auto-select nothing runs; with it the next running entry takes over.
    windows[player].destroyed = true;
    EXPECT_EQ(Key(RCKEY_RED, false), 0);
    EXPECT_EQ(Key(RCKEY_PROG_UP), 1);
    EXPECT_EQ(Active(), L"Editor");
    EXPECT_EQ(CCmdSetHandler::LastMenuIndex(), 2);
    // Power with nothing running shows and starts the entry last used.
    windows[editor].destroyed = true;
    display.Take();
    EXPECT_EQ(Key(RCKEY_POWER), 1);
    EXPECT_EQ(display.Take(), Texts{L"Editor"});
    EXPECT_EQ(shell.started, Texts{L"open|" + Exe(L"editor") + L"||" + temp.Path(L"prog") + L"|5"});
}

TEST_F(KeyPathTest, TheMainMenuOpensMovesWrapsAndStartsAnEntry) {
    Make();
    WindowHandle player = Run(10, L"player");
    auto selected = [&] { return display.model.SelectedEntry(); };
    EXPECT_EQ(Key(RCKEY_MENU), 1);
    ASSERT_TRUE(handler->MenuShown() && display.MenuShown());
    const tagOSDMENU menu = display.Menu();
    EXPECT_EQ(menu.entries[0], L"Windows (Standard)*"); // no program file
    EXPECT_EQ(menu.entries[1] + L"|" + menu.descriptions[1], L"Player|Media player");
    EXPECT_EQ(menu.entries[3] + menu.entries[4], L"Gone*");
    EXPECT_EQ(selected(), 1); // the active set
    for (auto [key, want] :
         {std::pair{RCKEY_DOWN, 2}, {RCKEY_UP, 1}, {RCKEY_PREV, 0}, {RCKEY_UP, 9}, {RCKEY_NEXT, 0}}) {
        EXPECT_EQ(Key(key), 1);
        EXPECT_EQ(selected(), want) << key;
    }
    EXPECT_EQ(Key(RCKEY_VOL_UP), 0); // no menu action
    // OK on entry 0 starts it but keeps the last index; the active window is asked to close first.
    EXPECT_EQ(Key(RCKEY_OK), 1);
    EXPECT_FALSE(handler->MenuShown() || display.MenuShown());
    EXPECT_EQ(windows[player].posted, (std::vector<FakeWindows::Message>{{kWmSysCommand, kScClose, 0}}));
    EXPECT_EQ(clock.TickCount(), CCmdSetHandler::kCloseWaitMs);
    EXPECT_EQ(Active(), kStandardSetName);
    EXPECT_EQ(CCmdSetHandler::LastMenuIndex(), 1);
    // A digit picks its entry; Back and the menu key close the menu.
    Key(RCKEY_MENU);
    EXPECT_EQ(Key(RCKEY_2), 1);
    EXPECT_EQ(Active(), L"Editor");
    EXPECT_EQ(CCmdSetHandler::LastMenuIndex(), 2);
    EXPECT_EQ(shell.started.back(), L"open|" + Exe(L"editor") + L"||" + temp.Path(L"prog") + L"|5");
    for (int32_t closer : {RCKEY_BACK, RCKEY_MENU}) {
        Key(RCKEY_MENU);
        EXPECT_EQ(Key(closer), 1);
        EXPECT_FALSE(handler->MenuShown());
    }
    // An entry that cannot be loaded leaves "---" active.
    EXPECT_EQ(handler->StartMenuEntry(5), 0);
    EXPECT_EQ(Active(), kNoneSetName);
}

TEST_F(KeyPathTest, DisplayCommandsMouseMovesAndTheReloadOfTheActiveSet) {
    Make();
    Run(10, L"player");
    Key(RCKEY_RED);
    display.Take();
    auto osd = [&](int32_t subtype) {
        return handler->HandleCommand(Cmd(CMD_OSD, subtype, 0, 0, 0, 0, 0), handler->ActiveSet()->record);
    };
    EXPECT_EQ(osd(OSD_APPINFO), 1);
    EXPECT_EQ(osd(OSD_TIME), 1);
    EXPECT_EQ(display.Take(), (Texts{L"Player", L"Sun Dec  6 17:05:09 2026"}));
    EXPECT_EQ(osd(7), 0);

    auto move = [&](int32_t type, int32_t subtype, int32_t param) {
        return handler->HandleCommand(Cmd(type, subtype, param, 0, 0, 0, 0), handler->ActiveSet()->record);
    };
    EXPECT_EQ(move(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNLEFT), 1);
    EXPECT_EQ(timers.timers.size(), 1u);
    EXPECT_EQ(move(CMD_SYSTEM, SYS_MOUSEMOVE, 8), 0); // no direction: the executor's, the move goes on
    EXPECT_EQ(timers.timers.size(), 1u);
    EXPECT_EQ(move(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNLEFT), 1); // the same direction stops
    EXPECT_TRUE(timers.timers.empty());
    move(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_UP);
    move(CMD_SYSTEM, SYS_VOLUME, 10); // any other command stops it
    EXPECT_TRUE(timers.timers.empty());

    // The set's section is deleted: the reload keeps only the name.
    EXPECT_EQ(handler->ReloadActiveSet(), 1);
    profiles.DeleteSection(PresetPath(), L"Player");
    EXPECT_EQ(handler->ReloadActiveSet(), 0);
    EXPECT_EQ(handler->ActiveSet()->record, [] {
        tagPRGINFO named;
        CopyBounded(named.szName, kPrgTextChars, L"Player");
        return named;
    }());
    // The program's handler releases the shared application map.
    EXPECT_TRUE(catalog.Contains(L"Editor"));
    dispatcher.reset();
    handler.reset();
    EXPECT_FALSE(catalog.Contains(L"Editor"));
}

TEST_F(KeyPathTest, MultiTapStepsThroughTheKeysCharactersAndFlashesTheChoice) {
    CTextInput text(clock, &display, [] { return tagOSDSETTINGS{}; });
    FakeEvent next(&clock, true, false);
    auto press = [&](int32_t key, bool nextKey, int32_t code = 0x60) {
        tagWINCMD command = Cmd(CMD_KEY, code, 0, 0, 1, 1000, 200);
        nextKey ? next.Set() : next.Reset();
        const int result = text.Key(key, &command, next);
        return std::to_wstring(result) + static_cast<wchar_t>(command.nSubType);
    };
    std::wstring typed = press(RCKEY_2, true);
    typed += press(RCKEY_2, true);
    EXPECT_EQ(typed + press(RCKEY_2, false), L"12"
                                             L"1A"
                                             L"4B");
    EXPECT_EQ(display.Take(),
              (Texts{L" \u00AB2\u00BB ABC", L"2 \u00ABA\u00BB BC", L"2A \u00ABB\u00BB C",
                     L"colors 10841658/15780518", L"2A \u00ABB\u00BB C", L"colors 15780518/10841658"}));
    // Another key while one waits; a pause restarts at the digit.
    EXPECT_EQ(press(RCKEY_3, true), L"13");
    EXPECT_TRUE(text.PendingBefore(RCKEY_2) && !text.PendingBefore(RCKEY_3));
    EXPECT_EQ(press(RCKEY_3, false), L"4D");
    EXPECT_EQ(press(RCKEY_3, false), L"43");
    std::wstring nine;
    for (int i = 0; i < 6; ++i)
        nine += press(RCKEY_9, true, 0x39);
    EXPECT_EQ(nine, L"191W1X1Y1Z19");
    // Key 0 shows its blank as "_", which is never marked.
    press(RCKEY_0, true, 0x30);
    EXPECT_EQ(text.DisplayText(RCKEY_0), L" \u00AB0\u00BB _");
    press(RCKEY_0, true, 0x30);
    EXPECT_EQ(text.DisplayText(RCKEY_0), L"0_");
    // A digit key bound to something else is no text key and starts over.
    EXPECT_EQ(press(RCKEY_5, true, 'A'), L"2A");
    EXPECT_EQ(text.State().lastKey, -1);
}

TEST_F(KeyPathTest, AKeySoundsShowsRunsAndRepeatsWhileHeld) {
    Make();
    WindowHandle player = Run(10, L"player");
    Key(RCKEY_RED); // the player's set is active
    const std::wstring start = L"file " + PathJoin(L"C:\\Windows", L"Media\\Start.wav"),
                       error = L"resource WAV_CMDERROR";
    std::vector<uint32_t> waits;
    stop->onWait = [&](FakeEvent&, uint32_t ms) {
        waits.push_back(ms);
        if (clock.TickCount() >= 1600)
            source.held = kNoKeyId;
    };
    Press(RCKEY_RED, 0);
    // At once, after 1000 + 200 ms, and every 200 ms until the check after the release.
    EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 200, 200, 200, 200}));
    EXPECT_EQ(windows[player].posted.size(), 6u);
    EXPECT_EQ(sound.Take(), Texts{start});
    EXPECT_EQ(display.Take(), Texts{L"Red"});
    // A tap of a double-function key never repeats; a new key ends a repeat at once.
    Press(RCKEY_RED);
    EXPECT_EQ(windows[player].posted.size(), 7u);
    waits.clear();
    stop->onWait = [&](FakeEvent&, uint32_t ms) {
        waits.push_back(ms);
        if (waits.size() == 3) {
            tagIREVENT next{&source, RCKEY_MUTE, 0};
            CKeyDispatcher::IrEventCallback(dispatcher.get(), &next);
        }
    };
    Press(RCKEY_RED, 0);
    EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 200, 200}));
    EXPECT_EQ(windows[player].posted.size(), 9u);
    EXPECT_EQ(audio.mute[0], 1u); // the new key ran
    stop->onWait = nullptr;

    // No command: the error sound and no text.
    sound.Take(), display.Take();
    Press(RCKEY_MOSAIC);
    EXPECT_EQ(sound.Take(), Texts{error});
    // What keeps the text away: hidden (silent too), the display off, a command or a set that hides it,
    // display and pointer commands, the open menu.
    Set([](tagSETTINGS& s) { s.hidden = 1; });
    Press(RCKEY_VOL_UP);
    Set([](tagSETTINGS& s) { s.hidden = 0, s.osd.on = 0; });
    Press(RCKEY_VOL_UP);
    Set([](tagSETTINGS& s) { s.osd.on = 1; });
    Press(RCKEY_TIMER); // the time command shows the time itself
    EXPECT_EQ(sound.Take(), (Texts{start, start}));
    EXPECT_EQ(display.Take(), Texts{L"Sun Dec  6 17:05:09 2026"});
    Press(RCKEY_MENU);
    Press(RCKEY_VOL_UP);
    EXPECT_TRUE(display.Take().empty());
}

TEST_F(KeyPathTest, ExclusiveModeTvModesAndTextInput) {
    Make();
    WindowHandle player = Run(10, L"player"), editor = Run(20, L"editor");
    windows.foreground = editor;
    Set([](tagSETTINGS& s) { s.exclusive = 1, s.exclusiveApplication = L"Player"; });
    Press(RCKEY_RED);
    EXPECT_EQ(windows[player].posted.size(), 1u);
    // Power finding no window starts the exclusive program.
    windows[player].destroyed = true;
    Press(RCKEY_POWER);
    EXPECT_EQ(shell.started.size(), 1u);

    // The TV application: the live set, the control set while its control window's box is checked,
    // with the teletext window's caption in teletext mode, and live again for a key the control set lacks.
    Set([](tagSETTINGS& s) { s.exclusiveApplication = CKeyDispatcher::kTvApplication; });
    WindowHandle tv = Run(30, L"VistarTV", L"Vistar Live");
    WindowHandle box = windows.AddChild(windows.Add(L"Vistar Control", L"C", 31), L"Button", 2023);
    Press(RCKEY_RED);
    EXPECT_EQ(dispatcher->TvMode(), 0);
    windows[box].checked = 1;
    Press(RCKEY_RED);
    EXPECT_EQ(dispatcher->TvMode(), 1);
    EXPECT_EQ(windows[tv].posted, (std::vector<FakeWindows::Message>{{kWmCommand, kTvMenuRed, 0}}));
    windows[box].checked = 0;
    WindowHandle teletext = windows.Add(L"Vistar Teletext", L"C", 30);
    Press(RCKEY_RED);
    EXPECT_EQ(dispatcher->TvMode(), 2);
    EXPECT_EQ(windows[teletext].posted.size(), 1u);
    Press(RCKEY_MUTE);
    EXPECT_EQ(dispatcher->TvMode(), 0);
    EXPECT_STREQ(handler->ActiveSet()->record.szWindowCaption, L"Vistar Live");

    // Multi-tap in the editor: each digit sounds twice; a different key types the waiting letter first.
    Set([](tagSETTINGS& s) { s.exclusive = 0; });
    handler->StartMenuEntry(2);
    sound.Take();
    std::vector<int32_t> next{RCKEY_2, RCKEY_2, RCKEY_3};
    stop->onWait = [&](FakeEvent&, uint32_t ms) {
        if (ms == 1000 && !next.empty()) {
            tagIREVENT e{&source, next.front(), 0};
            next.erase(next.begin());
            CKeyDispatcher::IrEventCallback(dispatcher.get(), &e);
        }
    };
    Press(RCKEY_2);
    EXPECT_EQ(windows[editor].keys, L"+'B' -'B' +'3' -'3'");
    EXPECT_EQ(sound.Take().size(), 8u);
}

TEST_F(KeyPathTest, ReadinessFreeingAndStop) {
    Make();
    WindowHandle player = Run(10, L"player");
    dispatcher->SetReady(false);
    Press(RCKEY_RED);
    EXPECT_TRUE(windows[player].posted.empty());
    EXPECT_EQ(CKeyDispatcher::IrEventCallback(nullptr, nullptr), 0);
    dispatcher->SetReady(true);
    tagIREVENT event{&source, RCKEY_RED, 0};
    CKeyDispatcher::IrEventCallback(dispatcher.get(), &event);
    dispatcher->ReceiverFreeing(source); // before the handler thread took the key
    threads.RunPending();
    EXPECT_TRUE(windows[player].posted.empty());
    EXPECT_TRUE(dispatcher->Stop(100));
    Press(RCKEY_RED);
    EXPECT_TRUE(windows[player].posted.empty());
}

// Real threads: a hanging command never holds the source's callback, and the user-interface thread
// starts menu entries and reloads the active set while keys run.
TEST_F(KeyPathTest, AHangingCommandNeverHoldsTheSourceAndTheEditorWorksBeside) {
    WriteUser(kMenu + std::wstring(L"[Windows (Standard)]\nExecutable=explorer.exe\n280=  2,  0,    3,  0,  "
                                   L"0,1000,200,\"\",\"\",\"\"\n"));
    HangingWarning hanging;
    Make(true, &hanging);
    tagIREVENT shutdown{&source, RCKEY_RED, 1}, menu{&source, RCKEY_MENU, 1}, time{&source, RCKEY_TIMER, 1};
    CKeyDispatcher::IrEventCallback(dispatcher.get(), &shutdown);
    hanging.entered.get_future().wait();
    const auto before = std::chrono::steady_clock::now();
    CKeyDispatcher::IrEventCallback(dispatcher.get(), &menu);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int i = 0; !done; i = (i + 1) % 4) {
            handler->StartMenuEntry(i);
            handler->ReloadActiveSet();
        }
    });
    hanging.release.set_value();
    for (int i = 0; i < 200; ++i) {
        CKeyDispatcher::IrEventCallback(dispatcher.get(), i % 2 ? &menu : &time);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_TRUE(dispatcher->Stop(5000));
    done = true;
    editor.join();
}

} // namespace
} // namespace lm::test
