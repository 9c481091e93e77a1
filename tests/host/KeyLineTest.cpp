// Command records, command types, the built-in keymaps and the key-line format.
#include "cmdset/KeyLine.h"
#include "cmdset/KeyNames.h"
#include "cmdset/Keymap.h"

#include "CmdSetFixture.h"
#include "Golden.h"
#include "fakes/FakeStrings.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace lm {
namespace {

using test::Cmd;

// A text as the golden files show it: control characters as "\xNN".
std::wstring Shown(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text)
        out += c < 0x20 ? FormatBounded(8, L"\\x%02X", static_cast<unsigned>(c)) : std::wstring(1, c);
    return out;
}

// Every field of a record.
std::wstring Describe(const tagWINCMD& c) {
    return FormatBounded(800, L"%d,%d,%d,%d hide %d repeat %d,%d,%d \"%ls\" \"%ls\"", c.nType, c.nSubType,
                         c.nParam, c.nParam2, c.bHideOsd, c.bRepeat, c.nRepeatDelay, c.nRepeatRate,
                         Shown(c.szOsdText).c_str(), Shown(c.szWndCaption).c_str());
}

TEST(CommandRecordTest, EqualityTakesEveryFieldIntoAccount) {
    const tagWINCMD base = Cmd(CMD_KEY, 70, MOD_KEY_CTRL, 0, 1, 1000, 200, L"Find", L"APP");
    const std::function<void(tagWINCMD&)> changes[] = {
        [](tagWINCMD& c) { c.nType = CMD_WINDOW; },  [](tagWINCMD& c) { c.nSubType = 71; },
        [](tagWINCMD& c) { c.nParam = 0; },          [](tagWINCMD& c) { c.nParam2 = 1; },
        [](tagWINCMD& c) { c.bHideOsd = 1; },        [](tagWINCMD& c) { c.bRepeat = 0; },
        [](tagWINCMD& c) { c.nRepeatDelay = 999; },  [](tagWINCMD& c) { c.nRepeatRate = 100; },
        [](tagWINCMD& c) { c.szOsdText[0] = L'f'; }, [](tagWINCMD& c) { c.szWndCaption[2] = 0; },
    };
    for (const auto& change : changes) {
        tagWINCMD c = base;
        change(c);
        EXPECT_NE(base, c) << Describe(c);
    }
    // A keymap lookup of a key that is not bound leaves the record as it was.
    CKeymap map;
    map.SetAt(200, base);
    tagWINCMD out = Cmd(CMD_WINDOW, 1, 2, 3, 1, 5, 6);
    EXPECT_FALSE(map.Lookup(201, out));
    EXPECT_EQ(out, Cmd(CMD_WINDOW, 1, 2, 3, 1, 5, 6));
    EXPECT_TRUE(map.Lookup(200, out));
    EXPECT_EQ(out, base);
}

// Per command type its short and full name, then per subtype its name and, for the parameters -1..8,
// the parameter's text, "=" marking a parameter that makes a known command and "?" one that does not
// ("any" when each makes a known command without a text). Subtypes without a name or a parameter are
// left out; the subtype of "---" does not matter, that of a keyboard shortcut is a key code.
TEST(CommandTypeTest, NamesAndParametersMatchTheGoldenFile) {
    test::FakeStrings words({{4450, L"Bildschirmanzeige"}, {54593, L"Fenster"}}); // the rest in English
    std::vector<std::wstring> lines;
    for (int type = -1; type <= kCmdTypeCount; ++type) {
        lines.push_back(FormatBounded(100, L"type %d: %ls \"%ls\"", type,
                                      CmdTypeName(type, true, words).c_str(),
                                      CmdTypeName(type, false, words).c_str()));
        std::vector<int> subtypes = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        if (type == CMD_NONE || type == CMD_KEY)
            subtypes = type == CMD_NONE ? std::vector<int>{0} : std::vector<int>{-1, 0, 65};
        for (int sub : subtypes) {
            const std::wstring name = CmdSubTypeName(type, sub, words);
            std::wstring params;
            bool any = true;
            for (int param = -1; param <= 8; ++param) {
                const tagWINCMD c = Cmd(type, sub, param, param, 0, 1000, 200);
                const std::wstring text = CmdParamText(c, words);
                any = any && text.empty() && IsKnownCommand(c);
                if (!text.empty() || IsKnownCommand(c))
                    params += FormatBounded(100, L" %d%ls\"%ls\"", param, IsKnownCommand(c) ? L"=" : L"?",
                                            text.c_str());
            }
            if (!name.empty() || !params.empty())
                lines.push_back(FormatBounded(1000, L"  %d \"%ls\":%ls", sub, name.c_str(),
                                              any ? L" any" : params.c_str()));
        }
    }
    EXPECT_TRUE(test::MatchesGolden("commands", lines));
}

