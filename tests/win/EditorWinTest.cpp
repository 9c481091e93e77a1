// The editor's page bases and the wizard on real windows: a page of the main sheet loads when it is
// shown, refreshes by its timer only while shown and saves when it is left; its controls take the texts
// of their IDs and of its caption table. The wizard's steps set their buttons. The key-assignment step
// shows the remote pictures with their frames, takes clicks on keys, shows the controls of each command
// type, records a key combination and tests a command against the target application. Screenshots of
// the wizard's second step go to build/win/screenshots.
#include "WinTestSupport.h"
#include "Screenshot.h"

#include "TargetIds.h"
#include "cmdset/KeyLine.h"
#include "editor/PropSheetWizard.h"
#include "platform/Platform.h"
#include "support/LMLocalizeWin.h"
#include "support/StringTables.h"
#include "base/Text.h"

#include "fakes/FakeExecServices.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeStringTables.h"
#include "platform/FileSystem.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <atomic>

namespace lm {
namespace {

using namespace wintest;

class CountingPage final : public CPageBase {
public:
    CountingPage(CLMLocalizeWin& loc, int32_t templateId, std::vector<tagCAPTIONTEXT> captions = {})
        : CPageBase(loc, templateId, std::move(captions)) {}
    bool LoadSettings() override { return ++loads, true; }
    bool SaveSettings() override { return ++saves, true; }
    void OnTimerTick() override { ++ticks; }
    void UpdateTexts() override { ++texts; }
    std::atomic<int> loads{0}, saves{0}, ticks{0}, texts{0};
};

std::wstring Text(HWND window, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(window, id, text, 256);
    return text;
}

class EditorWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.tables[1031] = {{100, L"x"},
                               {1220, L"Hauptmen\u00fc"},
                               {4461, L"Anwendung"},
                               {1650, L"Untertitel"},
                               {4403, L"Befehlssatz"},
                               {4453, L"Pr\u00fcfung"},
                               {53957, L"Verschiedenes"}};
        tagLOCALIZEOPTIONS options;
        options.language = 1031;
        options.registerFileType = false;
        options.applyLocale = false;
        ui.Run([&] {
            loc = std::make_unique<CLMLocalizeWin>(
                tagLOCALIZESERVICES{tables, profiles, locale, nullptr, NewTempDir(L"editor")}, options);
        });
    }
    void TearDown() override {
        ui.Run([&] { loc.reset(); });
    }

    test::FakeStringTables tables;
    test::FakeLocale locale;
    CProfileStore profiles{NativeFileSystem()};
    UiThread ui;
    std::unique_ptr<CLMLocalizeWin> loc;
};

TEST_F(EditorWinTest, APageLoadsWhenShownTicksWhileShownAndSavesWhenLeft) {
    std::unique_ptr<CountingPage> menu, options;
    HWND sheet = nullptr;
    ui.Run([&] {
        menu = std::make_unique<CountingPage>(*loc, 101);
        options =
            std::make_unique<CountingPage>(*loc, 103, std::vector<tagCAPTIONTEXT>{{1430, 53957}, {1431, 9}});
        HPROPSHEETPAGE pages[] = {menu->CreateSheetPage(L"Menu"), options->CreateSheetPage(L"Options")};
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.pszCaption = L"Pages";
        header.nPages = 2;
        header.phpage = pages;
        sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    });
    ASSERT_NE(sheet, nullptr);
    HWND menuPage = menu->Window();
    ASSERT_NE(menuPage, nullptr);
    EXPECT_EQ(options->Window(), nullptr); // made when first shown
    EXPECT_EQ(Text(menuPage, 1220), L"Hauptmen\u00fc");
    EXPECT_EQ(Text(menuPage, 1221), L"Autoselect"); // no string: the design text stays
    EXPECT_EQ(menu->texts.load(), 1);
    EXPECT_GE(menu->loads.load(), 1);
    EXPECT_TRUE(WaitFor([&] { return menu->ticks.load() >= 2; }, 3000));

    ui.Run([&] { PropSheet_SetCurSel(sheet, nullptr, 1); });
    EXPECT_EQ(menu->saves.load(), 1);
    EXPECT_FALSE(menu->TimerRunning());
    const int ticksWhenLeft = menu->ticks.load();
    EXPECT_GE(options->loads.load(), 1);
    EXPECT_TRUE(options->TimerRunning());
    EXPECT_EQ(Text(options->Window(), 1430), L"Verschiedenes"); // from the caption table
    EXPECT_EQ(Text(options->Window(), 1431),
              L"Start with Windows"); // an unknown string leaves the design text
    Sleep(1200);
    EXPECT_EQ(menu->ticks.load(), ticksWhenLeft);
    EXPECT_GE(options->ticks.load(), 1);

    const int loads = menu->loads.load();
    ui.Run([&] { PropSheet_SetCurSel(sheet, nullptr, 0); });
    EXPECT_EQ(menu->loads.load(), loads + 1);
    EXPECT_EQ(options->saves.load(), 1);
    ui.Run([&] { DestroyWindow(sheet); });
    EXPECT_EQ(menu->Window(), nullptr);
    ui.Run([&] { menu.reset(), options.reset(); });
}

