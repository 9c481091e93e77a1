// The editor's page bases and the wizard on real windows: a page of the main sheet loads when it is
// shown, refreshes by its timer only while shown and saves when it is left; its controls take the texts
// of their IDs and of its caption table. The wizard's steps set their buttons. A screenshot of the
// wizard's second step goes to build/win/screenshots.
#include "WinTestSupport.h"
#include "Screenshot.h"

#include "editor/PropSheetWizard.h"
#include "support/LMLocalizeWin.h"

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
    EXPECT_TRUE(Screenshot::Capture(r).SavePng(BinDir() + L"\\..\\screenshots\\wizard-step2.png"));
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitFor([&] { return buttons().substr(0, 1) == L"+" && buttons().substr(2) == L"+"; }))
        << buttons();
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    runner.join();
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace lm
