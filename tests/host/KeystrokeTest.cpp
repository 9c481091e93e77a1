#include "ExecFixture.h"

#include "exec/VirtualKeys.h"
#include "fakes/FakeDisplay.h"
#include "fakes/FakeProcess.h"

namespace lm {
namespace {

class KeystrokeTest : public test::ExecFixture {
protected:
    int Key(int32_t code, int32_t modifiers = 0) {
        return exec.ExecuteCommand(Command(CMD_KEY, code, modifiers), &app);
    }
    // The keys the editor received, from here on.
    std::wstring Typed(const std::function<void()>& action) {
        windows[editor].keys.clear();
        action();
        return windows[editor].keys;
    }
    WindowHandle editor = App(10, L"C:\\Apps\\Editor\\editor.exe", L"Untitled - Editor");
    WindowHandle other = App(20, L"C:\\Other\\other.exe", L"Other");
    tagPRGINFO app = test::AppRecord(L"editor.exe", L"C:\\Apps\\Editor\\editor.exe");
};

TEST_F(KeystrokeTest, GoesToTheApplicationsWindowOrElseToTheForegroundWindow) {
    windows.foreground = other;
    EXPECT_EQ(Key(0x74), 1); // F5
    EXPECT_EQ(windows[editor].keys, L"+74 -74");

    // Ctrl+S with the application not running presses Ctrl+S in whatever is in front. "S" is an
    // upper-case character: typed with Caps Lock switched on and back off, the translation taken whole.
    windows.foreground = other;
    CopyBounded(app.szExecutable, kPrgTextChars, L"absent.exe");
    EXPECT_EQ(Key('S', MOD_KEY_CTRL), 1);
    EXPECT_EQ(windows[other].keys, L"+14 -14 +11 +153 -153 -11 +14 -14");
    EXPECT_FALSE(input.capsLock);

    // The command's caption overrides the application's.
    tagWINCMD c = Command(CMD_KEY, 0x0D);
    std::wcscpy(c.szWndCaption, L"UNTITLED - editor");
    CopyBounded(app.szWindowCaption, kPrgTextChars, L"Other");
    exec.ExecuteCommand(c, &app);
    EXPECT_EQ(windows.foreground, editor);
    c.szWndCaption[0] = 0;
    exec.ExecuteCommand(c, &app);
    EXPECT_EQ(windows.foreground, other);

    // No application window and nothing in front: nothing to press.
    windows.foreground = kNoWindow;
    app.szWindowCaption[0] = 0;
    EXPECT_EQ(Key(0x74), 0);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 0x74), nullptr), 0);
}

TEST_F(KeystrokeTest, CapsLockIsUsedForUpperCaseAndRestoredOnlyWhenItChanged) {
    auto send = [&](uint16_t code) {
        return Typed([&] { exec.SendKeystroke(editor, code, false, false, false); });
    };
    EXPECT_EQ(send('A'), L"+14 -14 +141 -141 +14 -14");
    EXPECT_FALSE(input.capsLock);
    input.capsLock = true;
    EXPECT_EQ(send('A'), L"+141 -141");
    EXPECT_TRUE(input.capsLock);
    // A Caps Lock press that does not toggle leaves nothing to restore.
    input.capsLock = false;
    input.capsStuck = true;
    EXPECT_EQ(send('B'), L"+14 -14 +142 -142");
    // Digits leave Caps Lock alone.
    EXPECT_EQ(send('7'), L"+37 -37");
}

TEST_F(KeystrokeTest, CodesOfTheNameTableAreSentAsVirtualKeysOtherCodesTranslated) {
    // Stored commands: full stop = Delete, "!" = Page Up, "-" = Insert, "(" = Down, "a" = numeric
    // keypad 1. Only the low byte decides; the code goes out whole.
    for (uint16_t code : {46, 33, 45, 40, 97, 0x12E}) {
        wchar_t want[32];
        std::swprintf(want, 32, L"+%x -%x", code, code);
        EXPECT_EQ(Typed([&] { exec.SendKeystroke(editor, code, false, false, false); }), want);
    }
    // The translation's whole result is the virtual key (no Shift is pressed for its shift state), and a
    // character the layout cannot type gives its "none" as it is.
    EXPECT_EQ(Typed([&] { Key('?'); }), L"+1bf -1bf");
    EXPECT_EQ(Typed([&] { Key(0x263A); }), L"+ffff -ffff");
}

TEST_F(KeystrokeTest, TheTextInputTypesEveryCodeAsItsCharacter) {
    for (wchar_t c : {L'.', L'a', L'(', L'A', L'7'})
        EXPECT_EQ(exec.ExecuteTextCommand(Command(CMD_KEY, c, MOD_KEY_CTRL), &app), 1);
    EXPECT_EQ(windows[editor].keys, L"+'.' -'.' +'a' -'a' +'(' -'(' +'A' -'A' +'7' -'7'");
    windows.foreground = kNoWindow;
    CopyBounded(app.szExecutable, kPrgTextChars, L"absent.exe");
    EXPECT_EQ(exec.ExecuteTextCommand(Command(CMD_KEY, 'a'), &app), 0);
}

TEST_F(KeystrokeTest, ModifiersGoDownInOrderAndUpInReverse) {
    EXPECT_EQ(Typed([&] { Key(27, MOD_KEY_ALT | MOD_KEY_SHIFT); }), L"+12 +10 +1b -1b -10 -12");
    EXPECT_EQ(Typed([&] { Key(0x74, MOD_KEY_CTRL); }), L"+11 +74 -74 -11");
    EXPECT_EQ(Typed([&] { exec.SendKeystroke(editor, 0x74, true, true, true); }),
              L"+12 +11 +10 +74 -74 -10 -11 -12");
    // Only the low 16 bits of the subtype are the code.
    EXPECT_EQ(Typed([&] { Key(0x70074); }), L"+74 -74");
}

