#include "ExecFixture.h"

#include "exec/VirtualKeys.h"

namespace lm {
namespace {

using test::FakeDesktop;
using Lines = std::vector<std::wstring>;

class KeystrokeTest : public test::ExecFixture {
protected:
    KeystrokeTest() {
        desktop.AddProcess(10, L"C:\\Apps\\Editor\\editor.exe");
        editor = desktop.AddTopLevel(L"Untitled - Editor", L"EditorWnd", 10).handle;
        desktop.AddProcess(20, L"C:\\Other\\other.exe");
        other = desktop.AddTopLevel(L"Other", L"OtherWnd", 20).handle;
        app.executable = L"editor.exe";
        app.appPath = L"C:\\Apps\\Editor\\editor.exe";
    }
    int Key(int32_t code, int32_t modifiers) {
        return exec.ExecuteCommand(Command(CMD_KEY, code, modifiers), &app);
    }
    WindowHandle editor = 0;
    WindowHandle other = 0;
    tagAPPREF app;
};

TEST_F(KeystrokeTest, GoesToTheApplicationsWindowOrElseToTheForegroundWindow) {
    desktop.foreground = other;
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 0x74), &app), 1); // F5
    EXPECT_EQ(desktop.log, (Lines{L"SetForegroundWindow 0x100", L"SetActiveWindow 0x100", L"sleep 10",
                                  L"key down 0x74", L"key up 0x74"}));

    // Ctrl+S with the application not running presses Ctrl+S in whatever is in front. "S" is an
    // upper-case character: typed with Caps Lock switched on and back off, the translation taken whole.
    desktop.log.clear();
    desktop.foreground = other;
    app.executable = L"absent.exe";
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 'S', MOD_KEY_CTRL), &app), 1);
    EXPECT_EQ(desktop.log, (Lines{L"SetForegroundWindow 0x110", L"SetActiveWindow 0x110", L"sleep 10",
                                  L"key down 0x14", L"key up 0x14", L"key down 0x11", L"key down 0x153",
                                  L"key up 0x153", L"key up 0x11", L"key down 0x14", L"key up 0x14"}));
    EXPECT_FALSE(desktop.capsLock);

    // No application window and nothing in front: nothing is pressed.
    desktop.foreground = kNoWindow;
    desktop.log.clear();
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 0x74), &app), 0);
    EXPECT_TRUE(desktop.inputs.size() == 10u && KeyLog().empty());
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 0x74), nullptr), 0);
}

TEST_F(KeystrokeTest, TheCommandsCaptionOverridesTheApplications) {
    tagWINCMD c = Command(CMD_KEY, 0x0D);
    std::wcscpy(c.szWndCaption, L"OTHER");
    app.windowCaption = L"Untitled - Editor";
    exec.ExecuteCommand(c, &app);
    EXPECT_EQ(desktop.foreground, other);
    c.szWndCaption[0] = 0;
    exec.ExecuteCommand(c, &app);
    EXPECT_EQ(desktop.foreground, editor);
}

TEST_F(KeystrokeTest, CapsLockIsUsedForUpperCaseAndRestoredOnlyWhenItChanged) {
    // Caps Lock off: on, key with shift state byte 1, off again.
    exec.SendKeystroke(editor, 'A', false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x14", L"key up 0x14", L"key down 0x141", L"key up 0x141",
                               L"key down 0x14", L"key up 0x14"}));
    EXPECT_FALSE(desktop.capsLock);

    // Caps Lock on: only the key.
    desktop.log.clear();
    desktop.capsLock = true;
    exec.SendKeystroke(editor, 'A', false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x141", L"key up 0x141"}));
    EXPECT_TRUE(desktop.capsLock);

    // A Caps Lock press that does not toggle leaves nothing to restore.
    desktop.log.clear();
    desktop.capsLock = false;
    desktop.capsLockStuck = true;
    exec.SendKeystroke(editor, 'B', false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x14", L"key up 0x14", L"key down 0x142", L"key up 0x142"}));

    // Lower case, digits and virtual keys leave Caps Lock alone.
    desktop.log.clear();
    desktop.capsLockStuck = false;
    exec.SendKeystroke(editor, '7', false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x37", L"key up 0x37"}));
    // Every record: scan code and time 0, key-up flag only on releases.
    for (const InputRecord& r : desktop.inputs) {
        EXPECT_EQ(r.scan, 0);
        EXPECT_EQ(r.time, 0u);
        EXPECT_TRUE(r.flags == 0 || r.flags == kKeyEventKeyUp);
    }
}

TEST_F(KeystrokeTest, CodesOfTheNameTableAreSentAsVirtualKeys) {
    // Characters whose code is a table code: full stop = Delete, "!" = Page Up, "-" = Insert,
    // "(" = Down, "a" = numeric keypad 1. Only the low byte decides; the code goes out whole.
    for (uint16_t code :
         {uint16_t(46), uint16_t(33), uint16_t(45), uint16_t(40), uint16_t(97), uint16_t(0x12E)}) {
        desktop.log.clear();
        exec.SendKeystroke(editor, code, false, false, false);
        EXPECT_EQ(KeyLog(),
                  (Lines{L"key down " + FakeDesktop::Hex(code), L"key up " + FakeDesktop::Hex(code)}));
    }
    // Other characters go through the translation, whose whole result is the virtual key (no Shift
    // is pressed for its shift state).
    desktop.keyScan[L'?'] = 0x1BF;
    desktop.log.clear();
    exec.SendKeystroke(editor, '?', false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x1bf", L"key up 0x1bf"}));
    // A character the layout cannot type gives the translation's "none" as it is.
    desktop.log.clear();
    exec.SendKeystroke(editor, 0x263A, false, false, false);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0xffff", L"key up 0xffff"}));
}

TEST_F(KeystrokeTest, ModifiersGoDownInOrderAndUpInReverse) {
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 27, MOD_KEY_ALT | MOD_KEY_SHIFT), &app), 1);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x12", L"key down 0x10", L"key down 0x1b", L"key up 0x1b",
                               L"key up 0x10", L"key up 0x12"}));
    desktop.log.clear();
    exec.SendKeystroke(editor, 0x74, true, true, true);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x12", L"key down 0x11", L"key down 0x10", L"key down 0x74",
                               L"key up 0x74", L"key up 0x10", L"key up 0x11", L"key up 0x12"}));
    // Only the low 16 bits of the subtype are the code.
    desktop.log.clear();
    exec.ExecuteCommand(Command(CMD_KEY, 0x70074), &app);
    EXPECT_EQ(KeyLog(), (Lines{L"key down 0x74", L"key up 0x74"}));
}

