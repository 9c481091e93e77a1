// The application object on fakes: the command line, the order of start and end, a second start, the
// write check, the stored language, the first-run main menu, device and power events; and the editor's
// rules that need no window (tray words, program menu).
#include "app/RemoteApp.h"
#include "editor/EditorModel.h"

#include "CmdSetFixture.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeInstanceLock.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeStringTables.h"
#include "fakes/FakeSystemInfo.h"
#include "fakes/FakeThreads.h"

#include <gtest/gtest.h>

#include <set>

namespace lm {
namespace {

using Journal = std::vector<std::string>;

TEST(CommandLine, EditorSwitchesInAnyCaseAndTheMidiChannelAsTyped) {
    struct Case {
        const wchar_t* line;
        uint32_t background;
        int channel;
    } cases[] = {
        {L"", 1, 15},           {L"-edit", 0, 15},         {L"/x -Show", 0, 15}, {L"-c", 0, 15},
        {L"--config", 0, 15},   {L"-midi:a", 1, 10},       {L"-midi:9", 1, 9},   {L"-midi:A", 1, 15},
        {L"-midi:g -e", 1, 15}, {L"-MIDI:5 -EDIT", 0, 15}, {L"-midi:", 1, 15},   {L"x-midi:f", 1, 15},
    };
    for (const Case& c : cases) {
        tagCOMMANDLINE parsed = ParseCommandLine(c.line);
        EXPECT_EQ(parsed.backgroundStart, c.background) << c.line;
        EXPECT_EQ(parsed.midiChannel, c.channel) << c.line;
    }
}

// Sources that note their making and deletion; the types in `present` initialise.
class JournalSource final : public CSrc {
public:
    JournalSource(const tagSRCSERVICES& services, int type, Journal& journal)
        : CSrc(services, L"type " + std::to_wstring(type), 64), type_(type), journal_(journal) {}
    ~JournalSource() override { journal_.push_back("delete " + std::to_string(type_)); }

private:
    int type_;
    Journal& journal_;
};

class JournalFactory final : public ISourceFactory {
public:
    JournalFactory(const tagSRCSERVICES& services, Journal& journal)
        : services_(services), journal_(journal) {}
    std::unique_ptr<CSrc> CreateSource(int type) override {
        if (!present.count(type))
            return nullptr;
        journal_.push_back("create " + std::to_string(type));
        return std::make_unique<JournalSource>(services_, type, journal_);
    }
    std::set<int> present;

private:
    tagSRCSERVICES services_;
    Journal& journal_;
};

class JournalKeyPath final : public IKeyPath {
public:
    explicit JournalKeyPath(Journal& journal) : journal_(journal) {}
    IrEventCallback Callback() const override { return &JournalKeyPath::OnKey; }
    void* CallbackContext() override { return this; }
    void Start(CSettings&) override { journal_.push_back("start"); }
    void SetReady(bool ready) override { journal_.push_back(ready ? "ready" : "not ready"); }
    void ReceiverFreeing(CSrc&) override {}
    int Stop(uint32_t timeoutMs) override {
        return journal_.push_back("stop " + std::to_string(timeoutMs)), 1;
    }
    void AttachDisplay(IOsdDisplay* display) override {
        journal_.push_back(display ? "display on" : "display off");
    }
    std::wstring ActiveApplication() override { return std::wstring(); }
    void SwitchToProgram(int) override {}

private:
    static int32_t OnKey(void*, const tagIREVENT*) { return 1; }
    Journal& journal_;
};

// The display is never used by the application object itself; any object stands for it.
class JournalShell final : public IAppShell {
public:
    explicit JournalShell(Journal& journal) : journal_(journal) {}
    IOsdDisplay* CreateDisplay(const tagOSDSETTINGS&) override {
        journal_.push_back("create display");
        return reinterpret_cast<IOsdDisplay*>(this);
    }
    void DestroyDisplay() override { journal_.push_back("destroy display"); }
    int ShowMessage(const std::wstring& text, int kind) override {
        messages.push_back(std::to_wstring(kind) + L" " + text);
        return 1;
    }
    int RunEditor(CRemoteApp& app) override {
        journal_.push_back("run");
        if (whileRunning)
            whileRunning(app);
        return 0x1111;
    }
    void EndProcess(uint32_t code) override { journal_.push_back("end " + std::to_string(code)); }
    std::vector<std::wstring> messages;
    std::function<void(CRemoteApp&)> whileRunning;

private:
    Journal& journal_;
};

class RemoteAppTest : public test::CmdSetFixture {
protected:
    void SetUp() override {
        CmdSetFixture::SetUp();
        tables.tables[2057] = {{100, L"x"}, {4009, L"The file\n\n%s\n\nis write protected."}};
        tables.tables[1031] = {{100, L"x"}};
        tagLOCALIZEOPTIONS options;
        options.language = 2057;
        options.registerFileType = false;
        loc = std::make_unique<CLMLocalize>(
            tagLOCALIZESERVICES{tables, profiles, locale, nullptr, temp.Path(L"prog")}, options);
    }
    std::unique_ptr<CRemoteApp> MakeApp(const std::wstring& commandLine) {
        return std::make_unique<CRemoteApp>(tagAPPSERVICES{registry, profiles, folders, threads, windows,
                                                           instance, system, *loc, keyNames, catalog, factory,
                                                           keyPath, shell},
                                            commandLine);
    }
    // The journal from the first entry that starts with `from` on, joined by "|".
    std::string From(const std::string& from) const {
        std::string out;
        bool on = false;
        for (const std::string& entry : journal)
            if ((on = on || entry.rfind(from, 0) == 0))
                out += (out.empty() ? "" : "|") + entry;
        return out;
    }

