#include "receivers/IrServerProtocol.h"

#include "base/Text.h"
#include "cmdset/RemoteKeys.h"

namespace lm {

namespace {

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

uint32_t HexValue(char c) {
    return c <= '9' ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>((c | 0x20) - 'a' + 10);
}

// The next blank-separated word of `line` from `at`; empty at the end.
std::string_view NextWord(std::string_view line, size_t& at) {
    while (at < line.size() && line[at] == ' ')
        ++at;
    size_t start = at;
    while (at < line.size() && line[at] != ' ')
        ++at;
    return line.substr(start, at - start);
}

bool IsName(std::string_view word) {
    if (word.empty() || word.size() > kMaxIrNameBytes)
        return false;
    for (char c : word)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

bool ParseIrServerLine(std::string_view line, tagIRSERVERLINE& out) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    size_t at = 0;
    std::string_view code = NextWord(line, at), repeat = NextWord(line, at), button = NextWord(line, at),
                     remote = NextWord(line, at);
    if (!NextWord(line, at).empty() || code.size() != 16 || repeat.empty() || repeat.size() > 8 ||
        !IsName(button) || !IsName(remote))
        return false;
    uint64_t codeValue = 0;
    for (char c : code) {
        if (!IsHex(c))
            return false;
        codeValue = codeValue << 4 | HexValue(c);
    }
    uint32_t repeatValue = 0;
    for (char c : repeat) {
        if (!IsHex(c))
            return false;
        repeatValue = repeatValue << 4 | HexValue(c);
    }
    out.code = codeValue;
    out.repeat = repeatValue;
    out.button.assign(button);
    out.remote.assign(remote);
    return true;
}

void CIrServerStream::Reset() {
    partial_.clear();
    overlong_ = false;
    inBlock_ = false;
}

IrLineKind CIrServerStream::Sort(tagIRSERVERLINE& line) {
    if (overlong_)
        return IrLineKind::Rejected;
    std::string_view text(partial_);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    if (inBlock_) {
        inBlock_ = text != "END";
        return IrLineKind::Block;
    }
    if (text == "BEGIN") {
        inBlock_ = true;
        return IrLineKind::Block;
    }
    return ParseIrServerLine(text, line) ? IrLineKind::Key : IrLineKind::Rejected;
}

int CIrButtonMap::AddEntries(const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    int rejected = 0;
    for (const auto& [name, value] : lines) {
        std::string key = Lower(ToUtf8(Trim(name)));
        std::wstring number = Trim(value);
        int32_t keyId = -1;
        if (!number.empty() && number.size() <= 3 &&
            number.find_first_not_of(L"0123456789") == std::wstring::npos)
            keyId = std::stoi(number);
        if (key.empty() || keyId < RCKEY_POWER || keyId >= RCKEY_COUNT) {
            ++rejected;
            continue;
        }
        entries_.emplace_back(std::move(key), keyId);
    }
    return rejected;
}

int32_t CIrButtonMap::KeyFor(const std::string& remote, const std::string& button) const {
    const std::string name = Lower(button), qualified = Lower(remote) + "/" + name;
    for (const std::string* wanted : {&qualified, &name})
        for (const auto& [entry, keyId] : entries_)
            if (entry == *wanted)
                return keyId;
    for (const tagIRBUTTONNAME& entry : DefaultIrButtonNames())
        if (Lower(entry.name) == name)
            return entry.keyId;
    return RCKEY_NONE;
}

const std::vector<tagIRBUTTONNAME>& DefaultIrButtonNames() {
    // The button names of the standard name space of server remote definitions (the names of the input
    // event codes), as far as the key IDs have a key for them.
    static const std::vector<tagIRBUTTONNAME> names = {
        {"KEY_POWER", RCKEY_POWER},
        {"KEY_POWER2", RCKEY_POWER},
        {"KEY_ZOOM", RCKEY_FULLSCREEN},
        {"KEY_SCREEN", RCKEY_FULLSCREEN},
        {"KEY_TIME", RCKEY_TIMER},
        {"KEY_SLEEP", RCKEY_TIMER},
        {"KEY_MENU", RCKEY_MENU},
        {"KEY_MEDIA", RCKEY_MENU},
        {"KEY_HOME", RCKEY_MENU},
        {"KEY_TEXT", RCKEY_TELETEXT},
        {"KEY_EPG", RCKEY_EPG},
        {"KEY_PROGRAM", RCKEY_EPG},
        {"KEY_INFO", RCKEY_PROGINFO},
        {"KEY_UP", RCKEY_UP},
        {"KEY_DOWN", RCKEY_DOWN},
        {"KEY_LEFT", RCKEY_LEFT},
        {"KEY_RIGHT", RCKEY_RIGHT},
        {"KEY_OK", RCKEY_OK},
        {"KEY_ENTER", RCKEY_OK},
        {"KEY_SELECT", RCKEY_OK},
        {"KEY_BACK", RCKEY_BACK},
        {"KEY_EXIT", RCKEY_BACK},
        {"KEY_ESC", RCKEY_BACK},
        {"KEY_DELETE", RCKEY_DELETE},
        {"KEY_CLEAR", RCKEY_DELETE},
        {"KEY_BACKSPACE", RCKEY_DELETE},
        {"KEY_0", RCKEY_0},
        {"KEY_1", RCKEY_1},
        {"KEY_2", RCKEY_2},
        {"KEY_3", RCKEY_3},
        {"KEY_4", RCKEY_4},
        {"KEY_5", RCKEY_5},
        {"KEY_6", RCKEY_6},
        {"KEY_7", RCKEY_7},
        {"KEY_8", RCKEY_8},
        {"KEY_9", RCKEY_9},
        {"KEY_NUMERIC_0", RCKEY_0},
        {"KEY_NUMERIC_1", RCKEY_1},
        {"KEY_NUMERIC_2", RCKEY_2},
        {"KEY_NUMERIC_3", RCKEY_3},
        {"KEY_NUMERIC_4", RCKEY_4},
        {"KEY_NUMERIC_5", RCKEY_5},
        {"KEY_NUMERIC_6", RCKEY_6},
        {"KEY_NUMERIC_7", RCKEY_7},
        {"KEY_NUMERIC_8", RCKEY_8},
        {"KEY_NUMERIC_9", RCKEY_9},
        {"KEY_DIGITS", RCKEY_DIGITS},
        {"KEY_CHANNELDOWN", RCKEY_PROG_DOWN},
        {"KEY_CHANNELUP", RCKEY_PROG_UP},
        {"KEY_LAST", RCKEY_LAST_CHANNEL},
        {"KEY_AUX", RCKEY_AV},
        {"KEY_VOLUMEDOWN", RCKEY_VOL_DOWN},
        {"KEY_VOLUMEUP", RCKEY_VOL_UP},
        {"KEY_MUTE", RCKEY_MUTE},
        {"KEY_AUDIO", RCKEY_AUDIO},
        {"KEY_LANGUAGE", RCKEY_AUDIO},
        {"KEY_PLAY", RCKEY_PLAY},
        {"KEY_PLAYPAUSE", RCKEY_PLAY},
        {"KEY_STOP", RCKEY_STOP},
        {"KEY_PAUSE", RCKEY_PAUSE},
        {"KEY_RECORD", RCKEY_RECORD},
        {"KEY_REWIND", RCKEY_FREW},
        {"KEY_FASTFORWARD", RCKEY_FFWD},
        {"KEY_PREVIOUS", RCKEY_PREV},
        {"KEY_PREVIOUSSONG", RCKEY_PREV},
        {"KEY_NEXT", RCKEY_NEXT},
        {"KEY_NEXTSONG", RCKEY_NEXT},
        {"KEY_RED", RCKEY_RED},
        {"KEY_GREEN", RCKEY_GREEN},
        {"KEY_YELLOW", RCKEY_YELLOW},
        {"KEY_BLUE", RCKEY_BLUE},
        {"KEY_ROOT_MENU", RCKEY_DVD_MENU},
        {"KEY_SUBTITLE", RCKEY_SUBTITLES},
        {"KEY_TV", RCKEY_TV},
        {"KEY_DVD", RCKEY_DVD},
        {"KEY_VIDEO", RCKEY_VIDEO},
        {"KEY_MP3", RCKEY_MUSIC},
        {"KEY_AUDIO_DESC", RCKEY_AUDIO},
        {"KEY_CAMERA", RCKEY_PICTURE},
        {"KEY_IMAGES", RCKEY_PICTURE},
        {"KEY_ANGLE", RCKEY_ANGLE},
    };
    return names;
}

} // namespace lm