TEST_F(EditorWinTest, TheWizardsStepsSetTheirButtonsAndFinishEndsIt) {
    bool finished = false;
    std::atomic<bool> done{false};
    std::thread runner([&] {
        ui.Run([&] {
            CPropSheetWizard wizard(*loc, L"New");
            finished = wizard.DoModal(nullptr);
        });
        done = true;
    });
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (wizard = FindWindowW(nullptr, L"New")) && IsWindowVisible(wizard); }));
    auto buttons = [&] {
        std::wstring state;
        for (int id : {0x3023, 0x3024, 0x3025}) { // Back, Next, Finish
            HWND button = GetDlgItem(wizard, id);
            state += !button || !IsWindowVisible(button) ? L"-" : IsWindowEnabled(button) ? L"+" : L"0";
        }
        return state;
    };
    EXPECT_TRUE(WaitFor([&] { return buttons() == L"0+-"; })) << buttons();
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitFor([&] { return buttons() == L"++-"; })) << buttons();
    Sleep(500);
    RECT r{};
    GetWindowRect(wizard, &r);
    EXPECT_TRUE(Screenshot::Capture(r).SavePng(ShotPath(L"wizard-step2")));
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitFor([&] { return buttons().substr(0, 1) == L"+" && buttons().substr(2) == L"+"; }))
        << buttons();
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    runner.join();
    EXPECT_TRUE(finished);
}

// What a control of a page cannot show of its text: empty when the text fits (its extent in the
// control's font, with the room the control's own parts take), else a line naming it.
std::wstring CutText(HWND control) {
    wchar_t cls[32] = {}, text[512] = {};
    GetClassNameW(control, cls, 32);
    GetWindowTextW(control, text, 512);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!text[0] || !IsWindowVisible(control))
        return L"";
    int room = 0;
    UINT format = DT_CALCRECT | DT_SINGLELINE;
    if (_wcsicmp(cls, L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        room = type == BS_GROUPBOX                                                            ? 16
               : type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ? 20
                                                                                              : 8;
    } else if (_wcsicmp(cls, L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) == SS_BITMAP)
            return L"";
        if ((style & SS_TYPEMASK) == SS_LEFT || (style & SS_TYPEMASK) == SS_CENTER)
            format = DT_CALCRECT | DT_WORDBREAK;
    } else {
        return L"";
    }
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, client.right - room, 0};
    DrawTextW(dc, text, -1, &need, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (need.right + room <= client.right && need.bottom <= client.bottom + 1)
        return L"";
    return FormatBounded(600, L"%d \"%ls\" needs %dx%d, has %dx%d", GetDlgCtrlID(control), text,
                         static_cast<int>(need.right + room), static_cast<int>(need.bottom),
                         static_cast<int>(client.right), static_cast<int>(client.bottom));
}

