// The localisation's Windows views against real windows, menus and message boxes.
#include "support/LMLocalizeWin.h"

#include "WinTestSupport.h"

#include "base/Text.h"
#include "common/ProfileCases.h"

#include "fakes/FakeLocale.h"
#include "fakes/FakeStringTables.h"
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace lm {
namespace {

std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::wstring MenuText(HMENU menu, UINT item, UINT flags = MF_BYCOMMAND) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, item, text, 256, flags);
    return text;
}

// German.lng in UTF-16 in a folder of its own; string tables with German and English texts.
class LocalizeWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = wintest::NewTempDir(L"localize");
        ASSERT_TRUE(NativeFileSystem().WriteAtomic(
            PathJoin(folder, L"German.lng"),
            test::Utf16Le(
                L"[Strings]\r\n1600=Aus der Sprachdatei\r\n1603=\r\n1=&Ja, gut\r\n0x641=Hexadezimal\r\n")));
        tables.tables[1031] = {{1602, L"Aus der Tabelle"}, {53505, L"Fehler"}, {100, L"x"}};
        tables.tables[2057] = {{100, L"x"}, {1700, L"English only"}};
        tagLOCALIZEOPTIONS options;
        options.language = 1031;
        options.registerFileType = false;
        loc = std::make_unique<CLMLocalizeWin>(tagLOCALIZESERVICES{tables, profiles, locale, nullptr, folder},
                                               options);
    }
    HWND Window(HWND parent, const wchar_t* cls, int id, const wchar_t* text) {
        return CreateWindowExW(
            0, cls, text, parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 20,
            parent, parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr,
            GetModuleHandleW(nullptr), nullptr);
    }

    std::wstring folder;
    test::FakeStringTables tables;
    test::FakeLocale locale;
    CProfileStore profiles{NativeFileSystem()};
    std::unique_ptr<CLMLocalizeWin> loc;
};

TEST_F(LocalizeWinTest, DialogChildrenAndMenuItemsTakeTheTextsOfTheirIds) {
    HWND dialog = Window(nullptr, L"STATIC", 0, L"dialog");
    ASSERT_NE(dialog, nullptr);
    HWND fromFile = Window(dialog, L"STATIC", 1600, L"design"),
         fromHex = Window(dialog, L"BUTTON", 1601, L"design");
    HWND fromTable = Window(dialog, L"EDIT", 1602, L"design"),
         emptyValue = Window(dialog, L"STATIC", 1603, L"keep");
    HWND fallback = Window(dialog, L"STATIC", 1700, L"design"),
         unnamed = Window(dialog, L"STATIC", -1, L"keep");
    HWND grandchild = Window(Window(dialog, L"STATIC", 1800, L"group"), L"STATIC", 1600, L"keep");
    EXPECT_EQ(loc->LocalizeDialog(dialog), 4);
    EXPECT_EQ(WindowText(fromFile) + L"|" + WindowText(fromHex) + L"|" + WindowText(fromTable) + L"|" +
                  WindowText(emptyValue) + L"|" + WindowText(fallback) + L"|" + WindowText(unnamed) + L"|" +
                  WindowText(grandchild),
              L"Aus der Sprachdatei|Hexadezimal|Aus der Tabelle|keep|English only|keep|keep");
    DestroyWindow(dialog);

    HMENU menu = CreateMenu(), sub = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | MF_CHECKED, 1600, L"design");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 1, L"design");
    AppendMenuW(menu, MF_STRING, 1750, L"keep");
    AppendMenuW(sub, MF_STRING, 1602, L"design");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"popup");
    EXPECT_EQ(loc->LocalizeMenu(menu), 3);
    EXPECT_EQ(MenuText(menu, 1600) + L"|" + MenuText(menu, 1) + L"|" + MenuText(menu, 1750) + L"|" +
                  MenuText(sub, 1602) + L"|" + MenuText(menu, 4, MF_BYPOSITION),
              L"Aus der Sprachdatei|&Ja, gut|keep|Aus der Tabelle|popup");
    EXPECT_TRUE(GetMenuState(menu, 1600, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
}

TEST_F(LocalizeWinTest, TheLanguagePopupListsAvailableLanguagesAndChecksTheCurrentOne) {
    HMENU popup = loc->LanguagePopup();
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), 1031u);
    EXPECT_EQ(GetMenuItemID(popup, 1), 2057u);
    EXPECT_EQ(MenuText(popup, 1031), L"Deutsch");
    EXPECT_TRUE(GetMenuState(popup, 1031, MF_BYCOMMAND) & MF_CHECKED);
    loc->SetLanguage(2057);
    EXPECT_FALSE(GetMenuState(popup, 1031, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(popup, 2057, MF_BYCOMMAND) & MF_CHECKED);
    // Inserted into a window's menu, the popup goes with that menu; the localiser's end copes.
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Language");
    DestroyMenu(bar);
    loc.reset();
}

