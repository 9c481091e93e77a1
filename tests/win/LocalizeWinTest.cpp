// The localisation's Windows views against real windows, menus and message boxes.
#include "support/LMLocalizeWin.h"

#include "fakes/FakeLocale.h"
#include "fakes/FakeStringTables.h"
#include "platform/FileSystem.h"
#include "support/LanguageFile.h"
#include "support/ProfileFile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

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

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

class LocalizeWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"lm_localize_" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(NativeFileSystem().CreateDirectories(folder));
        std::vector<LanguageFileEntry> entries = {
            {1600, L"Aus der Sprachdatei", L""},
            {1603, L"", L""},
            {1, L"&Ja, gut", L""},
        };
        std::string bytes = ComposeLanguageFile({}, entries, LanguageFileEncoding::Utf16LeBom);
        bytes += std::string("\x30\x00\x78\x00\x36\x00\x34\x00\x31\x00\x3D\x00", 12); // "0x641="
        for (wchar_t c : std::wstring(L"Hexadezimal\r\n")) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        ASSERT_TRUE(NativeFileSystem().WriteAtomic(PathJoin(folder, L"German.lng"), bytes));
        tables.tables[1031][1602] = L"Aus der Tabelle";
        tables.tables[1031][53505] = L"Fehler";
        tables.tables[1031][100] = L"x";
        tables.tables[2057][100] = L"x";
        tables.tables[2057][1700] = L"English only";
    }
    void TearDown() override {
        NativeFileSystem().Remove(PathJoin(folder, L"German.lng"));
        RemoveDirectoryW(folder.c_str());
    }
    std::unique_ptr<CLMLocalizeWin> Make(uint16_t lang) {
        LocalizeOptions options;
        options.language = lang;
        options.registerFileType = false;
        return std::make_unique<CLMLocalizeWin>(LocalizeServices{tables, profiles, locale, nullptr, folder},
                                                options);
    }

    std::wstring folder;
    test::FakeStringTables tables;
    test::FakeLocale locale;
    CProfileStore profiles{NativeFileSystem()};
};

TEST_F(LocalizeWinTest, DialogChildrenTakeTheTextsOfTheirControlIds) {
    auto loc = Make(1031);
    HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    auto child = [&](HWND parent, const wchar_t* cls, int id, const wchar_t* text) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                               nullptr);
    };
    HWND fromFile = child(dialog, L"STATIC", 1600, L"design");
    HWND fromHex = child(dialog, L"BUTTON", 1601, L"design");
    HWND fromTable = child(dialog, L"EDIT", 1602, L"design");
    HWND emptyValue = child(dialog, L"STATIC", 1603, L"keep");
    HWND fallback = child(dialog, L"STATIC", 1700, L"design");
    HWND unnamed = child(dialog, L"STATIC", -1, L"keep");
    HWND group = child(dialog, L"STATIC", 1800, L"group");
    HWND grandchild = child(group, L"STATIC", 1600, L"keep"); // not a direct child
    ASSERT_TRUE(fromFile && fromHex && fromTable && emptyValue && fallback && unnamed && grandchild);

    EXPECT_EQ(loc->LocalizeDialog(dialog), 4);
    EXPECT_EQ(WindowText(fromFile), L"Aus der Sprachdatei");
    EXPECT_EQ(WindowText(fromHex), L"Hexadezimal");
    EXPECT_EQ(WindowText(fromTable), L"Aus der Tabelle");
    EXPECT_EQ(WindowText(emptyValue), L"keep");
    EXPECT_EQ(WindowText(fallback), L"English only");
    EXPECT_EQ(WindowText(unnamed), L"keep");
    EXPECT_EQ(WindowText(grandchild), L"keep");
    EXPECT_EQ(LocalizeDialog(*loc, nullptr), 0);
    DestroyWindow(dialog);
}

TEST_F(LocalizeWinTest, MenuItemsTakeTheTextsOfTheirIdsAndKeepTheirState) {
    auto loc = Make(1031);
    HMENU menu = CreateMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | MF_CHECKED, 1600, L"design");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 1, L"design");
    AppendMenuW(menu, MF_STRING, 1750, L"keep");
    AppendMenuW(sub, MF_STRING, 1602, L"design");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"popup");
    EXPECT_EQ(loc->LocalizeMenu(menu), 3);
    EXPECT_EQ(MenuText(menu, 1600), L"Aus der Sprachdatei");
    EXPECT_EQ(MenuText(menu, 1), L"&Ja, gut");
    EXPECT_EQ(MenuText(menu, 1750), L"keep");
    EXPECT_EQ(MenuText(sub, 1602), L"Aus der Tabelle");
    EXPECT_EQ(MenuText(menu, 4, MF_BYPOSITION), L"popup");
    EXPECT_TRUE(GetMenuState(menu, 1600, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
}

TEST_F(LocalizeWinTest, TheLanguagePopupListsAvailableLanguagesAndChecksTheCurrentOne) {
    auto loc = Make(1031);
    HMENU popup = loc->LanguagePopup();
    ASSERT_NE(popup, nullptr);
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

// What the inspecting timer saw of each message box; it answers every box once it has looked at it.
struct BoxSeen {
    std::wstring caption;
    std::wstring text;
    bool topmost = false;
    bool hasYes = false;
    bool hasOk = false;
    bool otherDisabled = false;
    int boxes = 0;
};
BoxSeen gSeen;
HWND gOther = nullptr;

BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM) {
    if (!IsWindowVisible(child))
        return TRUE;
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    std::wstring name = cls;
    int id = GetDlgCtrlID(child);
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
        gSeen.hasYes = gSeen.hasYes || id == IDYES;
        gSeen.hasOk = gSeen.hasOk || id == IDOK;
    } else if (_wcsicmp(name.c_str(), L"Static") == 0) {
        gSeen.text += WindowText(child); // the icon has no text
    }
    return TRUE;
}

