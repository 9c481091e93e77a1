#include "cmdset/WinCmd.h"

#include "base/Text.h"

namespace lm {
namespace {

struct Word {
    uint32_t id;
    const wchar_t* english; // when the string source lacks the ID
};

constexpr Word kTypeWords[kCmdTypeCount] = {
    {0, L"---"},
    {kWordTypeOsd, L"On Screen Display"},
    {kWordTypeSystem, L"System command"},
    {kWordTypeKey, L"Keyboard shortcut"},
    {kWordTypeWindow, L"Window"},
    {kWordTypeControl, L"Control"},
};

constexpr Word kOsdSubTypes[] = {{4422, L"Main menu"}, {4100, L"Application info"}, {4462, L"Time"}};
constexpr Word kSysSubTypes[] = {{4452, L"Power"},       {56150, L"Volume"},    {56020, L"Mute"},
                                 {4432, L"Mouse click"}, {4435, L"Mouse move"}, {53392, L"Cursor"}};
constexpr Word kWinSubTypes[] = {
    {53382, L"Close"},         {53952, L"Maximise"},         {53956, L"Minimise"},
    {54285, L"Restore"},       {4104, L"Toggle open/close"}, {4105, L"Toggle maximise"},
    {4106, L"Toggle minimise"}};
constexpr Word kCtlSubTypes[] = {
    {4423, L"Menu item"}, {4400, L"Button"}, {4406, L"Combo box"}, {4455, L"Slider"}};

constexpr Word kPowerParams[] = {
    {4454, L"Screen saver"}, {4456, L"Standby"}, {4413, L"Hibernate"}, {54351, L"Shutdown"}};
constexpr Word kMuteParams[] = {{54404, L"Toggle"}, {56020, L"Mute"}, {56128, L"Unmute"}};
constexpr Word kClickParams[] = {
    {53889, L"Left"}, {4424, L"Middle"}, {54287, L"Right"}, {53452, L"Double-click"}};
constexpr Word kMoveParams[] = {{53890, L"Left"},     {54288, L"Right"},    {54467, L"Up"},
                                {53454, L"Down"},     {4439, L"Up left"},   {4440, L"Up right"},
                                {4429, L"Down left"}, {4430, L"Down right"}};
constexpr Word kCursorParams[] = {{53698, L"Hide"}, {54350, L"Show"}, {4107, L"Toggle show/hide"}};

template <size_t N>
constexpr int32_t CountOf(const Word (&)[N]) {
    return static_cast<int32_t>(N);
}

template <size_t N>
std::wstring Pick(const Word (&words)[N], int32_t index, IStringSource& strings) {
    if (index < 0 || index >= static_cast<int32_t>(N))
        return std::wstring();
    const Word& w = words[index];
    return strings.Text(w.id, w.english);
}

} // namespace

const wchar_t* CmdTypeShortName(int32_t type) {
    static constexpr const wchar_t* kShort[kCmdTypeCount] = {L"---", L"OSD", L"SYS", L"KEY", L"WIN", L"CTL"};
    if (type < 0 || type >= kCmdTypeCount)
        return L"???";
    return kShort[type];
}

std::wstring CmdTypeName(int32_t type, bool shortName, IStringSource& strings) {
    if (type < 0 || type >= kCmdTypeCount)
        return L"???";
    if (shortName || type == CMD_NONE)
        return CmdTypeShortName(type);
    return strings.Text(kTypeWords[type].id, kTypeWords[type].english);
}

std::wstring CmdSubTypeName(int32_t type, int32_t subType, IStringSource& strings) {
    switch (type) {
    case CMD_OSD:
        return Pick(kOsdSubTypes, subType, strings);
    case CMD_SYSTEM:
        return Pick(kSysSubTypes, subType, strings);
    case CMD_WINDOW:
        return Pick(kWinSubTypes, subType, strings);
    case CMD_CONTROL:
        return Pick(kCtlSubTypes, subType, strings);
    default:
        return std::wstring();
    }
}

std::wstring CmdParamText(const tagWINCMD& cmd, IStringSource& strings) {
    switch (cmd.nType) {
    case CMD_SYSTEM:
        switch (cmd.nSubType) {
        case SYS_POWER:
            return Pick(kPowerParams, cmd.nParam, strings);
        case SYS_VOLUME:
            return FormatBounded(kCmdTextChars - 1, L"%+d%%", cmd.nParam);
        case SYS_MUTE:
            return Pick(kMuteParams, cmd.nParam, strings);
        case SYS_MOUSECLICK:
            return Pick(kClickParams, cmd.nParam, strings);
        case SYS_MOUSEMOVE:
            return Pick(kMoveParams, cmd.nParam, strings);
        case SYS_CURSOR:
            return Pick(kCursorParams, cmd.nParam, strings);
        default:
            return std::wstring();
        }
    case CMD_KEY: {
        std::wstring mods;
        auto add = [&mods](const wchar_t* name) {
            if (!mods.empty())
                mods += L'+';
            mods += name;
        };
        if (cmd.nParam & MOD_KEY_ALT)
            add(L"Alt");
        if (cmd.nParam & MOD_KEY_CTRL)
            add(L"Ctrl");
        if (cmd.nParam & MOD_KEY_SHIFT)
            add(L"Shift");
        return mods;
    }
    case CMD_CONTROL:
        if (cmd.nSubType == CTL_COMBOBOX)
            return FormatBounded(kCmdTextChars - 1, L"No. %d", cmd.nParam2);
        if (cmd.nSubType == CTL_SLIDER)
            return FormatBounded(kCmdTextChars - 1, L"%+02d %%", cmd.nParam2);
        return std::wstring();
    default:
        return std::wstring();
    }
}

bool IsKnownCommand(const tagWINCMD& cmd) {
    auto within = [](int32_t v, int32_t count) { return v >= 0 && v < count; };
    switch (cmd.nType) {
    case CMD_NONE:
        return true;
    case CMD_OSD:
        return within(cmd.nSubType, CountOf(kOsdSubTypes));
    case CMD_SYSTEM:
        switch (cmd.nSubType) {
        case SYS_POWER:
            return within(cmd.nParam, CountOf(kPowerParams));
        case SYS_VOLUME:
            return cmd.nParam >= -100 && cmd.nParam <= 100 && cmd.nParam != 0;
        case SYS_MUTE:
            return within(cmd.nParam, CountOf(kMuteParams));
        case SYS_MOUSECLICK:
            return within(cmd.nParam, CountOf(kClickParams));
        case SYS_MOUSEMOVE:
            return within(cmd.nParam, CountOf(kMoveParams));
        case SYS_CURSOR:
            return within(cmd.nParam, CountOf(kCursorParams));
        default:
            return false;
        }
    case CMD_KEY:
        return cmd.nSubType > 0 && cmd.nSubType <= 0xFFFF && within(cmd.nParam, 8);
    case CMD_WINDOW:
        return within(cmd.nSubType, CountOf(kWinSubTypes));
    case CMD_CONTROL:
        if (!within(cmd.nSubType, CountOf(kCtlSubTypes)))
            return false;
        if (cmd.nSubType == CTL_SLIDER)
            return cmd.nParam2 >= -100 && cmd.nParam2 <= 100;
        if (cmd.nSubType == CTL_COMBOBOX)
            return cmd.nParam2 >= 0;
        return true;
    default:
        return false;
    }
}

} // namespace lm
