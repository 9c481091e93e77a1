#include "cmdset/KeyNames.h"

#include "support/LMDebug.h"
#include "support/LMLocalize.h"
#include "support/StringTables.h"
#include "base/Text.h"

#include <algorithm>

namespace lm {
namespace {

constexpr uint32_t kTraceContextCmdSet = 16;
constexpr uint32_t kTraceContextKeys = 2;

// The English words, for a source that lacks one.
struct DefaultWord {
    uint32_t id;
    const wchar_t* text;
};
constexpr DefaultWord kDefaultWords[] = {
    {kWordOk, L"&OK"},
    {kWordPower, L"Power"},
    {kWordFrew, L"FREW"},
    {kWordFfwd, L"FFRWD"},
    {kWordBack, L"Back"},
    {kWordBlue, L"Blue"},
    {kWordDelete, L"Delete"},
    {kWordDown, L"Down"},
    {kWordFullScreen, L"Full screen"},
    {kWordGreen, L"Green"},
    {kWordLeft, L"Left"},
    {kWordMenu, L"Menu"},
    {kWordNext, L"Next"},
    {kWordPause, L"Pause"},
    {kWordPlay, L"Play"},
    {kWordPrevious, L"Previous"},
    {kWordRecording, L"Recording"},
    {kWordRed, L"Red"},
    {kWordRight, L"Right"},
    {kWordStop, L"Stop"},
    {kWordTimer, L"Timer"},
    {kWordUp, L"Up"},
    {kWordYellow, L"Yellow"},
    {kWordAudio, L"Audio"},
    {kWordMute, L"Mute"},
    {kWordProgramme, L"Programme"},
    {kWordStill, L"Still image"},
    {kWordTeletext, L"Teletext"},
    {kWordVideo, L"Video"},
    {kWordVolume, L"Volume"},
};

std::wstring Word(IStringSource& words, uint32_t id) {
    std::wstring text;
    if (words.LoadText(id, text) && !text.empty())
        return text;
    for (const DefaultWord& w : kDefaultWords)
        if (w.id == id)
            return w.text;
    return std::wstring();
}

constexpr const wchar_t* kNoteNames[12] = {L"C",  L"C#", L"D",  L"D#", L"E",  L"F",
                                           L"F#", L"G",  L"G#", L"A",  L"A#", L"B"};

constexpr size_t kMaxChars = kKeyNameChars - 1;

// The British English string table as a source of words.
class BuiltInEnglishWords final : public IStringSource {
public:
    bool LoadText(uint32_t id, std::wstring& text) override {
        for (uint16_t lang : {uint16_t{2057}, uint16_t{1033}}) {
            auto found = BuiltInStringTables().Find(lang, id);
            if (found && !found->empty()) {
                text.assign(*found);
                return true;
            }
        }
        return false;
    }
};

} // namespace

void InitKeynames(bool english, IStringSource& words, KeyNameTable& table) {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::InitKeynames", L"%d", english ? 1 : 0);
    for (auto& name : table)
        name[0] = 0;
    auto set = [&table](int32_t key, const std::wstring& text) {
        CopyBounded(table[static_cast<size_t>(key)].data(), kKeyNameChars, text);
    };
    auto joined = [](const std::wstring& a, const std::wstring& b) {
        return FormatBounded(kMaxChars, L"%ls/%ls", a.c_str(), b.c_str());
    };

    for (int32_t key = RCKEY_NOTE_FIRST; key <= RCKEY_NOTE_LAST; ++key)
        set(key, FormatBounded(kMaxChars, L"%ls%d", kNoteNames[key % 12], key / 12));

    const std::wstring programme = Word(words, kWordProgramme);
    const std::wstring volume = Word(words, kWordVolume);
    std::wstring ok = Word(words, kWordOk);
    ok.erase(std::remove(ok.begin(), ok.end(), L'&'), ok.end());

    set(RCKEY_POWER, Word(words, kWordPower));
    set(RCKEY_FULLSCREEN, Word(words, kWordFullScreen));
    set(RCKEY_TIMER, Word(words, kWordTimer));
    set(RCKEY_MOSAIC, L"Mosaic");
    set(RCKEY_STILL, Word(words, kWordStill));
    set(RCKEY_MENU, Word(words, kWordMenu));
    set(RCKEY_TELETEXT, Word(words, kWordTeletext));
    set(RCKEY_EPG, L"EPG");
    set(RCKEY_PROGINFO, L"Program information");
    set(RCKEY_UP, Word(words, kWordUp));
    set(RCKEY_DOWN, Word(words, kWordDown));
    set(RCKEY_LEFT, Word(words, kWordLeft));
    set(RCKEY_RIGHT, Word(words, kWordRight));
    set(RCKEY_OK, ok);
    set(RCKEY_OK2, ok);
    set(RCKEY_BACK, Word(words, kWordBack));
    set(RCKEY_BACK2, Word(words, kWordBack));
    set(RCKEY_DELETE, Word(words, kWordDelete));
    for (int digit = 0; digit <= 9; ++digit)
        set(RCKEY_0 + digit, FormatBounded(kMaxChars, L"%ls %d", programme.c_str(), digit));
    set(RCKEY_DIGITS, L"-/--");
    set(RCKEY_PROG_DOWN, FormatBounded(kMaxChars, L"%ls -", programme.c_str()));
    set(RCKEY_PROG_UP, FormatBounded(kMaxChars, L"%ls +", programme.c_str()));
    set(RCKEY_LAST_CHANNEL, L"Last channel");
    set(RCKEY_AV, L"AV");
    set(RCKEY_VOL_DOWN, FormatBounded(kMaxChars, L"%ls -", volume.c_str()));
    set(RCKEY_VOL_UP, FormatBounded(kMaxChars, L"%ls +", volume.c_str()));
    set(RCKEY_MUTE, Word(words, kWordMute));
    set(RCKEY_AUDIO, Word(words, kWordAudio));
    set(RCKEY_PLAY, Word(words, kWordPlay));
    set(RCKEY_STOP, Word(words, kWordStop));
    set(RCKEY_PAUSE, Word(words, kWordPause));
    set(RCKEY_RECORD, Word(words, kWordRecording));
    set(RCKEY_FREW, Word(words, kWordFrew));
    set(RCKEY_FFWD, Word(words, kWordFfwd));
    set(RCKEY_PREV, Word(words, kWordPrevious));
    set(RCKEY_NEXT, Word(words, kWordNext));
    set(RCKEY_PREV_FREW, joined(Word(words, kWordPrevious), Word(words, kWordFrew)));
    set(RCKEY_NEXT_FFWD, joined(Word(words, kWordNext), Word(words, kWordFfwd)));
    set(RCKEY_RED, Word(words, kWordRed));
    set(RCKEY_GREEN, Word(words, kWordGreen));
    set(RCKEY_YELLOW, Word(words, kWordYellow));
    set(RCKEY_BLUE, Word(words, kWordBlue));
    set(RCKEY_DVD_MENU, L"DVD Menu");
    set(RCKEY_SUBTITLES, L"Subtitles");
    set(RCKEY_TV, L"TV");
    set(RCKEY_DVD, L"DVD");
    set(RCKEY_VIDEO, Word(words, kWordVideo));
    set(RCKEY_MUSIC, L"Music");
    set(RCKEY_PICTURE, L"Picture");
    set(RCKEY_ANGLE, L"Angle");
    set(RCKEY_RED_TIMER, joined(Word(words, kWordRed), Word(words, kWordTimer)));
    set(RCKEY_GREEN_FULLSCREEN, joined(Word(words, kWordGreen), Word(words, kWordFullScreen)));
    set(RCKEY_YELLOW_AUDIO, joined(Word(words, kWordYellow), Word(words, kWordAudio)));
    set(RCKEY_BLUE_MOSAIC, joined(Word(words, kWordBlue), L"Mosaic"));
    set(RCKEY_BLUE_ANGLE, joined(Word(words, kWordBlue), L"Angle"));

    if (TraceEnabled(kTraceDetail, kTraceContextKeys))
        for (int32_t key = 128; key < RCKEY_COUNT; ++key)
            TraceMessage(kTraceDetail, kTraceContextKeys, L"Keyname %3d: %ls\n", key,
                         table[static_cast<size_t>(key)].data());
}

CKeyNames::CKeyNames(SourceFactory factory) : factory_(std::move(factory)) {}

bool CKeyNames::SetSourceFactory(SourceFactory factory) {
    std::lock_guard lock(factoryMutex_);
    if (Filled())
        return false;
    factory_ = std::move(factory);
    return true;
}

void CKeyNames::EnsureFilled() {
    if (Filled())
        return;
    std::call_once(once_, [this] {
        std::lock_guard lock(factoryMutex_);
        auto make = [this](bool english) -> std::unique_ptr<IStringSource> {
            std::unique_ptr<IStringSource> source = factory_ ? factory_(english) : nullptr;
            return source ? std::move(source) : std::make_unique<BuiltInEnglishWords>();
        };
        InitKeynames(false, *make(false), display_);
        InitKeynames(true, *make(true), english_);
        filled_.store(true, std::memory_order_release);
    });
}

const wchar_t* CKeyNames::EnglishName(int32_t key) {
    EnsureFilled();
    return IsKeyIdInRange(key) ? english_[static_cast<size_t>(key)].data() : L"";
}

const wchar_t* CKeyNames::DisplayName(int32_t key) {
    EnsureFilled();
    return IsKeyIdInRange(key) ? display_[static_cast<size_t>(key)].data() : L"";
}

int32_t CKeyNames::FindByEnglishName(std::wstring_view name) {
    EnsureFilled();
    if (name.empty())
        return RCKEY_NONE;
    for (int32_t key = 0; key < RCKEY_COUNT; ++key)
        if (name == english_[static_cast<size_t>(key)].data())
            return key;
    return RCKEY_NONE;
}

CKeyNames::SourceFactory KeyNameSourcesFor(const tagLOCALIZESERVICES& services, const CLMLocalize& ui) {
    return [&services, &ui](bool english) -> std::unique_ptr<IStringSource> {
        tagLOCALIZEOPTIONS options =
            english ? tagLOCALIZEOPTIONS::LookupOnly(kLangEnglishUK, kLookupTablesOnly)
                    : tagLOCALIZEOPTIONS::LookupOnly(ui.CurrentLanguage(), kLookupFileFirst);
        return std::make_unique<CLMLocalize>(services, options);
    };
}

CKeyNames& ProcessKeyNames() {
    static CKeyNames names;
    return names;
}

} // namespace lm