// Runs inside the message box's own loop, when the box is fully set up and shown.
void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    KillTimer(nullptr, timer);
    ++gSeen.boxes;
    gSeen.caption = WindowText(box);
    gSeen.topmost = (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EnumChildWindows(box, ReadBoxChild, 0);
    gSeen.otherDisabled = gOther && !IsWindowEnabled(gOther);
    PostMessageW(box, WM_COMMAND, gSeen.hasYes ? IDNO : IDOK, 0);
}

TEST_F(LocalizeWinTest, MessageBoxesAreTaskModalTopMostWithLocalisedCaptions) {
    auto loc = Make(1031);
    gOther = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(gOther, nullptr);
    struct Case {
        int kind;
        const wchar_t* caption;
        bool yesNo;
    };
    // Each box costs Wine about two seconds without a window manager; the other kinds differ only in
    // their layout, which the host tests cover.
    const Case cases[] = {
        {kMsgError, L"Fehler", false},
        {kMsgWarningYesNo, L"Warning", true},
        {kMsgPlain, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        gSeen = BoxSeen{};
        SetTimer(nullptr, 0, 50, InspectBox);
        int answer = loc->ShowMessageBox(L"Etwas ist passiert", c.kind, nullptr);
        EXPECT_EQ(gSeen.boxes, 1);
        EXPECT_EQ(answer, c.yesNo ? IDNO : IDOK);
        EXPECT_EQ(gSeen.caption, c.caption);
        EXPECT_EQ(gSeen.text, L"Etwas ist passiert");
        // Wine does not make message boxes top-most; there the style has to do.
        if (!RunningUnderWine()) {
            EXPECT_TRUE(gSeen.topmost);
        }
        unsigned style = MessageBoxStyle(loc->ComposeMessageBox(c.kind));
        EXPECT_EQ(style & (MB_TASKMODAL | MB_TOPMOST), static_cast<unsigned>(MB_TASKMODAL | MB_TOPMOST));
        EXPECT_EQ(style & MB_ICONMASK,
                  c.caption == std::wstring(L"Fehler")    ? static_cast<unsigned>(MB_ICONERROR)
                  : c.caption == std::wstring(L"Warning") ? static_cast<unsigned>(MB_ICONWARNING)
                                                          : 0u);
        EXPECT_EQ(gSeen.hasYes, c.yesNo);
        EXPECT_EQ(gSeen.hasOk, !c.yesNo);
        EXPECT_TRUE(gSeen.otherDisabled); // task-modal: the thread's other windows wait
        EXPECT_TRUE(IsWindowEnabled(gOther));
    }
    gSeen = BoxSeen{};
    SetTimer(nullptr, 0, 50, InspectBox);
    EXPECT_EQ(loc->ShowMessageBox(1600u, 9, nullptr), IDOK); // an unknown kind is an error box
    EXPECT_EQ(gSeen.text, L"Aus der Sprachdatei");
    EXPECT_EQ(gSeen.caption, L"Fehler");
    DestroyWindow(gOther);
    gOther = nullptr;
}

TEST(Win32LocaleTest, LocalesAndLanguageNamesComeFromTheSystem) {
    ILocale& native = NativeLocale();
    uint16_t before = native.ThreadLocale();
    EXPECT_TRUE(native.SetThreadLocale(1031));
    EXPECT_EQ(native.ThreadLocale(), 1031);
    native.SetThreadLocale(before);
    EXPECT_EQ(native.NativeLanguageName(1031), L"Deutsch");
    EXPECT_EQ(native.ToUpper(L'é'), L'É');
    for (uint16_t lang : {uint16_t{1031}, uint16_t{1049}, uint16_t{2052}, uint16_t{1062}}) {
        std::string applied = native.SetRuntimeLocale(lang, RuntimeLocaleName(lang));
        EXPECT_FALSE(applied.empty()) << lang;
        printf("runtime locale for %u: \"%s\" -> %s\n", lang, RuntimeLocaleName(lang).c_str(),
               std::setlocale(LC_ALL, nullptr));
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_FALSE(CLMLocalizeWin::ModuleFolder().empty());
}

} // namespace
} // namespace lm
