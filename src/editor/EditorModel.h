// The editor's rules that do not need a window: the command and hot-key identifiers the parts of the
// editor use between them, the words of the tray menu, and the entries of the program menu.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cmdset/CmdSetAdmin.h"
#include "support/Strings.h"

namespace lm {

// Commands between the parts of the editor (a second start's command is kCmdShowEditor of RemoteApp.h).
enum : uint32_t {
    kCmdOk = 1,
    kCmdCancel = 2,
    kCmdProgramFirst = 32768, // program menu entry i is kCmdProgramFirst + i
    kCmdTrayToggle = 34111,   // tray Show/Hide
    kCmdTrayExit = 34112,     // tray Exit
};
// The global hot keys: Ctrl+Alt+Shift+X ends at once, Ctrl+Alt+X asks to quit, Ctrl+Alt+C and
// Ctrl+Alt+R show or hide the editor.
enum : int32_t {
    kHotKeyQuit = 43819,
    kHotKeyClose = 43820,
    kHotKeyToggleC = 43822,
    kHotKeyToggleR = 43823,
};
// The tray icon's callback message (the first user message plus 244) and its ID.
constexpr uint32_t kTrayCallbackMessage = 0x0400 + 244;
constexpr uint32_t kTrayIconId = 1;
constexpr size_t kTrayTipChars = 128;
// A window started in the background waits out of sight at this left edge until it is first shown.
constexpr int32_t kParkedLeft = 3000;

// Texts of the editor by string ID.
enum : uint32_t {
    kStringTabMenu = 53953,
    kStringTabCmdSets = 4404,
    kStringTabOptions = 54085,
    kStringTabAbout = 53248,
    kStringMinimise = 53956,
    kStringLanguage = 53888,
    kStringLoad = 53893,
    kStringQuitQuestion = 4007,
    kStringStepApplication = 4461,
    kStringStepApplicationText = 1650,
    kStringStepCommandSet = 4403,
    kStringStepCommandSetText = 1780,
    kStringStepReview = 4453,
    kStringStepReviewText = 1850,
};

// The tray menu's words, chosen by the primary language of the thread locale.
struct tagTRAYWORDS {
    const wchar_t* show;
    const wchar_t* hide;
    const wchar_t* exit;
};
tagTRAYWORDS TrayWords(uint16_t threadLangId);

// The caption of the language popup in the system menu: "%s/Language" with the localised word.
std::wstring LanguagePopupCaption(IStringSource& strings);

// One entry of the program menu.
struct tagPROGRAMENTRY {
    int32_t index;     // main-menu place 0..9; the command is kCmdProgramFirst + index
    std::wstring name; // the command set's name
    std::wstring text; // "%2d. %s" of place and name
};
// The program menu: one entry per main-menu place that holds a command set, in place order.
std::vector<tagPROGRAMENTRY> ProgramMenuEntries(CCmdSetAdmin& admin);

} // namespace lm