// What the inspecting timer saw of a message box; it answers the box once it has looked at it.
struct BoxSeen {
    std::wstring caption, text;
    bool hasYes = false, hasOk = false, otherDisabled = false;
};
BoxSeen gSeen;
HWND gOther = nullptr;

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (!IsWindowVisible(child))
        return TRUE;
    if (_wcsicmp(cls, L"Button") == 0) {
        gSeen.hasYes = gSeen.hasYes || GetDlgCtrlID(child) == IDYES;
        gSeen.hasOk = gSeen.hasOk || GetDlgCtrlID(child) == IDOK;
    } else if (_wcsicmp(cls, L"Static") == 0) {
        gSeen.text += WindowText(child); // the icon has no text
    }
    return TRUE;
}

// Runs inside the message box's own loop, once the box is set up and shown.
void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box || !IsWindowVisible(box) || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, timer);
    gSeen.caption = WindowText(box);
    EnumChildWindows(box, ReadBoxChild, 0);
    gSeen.otherDisabled = !IsWindowEnabled(gOther);
    PostMessageW(box, WM_COMMAND, gSeen.hasYes ? IDNO : IDOK, 0);
}

TEST_F(LocalizeWinTest, MessageBoxesAreTaskModalTopMostWithLocalisedCaptions) {
    gOther = Window(nullptr, L"STATIC", 0, L"other");
    // Each box costs Wine about two seconds without a window manager; the other kinds differ only in
    // their layout, which the host tests cover. An unknown kind is an error box.
    auto show = [&](auto text, int kind) {
        gSeen = BoxSeen{};
        SetTimer(nullptr, 0, 50, InspectBox);
        int answer = loc->ShowMessageBox(text, kind, nullptr);
        EXPECT_TRUE(gSeen.otherDisabled); // task-modal: the thread's other windows wait
        EXPECT_TRUE(IsWindowEnabled(gOther));
        return FormatBounded(300, L"%d %ls|%ls|%ls", answer, gSeen.caption.c_str(), gSeen.text.c_str(),
                             gSeen.hasYes  ? L"yes/no"
                             : gSeen.hasOk ? L"ok"
                                           : L"?");
    };
    EXPECT_EQ(show(L"Etwas ist passiert", kMsgWarningYesNo), L"7 Warning|Etwas ist passiert|yes/no");
    EXPECT_EQ(show(1600u, 9), L"1 Fehler|Aus der Sprachdatei|ok");
    // Wine does not make message boxes top-most; there the style has to do.
    for (int kind : {kMsgError, kMsgWarningYesNo})
        EXPECT_EQ(MessageBoxStyle(loc->ComposeMessageBox(kind)) & (MB_TASKMODAL | MB_TOPMOST | MB_ICONMASK),
                  static_cast<unsigned>(MB_TASKMODAL | MB_TOPMOST | (kind ? MB_ICONWARNING : MB_ICONERROR)));
    DestroyWindow(gOther);
}

TEST(Win32LocaleTest, LocalesAndLanguageNamesComeFromTheSystem) {
    ILocale& native = NativeLocale();
    uint16_t before = native.ThreadLocale();
    EXPECT_TRUE(native.SetThreadLocale(1031));
    EXPECT_EQ(native.ThreadLocale(), 1031);
    native.SetThreadLocale(before);
    EXPECT_EQ(native.NativeLanguageName(1031), L"Deutsch");
    EXPECT_EQ(native.ToUpper(L'é'), L'É');
    for (uint16_t lang : {uint16_t{1031}, uint16_t{1049}, uint16_t{2052}, uint16_t{1062}})
        EXPECT_FALSE(native.SetRuntimeLocale(lang, RuntimeLocaleName(lang)).empty()) << lang;
    std::setlocale(LC_ALL, "C");
    EXPECT_FALSE(CLMLocalizeWin::ModuleFolder().empty());
}

} // namespace
} // namespace lm
