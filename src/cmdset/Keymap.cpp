#include "cmdset/Keymap.h"

#include "base/Text.h"

namespace lm {
namespace {

constexpr size_t kTextMax = kCmdTextChars - 1;

tagWINCMD Command(int32_t type, int32_t subType, int32_t param, int32_t repeat, int32_t rate,
                  const std::wstring& osd) {
    tagWINCMD cmd;
    cmd.nType = type;
    cmd.nSubType = subType;
    cmd.nParam = param;
    cmd.bRepeat = repeat;
    cmd.nRepeatDelay = 1000;
    cmd.nRepeatRate = rate;
    CopyBounded(cmd.szOsdText, kCmdTextChars, osd);
    return cmd;
}

} // namespace

bool CKeymap::Lookup(int32_t key, tagWINCMD& cmd) const {
    auto it = map_.find(key);
    if (it == map_.end())
        return false;
    cmd = it->second;
    return true;
}

const tagWINCMD* CKeymap::Find(int32_t key) const {
    auto it = map_.find(key);
    return it == map_.end() ? nullptr : &it->second;
}

int BuildDefaultKeymap(CKeymap& keymap, IStringSource& strings) {
    keymap.RemoveAll();
    auto word = [&strings](uint32_t id, const wchar_t* english) { return strings.Text(id, english); };

    for (int32_t digit = 0; digit <= 9; ++digit)
        keymap.SetAt(RCKEY_0 + digit,
                     Command(CMD_KEY, 96 + digit, 0, 0, 200, FormatBounded(kTextMax, L"%d", digit)));

    keymap.SetAt(RCKEY_POWER, Command(CMD_WINDOW, WIN_CLOSE, 0, 0, 200, word(kWordClose, L"Close")));
    const tagWINCMD menu = Command(CMD_OSD, OSD_MAINMENU, 0, 0, 200, word(kWordMenuKey, L"Menu"));
    keymap.SetAt(RCKEY_MENU, menu);

    const tagWINCMD full =
        Command(CMD_WINDOW, WIN_TOGGLE_MAXIMIZE, 0, 0, 200, word(kWordFullScreenKey, L"Full screen"));
    keymap.SetAt(RCKEY_FULLSCREEN, full);
    keymap.SetAt(RCKEY_GREEN_FULLSCREEN, full);
    const tagWINCMD time = Command(CMD_OSD, OSD_TIME, 0, 0, 200, word(kWordTime, L"Time"));
    keymap.SetAt(RCKEY_TIMER, time);
    keymap.SetAt(RCKEY_RED_TIMER, time);

    const std::wstring volume = word(kWordVolumeKey, L"Volume");
    keymap.SetAt(RCKEY_VOL_UP, Command(CMD_SYSTEM, SYS_VOLUME, 10, 1, 100,
                                       FormatBounded(kTextMax, L"%ls +", volume.c_str())));
    keymap.SetAt(RCKEY_VOL_DOWN, Command(CMD_SYSTEM, SYS_VOLUME, -10, 1, 100,
                                         FormatBounded(kTextMax, L"%ls -", volume.c_str())));
    keymap.SetAt(RCKEY_MUTE, Command(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE, 0, 200, word(kWordMuteKey, L"Mute")));

    keymap.SetAt(RCKEY_LEFT, Command(CMD_KEY, 37, 0, 1, 100, word(kWordArrowLeft, L"Arrow left")));
    keymap.SetAt(RCKEY_UP, Command(CMD_KEY, 38, 0, 1, 100, word(kWordArrowUp, L"Arrow up")));
    keymap.SetAt(RCKEY_RIGHT, Command(CMD_KEY, 39, 0, 1, 100, word(kWordArrowRight, L"Arrow right")));
    keymap.SetAt(RCKEY_DOWN, Command(CMD_KEY, 40, 0, 1, 100, word(kWordArrowDown, L"Arrow down")));

    const tagWINCMD enter = Command(CMD_KEY, 13, 0, 0, 0, word(kWordReturn, L"Return"));
    keymap.SetAt(RCKEY_OK, enter);
    keymap.SetAt(RCKEY_OK2, enter);
    const tagWINCMD back = Command(CMD_KEY, 8, 0, 0, 0, word(kWordBackspace, L"Backspace"));
    keymap.SetAt(RCKEY_BACK, back);
    keymap.SetAt(RCKEY_BACK2, back);
    keymap.SetAt(RCKEY_AV, Command(CMD_KEY, 9, 0, 0, 0, word(kWordTab, L"Tab")));
    keymap.SetAt(RCKEY_DELETE, Command(CMD_KEY, 46, 0, 0, 0, word(kWordDel, L"Del")));
    keymap.SetAt(RCKEY_PROG_UP, Command(CMD_KEY, 33, 0, 0, 0, word(kWordPageUp, L"Page Up")));
    keymap.SetAt(RCKEY_PROG_DOWN, Command(CMD_KEY, 34, 0, 0, 0, word(kWordPageDown, L"Page Down")));

    keymap.SetAt(RCKEY_PLAY, Command(CMD_KEY, 179, 0, 0, 0, word(kWordPlayback, L"Playback")));
    keymap.SetAt(RCKEY_PAUSE, Command(CMD_KEY, 179, 0, 0, 0, word(kWordPauseKey, L"Pause")));
    keymap.SetAt(RCKEY_STOP, Command(CMD_KEY, 178, 0, 0, 0, word(kWordStopKey, L"Stop")));
    keymap.SetAt(RCKEY_PREV, Command(CMD_KEY, 177, 0, 0, 0, word(kWordPreviousKey, L"Previous")));
    keymap.SetAt(RCKEY_NEXT, Command(CMD_KEY, 176, 0, 0, 0, word(kWordNextKey, L"Next")));

    const tagWINCMD prevProgram = Command(CMD_KEY, 27, MOD_KEY_ALT | MOD_KEY_SHIFT, 0, 200,
                                          word(kWordPreviousProgram, L"Previous Program"));
    keymap.SetAt(RCKEY_FREW, prevProgram);
    keymap.SetAt(RCKEY_PREV_FREW, prevProgram);
    const tagWINCMD nextProgram =
        Command(CMD_KEY, 27, MOD_KEY_ALT, 0, 200, word(kWordNextProgram, L"Next Program"));
    keymap.SetAt(RCKEY_FFWD, nextProgram);
    keymap.SetAt(RCKEY_NEXT_FFWD, nextProgram);

    // Middle C of a MIDI keyboard opens the main menu like the Menu key.
    keymap.SetAt(RCKEY_NOTE_C5, menu);
    return 1;
}

int BuildControlKeymap(CKeymap& keymap, IStringSource& strings) {
    keymap.RemoveAll();
    auto menuItem = [](int32_t id, int32_t hideOsd, const std::wstring& osd) {
        tagWINCMD cmd = Command(CMD_CONTROL, CTL_MENUITEM, id, 0, 200, osd);
        cmd.bHideOsd = hideOsd;
        return cmd;
    };
    const std::wstring page = strings.Text(kWordPage, L"Page");
    auto pageText = [&page](const wchar_t* format) { return FormatBounded(kTextMax, format, page.c_str()); };

    keymap.SetAt(RCKEY_AUDIO,
                 menuItem(kTvMenuTransparent, 0, strings.Text(kWordTransparent, L"Transparent")));
    for (int32_t key : {RCKEY_FREW, RCKEY_PROG_DOWN})
        keymap.SetAt(key, menuItem(kTvMenuPageDown, 1, pageText(L"%ls -")));
    for (int32_t key : {RCKEY_FFWD, RCKEY_PROG_UP})
        keymap.SetAt(key, menuItem(kTvMenuPageUp, 1, pageText(L"%ls +")));
    for (int32_t key : {RCKEY_PREV, RCKEY_PREV_FREW})
        keymap.SetAt(key, menuItem(kTvMenuPageDown100, 1, pageText(L"%ls - 100")));
    for (int32_t key : {RCKEY_NEXT, RCKEY_NEXT_FFWD})
        keymap.SetAt(key, menuItem(kTvMenuPageUp100, 1, pageText(L"%ls + 100")));

    const std::wstring red = strings.Text(kWordRedKey, L"Red");
    const std::wstring green = strings.Text(kWordGreenKey, L"Green");
    const std::wstring yellow = strings.Text(kWordYellowKey, L"Yellow");
    const std::wstring blue = strings.Text(kWordBlueKey, L"Blue");
    for (int32_t key : {RCKEY_RED, RCKEY_RED_TIMER})
        keymap.SetAt(key, menuItem(kTvMenuRed, 1, red));
    for (int32_t key : {RCKEY_GREEN, RCKEY_GREEN_FULLSCREEN})
        keymap.SetAt(key, menuItem(kTvMenuGreen, 1, green));
    for (int32_t key : {RCKEY_YELLOW, RCKEY_YELLOW_AUDIO})
        keymap.SetAt(key, menuItem(kTvMenuYellow, 1, yellow));
    for (int32_t key : {RCKEY_BLUE, RCKEY_BLUE_MOSAIC, RCKEY_BLUE_ANGLE})
        keymap.SetAt(key, menuItem(kTvMenuBlue, 1, blue));

    for (int32_t digit = 0; digit <= 9; ++digit) {
        tagWINCMD cmd = Command(CMD_KEY, L'0' + digit, 0, 0, 200, std::wstring());
        cmd.bHideOsd = 1;
        keymap.SetAt(RCKEY_0 + digit, cmd);
    }
    return 1;
}

} // namespace lm