// Every page of both sheets in each of the 18 languages: no control's text is cut, and no control
// keeps its English text where the language has a translation of it.
TEST(EditorLanguagesWinTest, EveryPageFitsAndIsTranslatedInEveryLanguage) {
    const IStringTables& tables = BuiltInStringTables();
    const std::vector<uint16_t>& languages = BuiltInTableLanguages();
    EXPECT_EQ(languages.size(), 18u);
    test::FakeLocale locale;
    CProfileStore profiles{NativeFileSystem()};
    const std::wstring folder = NewTempDir(L"languages");
    UiThread ui;
    std::wstring cut, english;
    for (uint16_t language : languages) {
        ui.Run([&] {
            CLMLocalizeWin loc(tagLOCALIZESERVICES{tables, profiles, locale, nullptr, folder},
                               tagLOCALIZEOPTIONS::LookupOnly(language, kLookupTablesOnly));
            CPageMenu menu(loc);
            CPageCmdSets sets(loc);
            CPageOptions options(loc);
            CPageAbout about(loc);
            CPageCmdSetApp application(loc);
            CPageCmdSetEdit keys(loc);
            CPageCmdSetReview review(loc);
            CPropPage* pages[] = {&menu, &sets, &options, &about, &application, &keys, &review};
            HPROPSHEETPAGE handles[std::size(pages)] = {};
            for (size_t i = 0; i < std::size(pages); ++i)
                handles[i] = pages[i]->CreateSheetPage(L"Page");
            PROPSHEETHEADERW header{};
            header.dwSize = sizeof header;
            header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
            header.pszCaption = L"Languages";
            header.nPages = static_cast<UINT>(std::size(handles));
            header.phpage = handles;
            HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
            for (size_t i = 0; i < std::size(pages); ++i) {
                PropSheet_SetCurSel(sheet, nullptr, i);
                HWND page = pages[i]->Window();
                for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                    const std::wstring problem = CutText(child);
                    if (!problem.empty())
                        cut += FormatBounded(700, L"%u page %d: %ls\n", language, pages[i]->TemplateId(),
                                             problem.c_str());
                    const int id = GetDlgCtrlID(child);
                    const auto own = tables.Find(language, static_cast<uint32_t>(id));
                    const auto reference = tables.Find(kLangEnglishUK, static_cast<uint32_t>(id));
                    wchar_t text[512] = {};
                    GetWindowTextW(child, text, 512);
                    if (id > 0 && own && reference && *own != *reference && *reference == text)
                        english += FormatBounded(700, L"%u page %d: %d \"%ls\"\n", language,
                                                 pages[i]->TemplateId(), id, text);
                }
            }
            DestroyWindow(sheet);
        });
    }
    EXPECT_EQ(cut, L"");
    EXPECT_EQ(english, L"");
}

class KeyPageWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = NewTempDir(L"keypage");
        // The target's preset binds key 1 to a command of its own.
        tagWINCMD alpha;
        alpha.nType = CMD_KEY, alpha.nSubType = 'A';
        CopyBounded(alpha.szOsdText, kCmdTextChars, L"Alpha");
        CProfileStore(NativeFileSystem()).WriteString(Preset(), L"Target", L"Executable", L"TargetApp.exe");
        CProfileStore(NativeFileSystem())
            .WriteString(Preset(), L"Target", L"201", FormatKeyLine(alpha, L"Programme 1"));
        log = folder + L"\\target.log";
        ASSERT_TRUE(target.Start(BinDir() + L"\\TargetApp.exe", L"-log \"" + log + L"\""));
        ASSERT_NE(target.WaitForWindow(kTargetClass), nullptr);
        tagLOCALIZEOPTIONS options = tagLOCALIZEOPTIONS::LookupOnly(kLangEnglishUK, kLookupTablesOnly);
        ui.Run([&] {
            loc = std::make_unique<CLMLocalizeWin>(
                tagLOCALIZESERVICES{BuiltInStringTables(), profiles, locale, nullptr, folder}, options);
            admin = std::make_unique<CCmdSetAdmin>(
                tagCMDSETSERVICES{profiles, *registry, NativeKnownFolders(), *loc, keyNames, catalog},
                tagCMDSETFILES{Preset(), folder + L"\\RemoteControl.usr"});
            runner = std::make_unique<CExecCommandRunner>(tagEXECSERVICES{
                NativeWindows(), NativeInput(), NativeProcesses(), NativeShell(), NativePlatform().clock,
                NativePlatform().threads, NativeAudio(), power, warning, *loc});
        });
    }
    void TearDown() override {
        if (wizard)
            PostMessageW(wizard, WM_CLOSE, 0, 0);
        if (thread.joinable())
            thread.join();
        ui.Run([&] { runner.reset(), admin.reset(), loc.reset(); });
    }
    std::wstring Preset() const { return folder + L"\\RemoteControl.ini"; }

    // Opens the wizard for the target's set and goes to step 2.
    HWND OpenKeyPage() {
        thread = std::thread([&] {
            ui.Run([&] {
                CPropSheetWizard sheet(*loc, L"Key page");
                CopyBounded(sheet.Record().szName, kPrgTextChars, L"Target");
                CopyBounded(sheet.Record().szExecutable, kPrgTextChars, L"TargetApp.exe");
                sheet.KeyPage().Attach(
                    tagKEYPAGESERVICES{*admin, *loc, keyNames, programKey, *runner, L"Keyboard"},
                    sheet.Record());
                CKeymap keymap;
                admin->LoadKeymap(L"Target", keymap, false);
                sheet.KeyPage().SetKeymap(keymap, L"Target");
                finished = sheet.DoModal(nullptr);
            });
        });
        EXPECT_TRUE(
            WaitFor([&] { return (wizard = FindWindowW(nullptr, L"Key page")) && IsWindowVisible(wizard); }));
        PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        HWND page = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            page = reinterpret_cast<HWND>(SendMessageW(wizard, PSM_GETCURRENTPAGEHWND, 0, 0));
            return page && GetDlgItem(page, kIdcPicture) && IsWindowVisible(page);
        }));
        return page;
    }
    // Picks the product row with the remote model, as the user does.
    void ChooseModel(HWND page, uint32_t mask) {
        HWND products = GetDlgItem(page, kIdcProduct);
        const auto rows = static_cast<int>(SendMessageW(products, CB_GETCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            if (static_cast<uint32_t>(SendMessageW(products, CB_GETITEMDATA, row, 0)) == mask) {
                SendMessageW(products, CB_SETCURSEL, row, 0);
                SendMessageW(page, WM_COMMAND, MAKEWPARAM(kIdcProduct, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(products));
                return;
            }
        ADD_FAILURE() << "no product with model " << mask;
    }
    void ChooseType(HWND page, int32_t type) {
        HWND types = GetDlgItem(page, kIdcType);
        SendMessageW(types, CB_SETCURSEL, type, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kIdcType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    }
    static RECT ScreenRect(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        return r;
    }
    static POINT Centre(HWND control, const tagRCKEYAREA& area) {
        POINT p{area.left + area.width / 2, area.top + area.height / 2};
        ClientToScreen(control, &p);
        return p;
    }
    // Pixels of the colour on the 2-pixel frame around a hot spot.
    static int FramePixels(const Screenshot& shot, const tagRCKEYAREA& a, uint32_t color) {
        RECT outer{a.left - 2, a.top - 2, a.left + a.width + 2, a.top + a.height + 2};
        RECT inner{a.left, a.top, a.left + a.width, a.top + a.height};
        return shot.Count(outer, color) - shot.Count(inner, color);
    }
    std::wstring Text(HWND page, int id) {
        wchar_t text[256] = {};
        GetDlgItemTextW(page, id, text, 256);
        return text;
    }
    bool Shown(HWND page, int id) { return IsWindowVisible(GetDlgItem(page, id)) != FALSE; }
    bool Logged(const std::string& lines) {
        const std::string wanted = std::string(1, '\n').append(lines).append(1, '\n');
        return WaitFor(
            [&] { return std::string(1, '\n').append(ReadFile(log)).find(wanted) != std::string::npos; },
            5000);
    }

    std::wstring folder, log;
    ChildProcess target;
    test::FakeLocale locale;
    CProfileStore profiles{NativeFileSystem()};
    std::unique_ptr<IRegistry> registry = MakeMemoryRegistry();
    CLMRegistry programKey{*registry, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
    CKeyNames keyNames;
    CAppCatalog catalog;
    test::FakePower power;
    test::FakeShutdownWarning warning;
    UiThread ui;
    std::unique_ptr<CLMLocalizeWin> loc;
    std::unique_ptr<CCmdSetAdmin> admin;
    std::unique_ptr<CExecCommandRunner> runner;
    std::thread thread;
    HWND wizard = nullptr;
    bool finished = false;
};

TEST_F(KeyPageWinTest, EachRemoteShowsItsPictureWithTheFramesOfItsKeys) {
    HWND page = OpenKeyPage();
    ASSERT_NE(page, nullptr);
    HWND picture = GetDlgItem(page, kIdcPicture);
    for (const tagRCMODEL& model : RemoteModels()) {
        SCOPED_TRACE(model.mask);
        ChooseModel(page, model.mask);
        const tagRCKEYAREA& first = model.areas.front();
        const tagRCKEYAREA* one = nullptr;
        for (const tagRCKEYAREA& area : model.areas)
            one = area.key == RCKEY_1 ? &area : one;
        ASSERT_NE(one, nullptr);
        Screenshot shot;
        // The first key selected in red; key 1 in the preset's colour, the Power key in the default's.
        EXPECT_TRUE(WaitFor([&] {
            shot = Screenshot::Capture(ScreenRect(picture));
            return FramePixels(shot, first, kSelectionColor) >= 2 * (first.width + first.height) &&
                   FramePixels(shot, *one, kMarkColors[2]) >= 2 * (one->width + one->height);
        }));
        EXPECT_EQ(shot.width, model.width);
        EXPECT_EQ(shot.height, model.height);
        // The whole picture inside its group.
        const RECT group = ScreenRect(GetDlgItem(page, kIdcRemoteGroup)), shown = ScreenRect(picture);
        EXPECT_TRUE(shown.left > group.left && shown.right < group.right && shown.bottom < group.bottom)
            << shown.left << "," << shown.top << "," << shown.right << "," << shown.bottom << " in "
            << group.left << "," << group.top << "," << group.right << "," << group.bottom;
        EXPECT_GE(shot.Count(RECT{0, 0, shot.width, shot.height}, kMarkColors[1]), 20 * 2 * 40);
        EXPECT_TRUE(shot.SavePng(ShotPath(L"keypage-model" + std::to_wstring(model.mask))));
    }
    ChooseModel(page, 2);
    Sleep(300);
    EXPECT_TRUE(Screenshot::Capture(ScreenRect(wizard)).SavePng(ShotPath(L"keypage-wizard")));

    // The MIDI keyboard: no picture, the 128 notes with note 60 selected.
    ChooseModel(page, kRemoteModelMidi);
    EXPECT_FALSE(Shown(page, kIdcPicture));
    EXPECT_TRUE(Shown(page, kIdcMidiList));
    EXPECT_EQ(SendDlgItemMessageW(page, kIdcMidiList, LB_GETCOUNT, 0, 0), 128);
    EXPECT_EQ(SendDlgItemMessageW(page, kIdcMidiList, LB_GETCURSEL, 0, 0), 60);
    EXPECT_EQ(Text(page, kIdcSelectedKey), L"C5");
    Sleep(300);
    EXPECT_TRUE(Screenshot::Capture(ScreenRect(wizard)).SavePng(ShotPath(L"keypage-midi")));
}

TEST_F(KeyPageWinTest, AClickedKeyIsEditedRecordedAndTested) {
    HWND page = OpenKeyPage();
    ASSERT_NE(page, nullptr);
    ChooseModel(page, 2);
    ASSERT_TRUE(BringToFront(wizard));
    HWND picture = GetDlgItem(page, kIdcPicture);
    // A click on Volume +: its command in the controls.
    const tagRCKEYAREA* volume = nullptr;
    for (const tagRCKEYAREA& area : FindRemoteModel(2)->areas)
        volume = area.key == RCKEY_VOL_UP ? &area : volume;
    ClickAt(Centre(picture, *volume));
    EXPECT_TRUE(WaitFor([&] { return Text(page, kIdcSelectedKey) == L"Volume +"; }))
        << Text(page, kIdcSelectedKey);
    EXPECT_EQ(SendDlgItemMessageW(page, kIdcType, CB_GETCURSEL, 0, 0), CMD_SYSTEM);
    EXPECT_EQ(Text(page, kIdcValue), L"+10%");
    EXPECT_TRUE(Shown(page, kIdcValue));
    EXPECT_FALSE(Shown(page, kIdcParam2));
    EXPECT_TRUE(IsDlgButtonChecked(page, kIdcRepeat));

    // The controls of a window command, then of a keystroke.
    ChooseType(page, CMD_WINDOW);
    EXPECT_TRUE(Shown(page, kIdcParam1));
    EXPECT_EQ(SendDlgItemMessageW(page, kIdcParam1, CB_GETCOUNT, 0, 0), 7);
    EXPECT_FALSE(Shown(page, kIdcValue));
    EXPECT_FALSE(Shown(page, kIdcRepeat));
    ChooseType(page, CMD_KEY);
    EXPECT_FALSE(Shown(page, kIdcParam1));
    EXPECT_TRUE(Shown(page, kIdcKey) && Shown(page, kIdcRecord) && Shown(page, kIdcCtrl));

    // Recording Ctrl+Shift+F5.
    ClickAt(Centre(GetDlgItem(page, kIdcRecord), tagRCKEYAREA{0, 0, 20, 10, 0, 0}));
    ASSERT_TRUE(WaitFor([&] { return IsDlgButtonChecked(page, kIdcRecord) == BST_CHECKED; }));
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F5});
    EXPECT_TRUE(WaitFor([&] { return Text(page, kIdcKey) == L"F5"; })) << Text(page, kIdcKey);
    EXPECT_EQ(IsDlgButtonChecked(page, kIdcCtrl), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, kIdcShift), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, kIdcAlt), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, kIdcRecord), BST_UNCHECKED);
    EXPECT_TRUE(Screenshot::Capture(ScreenRect(wizard)).SavePng(ShotPath(L"keypage-recorded")));

    // Test: the target receives the keystroke.
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdcTest, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, kIdcTest)));
    EXPECT_TRUE(Logged("KEYDOWN 17\nKEYDOWN 16\nKEYDOWN 116\nKEYUP 116\nKEYUP 16\nKEYUP 17"))
        << ReadFile(log);

    // Leaving the step forward writes the set.
    ASSERT_TRUE(BringToFront(wizard));
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    tagWINCMD stored;
    EXPECT_TRUE(WaitFor([&] {
        const std::wstring line = CProfileStore(NativeFileSystem())
                                      .GetString(folder + L"\\RemoteControl.usr", L"Target", L"241", L"");
        return !line.empty() && ParseKeyLine(line, stored) == 7;
    }));
    EXPECT_EQ(stored.nType, CMD_KEY);
    EXPECT_EQ(stored.nSubType, VK_F5);
    EXPECT_EQ(stored.nParam, MOD_KEY_CTRL | MOD_KEY_SHIFT);
}

} // namespace
} // namespace lm