TEST_F(KeystrokeTest, TheWaitForTheForegroundIsBounded) {
    // In front already, or brought there at once: no wait at all.
    windows.foreground = editor;
    exec.SendKeystroke(editor, 0x74, false, false, false);
    windows.foreground = other;
    exec.SendKeystroke(editor, 0x74, false, false, false);
    EXPECT_EQ(windows.foreground, editor);
    EXPECT_EQ(clock.TickCount(), 0u);

    // The system refuses: a bounded wait, then the keys go to the window in front.
    windows.foreground = other;
    windows.refusesForeground = true;
    exec.SendKeystroke(editor, 0x74, false, false, false);
    EXPECT_EQ(clock.TickCount(), CCmdExecutor::kForegroundWaitMs);
    EXPECT_EQ(windows[other].keys, L"+74 -74");

    // Not a window: nothing at all.
    exec.SendKeystroke(0x9990, 0x74, false, false, false);
    exec.SendKeystroke(kNoWindow, 0x74, false, false, false);
    EXPECT_EQ(windows[other].keys, L"+74 -74");
    EXPECT_EQ(clock.TickCount(), CCmdExecutor::kForegroundWaitMs);
}

TEST_F(KeystrokeTest, AnEnabledModalDialogOfTheWindowTakesTheKeys) {
    WindowHandle dialog = windows.Add(L"Save As", L"#32770", 10, true);
    windows[dialog].owner = editor;
    Key(13);
    EXPECT_EQ(windows.foreground, dialog);
    // A disabled pop-up, or one of another window, does not.
    windows[dialog].enabled = false;
    Key(13);
    EXPECT_EQ(windows.foreground, editor);
    windows[dialog].enabled = true;
    windows[dialog].owner = other;
    Key(13);
    EXPECT_EQ(windows.foreground, editor);
}

TEST_F(KeystrokeTest, ProgramsAboveOurIntegrityLevelGetNothingAndTheUserIsToldOncePerProgram) {
    test::FakeDisplay display;
    display.model.ApplySettings(tagOSDSETTINGS{});
    exec.AttachDisplay(&display);
    test::TraceCapture trace{clock, kTraceErr};
    strings.texts[kIdsElevatedTarget] = L"%ls: administrator";
    processes.levels = {{10, kIntegrityHigh}, {20, kIntegrityMedium}};

    // Keystrokes, typed text, control and window commands: nothing is sent, nothing counts as done.
    windows.foreground = other;
    EXPECT_EQ(Key(0x74), 0);
    EXPECT_EQ(exec.ExecuteTextCommand(Command(CMD_KEY, 'a'), &app), 0);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_CONTROL, CTL_MENUITEM, 7), &app), 0);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_WINDOW, WIN_CLOSE), &app), 0);
    EXPECT_EQ(windows.foreground, other);
    EXPECT_TRUE(windows[editor].keys.empty() && windows[editor].posted.empty());
    EXPECT_TRUE(trace.Has(L"CCmdExecutor::ExecuteCommand() - editor.exe runs as administrator\n"));
    // The fallback to the window in front is checked alike; each program is named once.
    app.szExecutable[0] = 0;
    windows.foreground = App(30, L"C:\\Admin\\Console.exe", L"Console");
    processes.levels[30] = kIntegritySystem;
    EXPECT_EQ(Key(0x74) + Key(0x74), 0);
    EXPECT_EQ(display.Take(),
              (std::vector<std::wstring>{L"editor.exe: administrator", L"Console.exe: administrator"}));

    // The same level, a lower one, or a level that cannot be read (the target's or ours): sent as before.
    using Levels = std::pair<uint32_t, uint32_t>;
    for (auto [own, target] :
         {Levels{kIntegrityMedium, kIntegrityMedium}, Levels{kIntegrityMedium, kIntegrityLow},
          Levels{kIntegrityMedium, 0}, Levels{0, kIntegrityHigh}}) {
        processes.ownLevel = own, processes.levels[30] = target;
        EXPECT_EQ(Key(0x74), 1) << own << "/" << target;
    }
    EXPECT_TRUE(display.Take().empty());
}

TEST(VirtualKeyNames, NamesAndCodesBothWays) {
    ASSERT_EQ(kVirtualKeyNameCount, 52u);
    for (const wchar_t* name : {L"F1", L"VK_F1", L"vk_f1"})
        EXPECT_EQ(GetVirtualKeyCode(name), 112);
    EXPECT_EQ(GetVirtualKeyCode(L"NUMPAD7"), 0);
    EXPECT_EQ(GetVirtualKeyCode(L"MEDIA_STOP"), 0); // the padding belongs to the name
    EXPECT_EQ(GetVirtualKeyCode(L"media_stop      "), 178);
    EXPECT_EQ(GetVirtualKeyName(65), L"A");
    EXPECT_EQ(GetVirtualKeyName(0), L"");
    // Every row maps back to its own code, and the padded names are 19 characters long.
    for (size_t i = 0; i < kVirtualKeyNameCount; ++i) {
        const tagVKNAME& row = VirtualKeyNames()[i];
        EXPECT_EQ(GetVirtualKeyCode(row.name), row.code) << i;
        EXPECT_EQ(GetVirtualKeyName(row.code), row.name) << i;
        EXPECT_TRUE(row.code < 173 || std::wcslen(row.name) == 19u) << i;
    }
}

} // namespace
} // namespace lm