// The built-in keymaps (with a few German words: the rest is English), then records written as key
// lines and read back, current and older lines read into records, and what the check says of lines.
TEST(KeyLineTest, KeymapsAndTheKeyLineFormatMatchTheGoldenFile) {
    test::FakeStrings words(
        {{53382, L"Schließen"}, {56150, L"Lautstärke"}, {4503, L"Vorheriges Programm"}, {56048, L"Seite"}});
    CKeyNames names([](bool) { return std::make_unique<test::FakeStrings>(); });
    std::vector<std::wstring> lines;
    CKeymap map;
    map.SetAt(300, Cmd(CMD_KEY, 1, 0, 0, 0, 0, 0)); // emptied first
    ASSERT_EQ(BuildDefaultKeymap(map, words), 1);
    for (const auto& [key, cmd] : map)
        lines.push_back(FormatBounded(800, L"default %d: %ls | %ls=%ls", key, Describe(cmd).c_str(),
                                      FormatKeyLineKey(key).c_str(),
                                      FormatKeyLine(cmd, names.EnglishName(key)).c_str()));
    ASSERT_EQ(BuildControlKeymap(map, words), 1);
    for (const auto& [key, cmd] : map)
        lines.push_back(FormatBounded(800, L"control %d: %ls", key, Describe(cmd).c_str()));

    const std::pair<tagWINCMD, std::wstring> written[] = {
        {Cmd(CMD_SYSTEM, SYS_VOLUME, -10, 0, 1, 1000, 100, L"Volume -", L"Media Player"), L"Volume -"},
        {Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"snake_case", L"a_b"), L"OK"},
        {Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"a,\"b\"", L"c,d"), L"Name, with \"comma\""},
        {Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"a\r\nb\tc", L" leading and trailing "), L"Line\nbreak"},
        {Cmd(CMD_OSD, OSD_TIME, 0, 0, 0, 1000, 200, L"Zeit äöü €", L"ÄPFEL"), L"Timer"},
        {Cmd(CMD_CONTROL, CTL_SLIDER, 1234, -25, 0, 1000, 200, L"Slider", L"X"), L"Key"},
        {Cmd(INT32_MAX, INT32_MIN, -2147483647, 99999, 1, 2000000000, 1), L""},
    };
    for (const auto& [cmd, name] : written) {
        const std::wstring line = FormatKeyLine(cmd, name.c_str());
        tagWINCMD back;
        const int numbers = ParseKeyLine(line, back);
        lines.push_back(FormatBounded(800, L"write %ls | %ls | read back %d: %ls", Describe(cmd).c_str(),
                                      Shown(line).c_str(), numbers, Describe(back).c_str()));
    }
    // Values of current and layout-3 lines, and lines to check, as the golden file gives them.
    for (const std::wstring& line : test::GoldenCases("key-lines")) {
        const size_t open = line.find(L" \""), close = line.find(L"\": ", open);
        const std::wstring kind = line.substr(0, open);
        if (kind != L"read" && kind != L"layout 3" && kind != L"check")
            continue;
        std::wstring value = line.substr(open + 2, close - open - 2);
        for (size_t at; (at = value.find(L"\\x")) != std::wstring::npos;)
            value.replace(at, 4, 1, static_cast<wchar_t>(std::stoi(value.substr(at + 2, 2), nullptr, 16)));
        tagWINCMD c;
        const int numbers = kind == L"read" ? ParseKeyLine(value, c) : ParseLayout3Line(value, c);
        const std::wstring problem = CheckKeyLine(value);
        lines.push_back(line.substr(0, close + 3) + (kind != L"check"
                                                         ? std::to_wstring(numbers) + L" " + Describe(c)
                                                     : problem.empty() ? L"(reads completely)"
                                                                       : problem));
    }
    EXPECT_TRUE(test::MatchesGolden("key-lines", lines));
}

TEST(KeyLineTest, RecordsRoundTripWholeAndTheReaderCutsLongTexts) {
    tagWINCMD full = Cmd(CMD_KEY, 'S', MOD_KEY_CTRL | MOD_KEY_SHIFT, 0, 1, 500, 50);
    for (size_t i = 0; i < kCmdTextChars - 1; ++i) {
        full.szOsdText[i] = L'a' + static_cast<wchar_t>(i % 26);
        full.szWndCaption[i] = L'A' + static_cast<wchar_t>(i % 26);
    }
    const std::wstring line = FormatKeyLine(full, L"Programme +");
    EXPECT_LT(line.size(), kKeyLineChars);
    tagWINCMD back;
    EXPECT_EQ(ParseKeyLine(line, back), 7);
    EXPECT_EQ(back, full);
    ParseKeyLine(L"3,65,0,0,0,1000,200," + std::wstring(400, L'x') + L",y,z", back);
    EXPECT_EQ(std::wstring(back.szOsdText), std::wstring(kCmdTextChars - 1, L'x'));
}

} // namespace
} // namespace lm
