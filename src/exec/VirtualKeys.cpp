#include "exec/VirtualKeys.h"

#include <cwctype>

namespace lm {

namespace {

// The media and volume names are padded to 19 characters; the blanks belong to the names.
constexpr tagVKNAME kNames[kVirtualKeyNameCount] = {
    {L"VK_BACK", 8},
    {L"VK_TAB", 9},
    {L"VK_CLEAR", 12},
    {L"VK_RETURN", 13},
    {L"VK_PAUSE", 19},
    {L"VK_ESCAPE", 27},
    {L"VK_SPACE", 32},
    {L"VK_PRIOR", 33},
    {L"VK_NEXT", 34},
    {L"VK_END", 35},
    {L"VK_HOME", 36},
    {L"VK_LEFT", 37},
    {L"VK_UP", 38},
    {L"VK_RIGHT", 39},
    {L"VK_DOWN", 40},
    {L"VK_INSERT", 45},
    {L"VK_DELETE", 46},
    {L"VK_NUMPAD_0", 96},
    {L"VK_NUMPAD_1", 97},
    {L"VK_NUMPAD_2", 98},
    {L"VK_NUMPAD_3", 99},
    {L"VK_NUMPAD_4", 100},
    {L"VK_NUMPAD_5", 101},
    {L"VK_NUMPAD_6", 102},
    {L"VK_NUMPAD_7", 103},
    {L"VK_NUMPAD_8", 104},
    {L"VK_NUMPAD_9", 105},
    {L"VK_MULTIPLY", 106},
    {L"VK_ADD", 107},
    {L"VK_SEPARATOR", 108},
    {L"VK_SUBTRACT", 109},
    {L"VK_DECIMAL", 110},
    {L"VK_DIVIDE", 111},
    {L"VK_F1", 112},
    {L"VK_F2", 113},
    {L"VK_F3", 114},
    {L"VK_F4", 115},
    {L"VK_F5", 116},
    {L"VK_F6", 117},
    {L"VK_F7", 118},
    {L"VK_F8", 119},
    {L"VK_F9", 120},
    {L"VK_F10", 121},
    {L"VK_F11", 122},
    {L"VK_F12", 123},
    {L"VK_MEDIA_PLAY_PAUSE", 179},
    {L"VK_MEDIA_STOP      ", 178},
    {L"VK_MEDIA_NEXT_TRACK", 176},
    {L"VK_MEDIA_PREV_TRACK", 177},
    {L"VK_VOLUME_UP       ", 175},
    {L"VK_VOLUME_DOWN     ", 174},
    {L"VK_VOLUME_MUTE     ", 173},
};

// Upper case with every "VK_" removed.
std::wstring Comparable(const std::wstring& name) {
    std::wstring upper = name;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    std::wstring out;
    out.reserve(upper.size());
    for (size_t i = 0; i < upper.size();) {
        if (upper.compare(i, 3, L"VK_") == 0) {
            i += 3;
            continue;
        }
        out.push_back(upper[i++]);
    }
    return out;
}

} // namespace

const tagVKNAME* VirtualKeyNames() {
    return kNames;
}

uint8_t GetVirtualKeyCode(const std::wstring& name) {
    const std::wstring wanted = Comparable(name);
    for (const tagVKNAME& row : kNames)
        if (Comparable(row.name) == wanted)
            return row.code;
    return 0;
}

std::wstring GetVirtualKeyName(uint8_t code) {
    for (const tagVKNAME& row : kNames)
        if (row.code == code)
            return row.name;
    // "%c" of the code: code 0 ends the text at once.
    return code == 0 ? std::wstring() : std::wstring(1, static_cast<wchar_t>(code));
}

bool IsTableVirtualKey(uint16_t code) {
    const uint8_t low = static_cast<uint8_t>(code & 0xFF);
    for (const tagVKNAME& row : kNames)
        if (row.code == low)
            return true;
    return false;
}

} // namespace lm
