// One command bound to a remote key, and the command types with their subtypes.
#pragma once
#include <cstdint>
#include <cwchar>
#include <string>

#include "support/Strings.h"

namespace lm {

constexpr int kCmdTextChars = 256;

enum tagCMDTYPE : int32_t {
    CMD_NONE = 0,    // "---": the key does nothing
    CMD_OSD = 1,     // commands of the on-screen display
    CMD_SYSTEM = 2,  // power, volume, mute, mouse, cursor
    CMD_KEY = 3,     // keyboard shortcut: subtype = key code, parameter = modifier bits
    CMD_WINDOW = 4,  // window operations
    CMD_CONTROL = 5, // menu item, button, combo box, slider
};
constexpr int32_t kCmdTypeCount = 6;

// Subtypes of CMD_OSD.
enum : int32_t { OSD_MAINMENU = 0, OSD_APPINFO = 1, OSD_TIME = 2 };
// Subtypes of CMD_SYSTEM and their parameters.
enum : int32_t {
    SYS_POWER = 0,
    SYS_VOLUME = 1,
    SYS_MUTE = 2,
    SYS_MOUSECLICK = 3,
    SYS_MOUSEMOVE = 4,
    SYS_CURSOR = 5
};
enum : int32_t { POWER_SCREENSAVER = 0, POWER_STANDBY = 1, POWER_HIBERNATE = 2, POWER_SHUTDOWN = 3 };
enum : int32_t { MUTE_TOGGLE = 0, MUTE_ON = 1, MUTE_OFF = 2 };
enum : int32_t { CLICK_LEFT = 0, CLICK_MIDDLE = 1, CLICK_RIGHT = 2, CLICK_DOUBLE = 3 };
enum : int32_t {
    MOVE_LEFT = 0,
    MOVE_RIGHT = 1,
    MOVE_UP = 2,
    MOVE_DOWN = 3,
    MOVE_UPLEFT = 4,
    MOVE_UPRIGHT = 5,
    MOVE_DOWNLEFT = 6,
    MOVE_DOWNRIGHT = 7
};
enum : int32_t { CURSOR_HIDE = 0, CURSOR_SHOW = 1, CURSOR_TOGGLE = 2 };
// Modifier bits of CMD_KEY.
enum : int32_t { MOD_KEY_ALT = 1, MOD_KEY_CTRL = 2, MOD_KEY_SHIFT = 4 };
// Subtypes of CMD_WINDOW.
enum : int32_t {
    WIN_CLOSE = 0,
    WIN_MAXIMIZE = 1,
    WIN_MINIMIZE = 2,
    WIN_RESTORE = 3,
    WIN_TOGGLE_OPEN = 4,
    WIN_TOGGLE_MAXIMIZE = 5,
    WIN_TOGGLE_MINIMIZE = 6
};
// Subtypes of CMD_CONTROL.
enum : int32_t { CTL_MENUITEM = 0, CTL_BUTTON = 1, CTL_COMBOBOX = 2, CTL_SLIDER = 3 };

struct tagWINCMD {
    wchar_t szOsdText[kCmdTextChars] = {}; // empty: the display's default text
    wchar_t szWndCaption[kCmdTextChars] =
        {}; // empty: the command set's window caption; upper case once loaded
    int32_t nType = CMD_NONE;
    int32_t nSubType = 0;
    int32_t nParam = 0;
    int32_t nParam2 = 0;  // combo-box index or slider step
    int32_t bHideOsd = 0; // never stored in files
    int32_t bRepeat = 0;
    int32_t nRepeatDelay = 1000;
    int32_t nRepeatRate = 200;

    friend bool operator==(const tagWINCMD& a, const tagWINCMD& b) {
        return a.nType == b.nType && a.nSubType == b.nSubType && a.nParam == b.nParam &&
               a.nParam2 == b.nParam2 && a.bHideOsd == b.bHideOsd && a.bRepeat == b.bRepeat &&
               a.nRepeatDelay == b.nRepeatDelay && a.nRepeatRate == b.nRepeatRate &&
               std::wcscmp(a.szOsdText, b.szOsdText) == 0 && std::wcscmp(a.szWndCaption, b.szWndCaption) == 0;
    }
    friend bool operator!=(const tagWINCMD& a, const tagWINCMD& b) { return !(a == b); }
};

// Vocabulary of the command types and subtypes.
enum : uint32_t {
    kWordTypeOsd = 4450,
    kWordTypeSystem = 4460,
    kWordTypeKey = 4420,
    kWordTypeWindow = 54593,
    kWordTypeControl = 4405,
};

// "---", "OSD", "SYS", "KEY", "WIN", "CTL"; "???" for any other type.
const wchar_t* CmdTypeShortName(int32_t type);
// The short name, or the full name in the user-interface language ("---" and "???" as above).
std::wstring CmdTypeName(int32_t type, bool shortName, IStringSource& strings);
// The name of a subtype; empty for a type without subtypes (KEY: the subtype is a key code) or an
// unknown subtype.
std::wstring CmdSubTypeName(int32_t type, int32_t subType, IStringSource& strings);
// The parameter as the editor shows it: the power action, the volume change ("%+d%%"), the mute or
// cursor action, the mouse button or direction, the combo-box index ("No. %d") or slider step
// ("%+02d %%"); the modifier names of a keyboard shortcut; empty when the command has none.
std::wstring CmdParamText(const tagWINCMD& cmd, IStringSource& strings);
// True when the type and subtype name a command that the executors know.
bool IsKnownCommand(const tagWINCMD& cmd);

} // namespace lm