    test::FakeStringTables tables;
    test::FakeLocale locale;
    std::unique_ptr<CLMLocalize> loc;
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    test::FakeWindows windows;
    test::FakeInstanceLock instance;
    test::FakeSystemInfo system;
    Journal journal;
    JournalFactory factory{tagSRCSERVICES{clock, threads, nullptr}, journal};
    JournalKeyPath keyPath{journal};
    JournalShell shell{journal};
};

TEST_F(RemoteAppTest, AFirstRunStartsEverythingRunsTheEditorAndEndsSourcesBeforeKeysBeforeTheDisplay) {
    temp.Touch(L"pf/zeta.exe");
    temp.Touch(L"pf/alpha.exe");
    temp.Touch(L"pf/Explorer.exe");
    WritePreset(L"[Software]\n0=Old\n[Windows (Standard)]\nExecutable=explorer.exe\nAppPath=" +
                temp.Path(L"pf/Explorer.exe") + L"\n[Zeta]\nExecutable=zeta.exe\nAppPath=" +
                temp.Path(L"pf/zeta.exe") + L"\n[alpha]\nExecutable=alpha.exe\nAppPath=" +
                temp.Path(L"pf/alpha.exe") + L"\n[Gone]\nExecutable=gone.exe\nAppPath=/no/gone.exe\n");
    WriteUser(L"[Remote Buttons]\ntv/KEY_OK=185\n");
    tables.tables[2057][1466] = L"Off";
    factory.present = {12};
    std::string running;
    shell.whileRunning = [&](CRemoteApp& app) {
        running = "found " + std::to_string(app.Receivers().FoundMask()) + ", ready " +
                  std::to_string(app.Receivers().Ready());
        // No server until the user names one; then the server and the user's buttons, which are no
        // command set; its state for the options page while it does not run; no server without a port.
        tagIRSERVERCONFIG config;
        EXPECT_FALSE(app.IrServerConfig(config));
        tagSETTINGS s = app.Settings().Get();
        s.irServerHost = L" 127.0.0.1 ";
        app.Settings().Set(s);
        EXPECT_TRUE(app.IrServerConfig(config));
        EXPECT_EQ(config.host + L":" + std::to_wstring(config.port), L"127.0.0.1:8765");
        EXPECT_EQ(config.buttons, (ProfilePairs{{L"tv/KEY_OK", L"185"}}));
        EXPECT_EQ(app.Admin()->CommandSetNames(UserPath()), std::vector<std::wstring>{});
        EXPECT_EQ(app.IrServerStatusText(), L"Off");
        s.irServerPort = 0;
        app.Settings().Set(s);
        EXPECT_FALSE(app.IrServerConfig(config));
    };
    auto app = MakeApp(L"-midi:c");
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(app->ExitCode(), 0x1111);
    EXPECT_EQ(app->BackgroundStart(), 1u);
    EXPECT_EQ(running, "found 4096, ready 1");
    EXPECT_EQ(From("create display"),
              "create display|start|display on|create 12|ready|run|delete 12|not ready|"
              "stop 5000|display off|destroy display");
    EXPECT_EQ(threads.com[threads.CurrentThreadId()], 0);
    EXPECT_EQ(app->Receivers().MidiChannel(), 12);
    // The first run filled the main menu: the standard set, the installed programs sorted, then "---".
    std::wstring menu;
    for (int i = 0; i < kMainMenuPlaces; ++i)
        menu += Read(UserPath(), L"Software", std::to_wstring(i)) + L";";
    EXPECT_EQ(menu, L"Windows (Standard);Zeta;alpha;---;---;---;---;---;---;---;");
    EXPECT_EQ(registry.GetDword(RegistryHive::CurrentUser, kProgramKey + std::wstring(L"\\OSD"), L"OSD On"),
              1u);
    EXPECT_TRUE(shell.messages.empty());
    app.reset();
    EXPECT_EQ(journal.back(), "stop 10000");
}

TEST_F(RemoteAppTest, ASecondStartShowsTheFirstEditorOnlyWhenAskedAndEndsWithoutWindows) {
    instance.claimed.insert(kInstanceSemaphore);
    WindowHandle editor = windows.Add(kEditorTitle, L"#32770", 1);
    EXPECT_FALSE(MakeApp(L"")->InitInstance());
    EXPECT_TRUE(windows[editor].posted.empty());
    EXPECT_FALSE(MakeApp(L"-edit")->InitInstance());
    EXPECT_FALSE(windows[editor].visible); // hidden, so that the editor's toggle shows it
    ASSERT_EQ(windows[editor].posted.size(), 1u);
    EXPECT_EQ(windows[editor].posted[0], test::FakeWindows::Message(kWmCommand, kCmdShowEditor, 0));
    EXPECT_EQ(journal, (Journal{"stop 10000", "stop 10000"})); // only the ends of the two objects
    EXPECT_EQ(threads.com[threads.CurrentThreadId()], 0);
}

TEST_F(RemoteAppTest, TheStoredLanguageAppliesAndAWriteProtectedUserFileIsToldToAnAdministrator) {
    registry.SetDword(RegistryHive::CurrentUser, kProgramKey, kLanguageValue, 1031);
    WriteUser(L"[Software]\n0=Windows (Standard)\n");
    ASSERT_TRUE(spy.SetReadOnly(UserPath(), true));
    MakeApp(L"")->InitInstance();
    EXPECT_EQ(loc->CurrentLanguage(), 1031);
    EXPECT_TRUE(shell.messages.empty()) << "not an administrator";
    system.admin = true;
    instance.claimed.clear(); // the first process has ended
    auto app = MakeApp(L"-edit");
    app->InitInstance();
    EXPECT_EQ(shell.messages,
              std::vector<std::wstring>{L"0 The file\n\n" + UserPath() + L"\n\nis write protected."});

    // The language menu: only available languages of the table are taken, and the choice is stored.
    EXPECT_FALSE(app->SwitchLanguage(1036)); // no file, no table
    EXPECT_FALSE(app->SwitchLanguage(0));    // the neutral entry
    EXPECT_TRUE(app->SwitchLanguage(2057));
    EXPECT_EQ(loc->CurrentLanguage(), 2057);
    EXPECT_EQ(registry.GetDword(RegistryHive::CurrentUser, kProgramKey, kLanguageValue), 2057u);
}

TEST_F(RemoteAppTest, DevicesAndPowerEventsFreeAndRecreateTheirReceiverTypes) {
    factory.present = {9, 10, 13, 14};
    auto app = MakeApp(L"");
    auto event = [&](uint32_t code, const std::wstring& path, uint32_t type = kDbtDevTypDeviceInterface) {
        journal.clear();
        tagDEVICEEVENT record{type, path};
        EXPECT_EQ(app->HandleDeviceChange(code, &record), 1);
        return From("");
    };
    const std::wstring hybridStick =
        L"\\\\?\\USB#VID_0FD9&PID_0018#5&1a2b#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(event(kDbtDeviceArrival, hybridStick), "create 9");
    EXPECT_EQ(event(kDbtDeviceArrival, L"usb#vid_045e&pid_006d#1"), "create 10|create 14");
    EXPECT_EQ(event(kDbtDeviceQueryRemove, L"USB#VID_045E&PID_006D#1"), "delete 10|delete 14");
    EXPECT_EQ(event(kDbtDeviceRemoveComplete, hybridStick), "delete 9");
    // Other events, other kinds of device, no record and paths of no receiver change nothing.
    EXPECT_EQ(event(0x0007, hybridStick), "");
    EXPECT_EQ(event(kDbtDeviceArrival, hybridStick, 2 /* volume */), "");
    EXPECT_EQ(app->HandleDeviceChange(kDbtDeviceArrival, nullptr), 1);
    EXPECT_EQ(event(kDbtDeviceArrival, L"USB#VID_0FD9&PID_0019#1"), "");
    // The maker's second interface of a composite device.
    EXPECT_EQ(event(kDbtDeviceArrival, L"usb#vid_4c4d&pid_0050&mi_01#7"), "create 9");
    // The FireWire sound card: its MIDI port re-creates type 1 (which has no source here); leaving ends
    // the process, already when the system asks whether it may go.
    EXPECT_EQ(event(kDbtDeviceArrival, L"1394#LUMORA&SONEXA_7.1_FIREWIRE#midi"), "");
    EXPECT_EQ(event(kDbtDeviceQueryRemove, L"x\\lm1394_enum#lm1394_avs_000aac0200#y"), "end 8738");

    // The HID remote (once the user selected it) is looked for when a USB or HID device comes and none
    // runs, and checked again when one has gone.
    tagSETTINGS selected = app->Settings().Get();
    selected.selection |= 1u << kReceiverTypeHidRemote;
    app->Settings().Set(selected);
    factory.present.insert(kReceiverTypeHidRemote);
    const std::wstring hid =
        L"\\\\?\\HID#VID_0471&PID_0815&Col01#8&2c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    EXPECT_EQ(event(kDbtDeviceArrival, hid), "create 17");
    EXPECT_EQ(event(kDbtDeviceArrival, hybridStick), "delete 9|create 9");
    EXPECT_EQ(event(kDbtDeviceQueryRemove, hid), "");
    EXPECT_EQ(event(kDbtDeviceRemoveComplete, hybridStick), "delete 17|create 17|delete 9");

    journal.clear();
    app->HandlePowerResume();
    app->HandlePowerSuspend();
    EXPECT_EQ(From(""), "create 10|create 13|delete 13|delete 10");
    EXPECT_EQ(UsbReceiverPattern(UsbReceiverTable()[4]), L"usb#vid_0fd9&pid_0018#");
}

TEST_F(RemoteAppTest, TheEditorsTrayWordsAndProgramMenu) {
    for (auto [lang, words] : {std::pair<uint16_t, std::wstring>{1031, L"&Anzeigen &Verbergen &Beenden"},
                               {2055, L"&Anzeigen &Verbergen &Beenden"},
                               {2052, L"\u663e\u793a \u9690\u85cf \u9000\u51fa"},
                               {1028, L"\u663e\u793a \u9690\u85cf \u9000\u51fa"},
                               {1041, L"&Show &Hide &Exit"}}) {
        const tagTRAYWORDS w = TrayWords(lang);
        EXPECT_EQ(std::wstring(w.show) + L" " + w.hide + L" " + w.exit, words) << lang;
    }
    strings.texts[53888] = L"Sprache";
    EXPECT_EQ(LanguagePopupCaption(strings), L"Sprache/Language");

    WriteUser(L"[Software]\n0=Windows (Standard)\n1=---\n2=\n3=Kodi\n9=VLC media player\n");
    auto admin = MakeFileAdmin();
    std::wstring menu;
    for (const tagPROGRAMENTRY& e : ProgramMenuEntries(*admin))
        menu += std::to_wstring(e.index) + L"=" + e.text + L";";
    EXPECT_EQ(menu, L"0= 0. Windows (Standard);3= 3. Kodi;9= 9. VLC media player;");
}

} // namespace
} // namespace lm