TEST_F(KeystrokeTest, ActivationIsPolledForAtMost150Milliseconds) {
    // The platform reports a previously active window and the target becomes active on the third look.
    desktop.setActiveReports = other;
    desktop.activateAfterQueries = 3;
    exec.SendKeystroke(editor, 0x74, false, false, false);
    EXPECT_EQ(clock.TickCount(), 20u);

    // Never active: 15 looks, 10 ms after each.
    desktop.activateAfterQueries = 1000;
    desktop.active = other;
    clock.Set(0);
    desktop.log.clear();
    exec.SendKeystroke(editor, 0x74, false, false, false);
    EXPECT_EQ(clock.TickCount(), 150u);
    EXPECT_EQ(desktop.activeQueries, 15);
    EXPECT_EQ(desktop.log.back(), L"key up 0x74"); // keys are still sent

    // Nothing was active before: one pause of 10 ms.
    desktop.setActiveReports = kNoWindow;
    clock.Set(0);
    exec.SendKeystroke(editor, 0x74, false, false, false);
    EXPECT_EQ(clock.TickCount(), 10u);

    // Not a window: nothing at all.
    desktop.log.clear();
    exec.SendKeystroke(0x9990, 0x74, false, false, false);
    exec.SendKeystroke(kNoWindow, 0x74, false, false, false);
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(KeystrokeTest, AnEnabledModalDialogOfTheWindowTakesTheKeys) {
    FakeDesktop::Window& dialog = desktop.AddTopLevelOnTop(L"Save As", L"#32770", 10);
    dialog.owner = editor;
    exec.ExecuteCommand(Command(CMD_KEY, 13), &app);
    EXPECT_EQ(desktop.log.front(), L"SetForegroundWindow " + FakeDesktop::Hex(dialog.handle));

    // A disabled pop-up, or one of another window, does not.
    dialog.enabled = false;
    desktop.log.clear();
    exec.ExecuteCommand(Command(CMD_KEY, 13), &app);
    EXPECT_EQ(desktop.log.front(), L"SetForegroundWindow " + FakeDesktop::Hex(editor));
    dialog.enabled = true;
    dialog.owner = other;
    desktop.log.clear();
    exec.ExecuteCommand(Command(CMD_KEY, 13), &app);
    EXPECT_EQ(desktop.log.front(), L"SetForegroundWindow " + FakeDesktop::Hex(editor));
}

TEST(VirtualKeyNames, NamesAndCodesBothWays) {
    ASSERT_EQ(kVirtualKeyNameCount, 52u);
    EXPECT_EQ(GetVirtualKeyCode(L"F1"), 112);
    EXPECT_EQ(GetVirtualKeyCode(L"VK_F1"), 112);
    EXPECT_EQ(GetVirtualKeyCode(L"vk_f1"), 112);
    EXPECT_EQ(GetVirtualKeyCode(L"NUMPAD_7"), 103);
    EXPECT_EQ(GetVirtualKeyCode(L"NUMPAD7"), 0);
    EXPECT_EQ(GetVirtualKeyCode(L"MEDIA_STOP"), 0); // the padding belongs to the name
    EXPECT_EQ(GetVirtualKeyCode(L"media_stop      "), 178);
    EXPECT_EQ(GetVirtualKeyCode(L"VK_UNKNOWN"), 0);
    EXPECT_EQ(GetVirtualKeyName(173), L"VK_VOLUME_MUTE     ");
    EXPECT_EQ(GetVirtualKeyCode(GetVirtualKeyName(173)), 173);
    EXPECT_EQ(GetVirtualKeyName(65), L"A");
    EXPECT_EQ(GetVirtualKeyName(0), L"");
    // Every row maps back to its own code, and the padded names are 19 characters long.
    for (size_t i = 0; i < kVirtualKeyNameCount; ++i) {
        const tagVKNAME& row = VirtualKeyNames()[i];
        EXPECT_EQ(GetVirtualKeyCode(row.name), row.code) << i;
        EXPECT_EQ(GetVirtualKeyName(row.code), row.name) << i;
        if (row.code >= 173 && row.code <= 179) {
            EXPECT_EQ(std::wcslen(row.name), 19u) << i;
        }
    }
}

} // namespace
} // namespace lm
