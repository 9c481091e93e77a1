// Command records, command types, the built-in keymaps and the key-line format.
#include "cmdset/KeyLine.h"
#include "cmdset/Keymap.h"
#include "cmdset/KeyNames.h"

#include "CmdSetFixture.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using test::Cmd;
using test::FakeStrings;

TEST(CommandRecordTest, EqualityTakesEveryFieldIntoAccount) {
    const tagWINCMD base = Cmd(CMD_KEY, 70, MOD_KEY_CTRL, 0, 1, 1000, 200, L"Find", L"APP");
    EXPECT_EQ(base, base);
    auto changed = [&](auto change) {
        tagWINCMD c = base;
        change(c);
        return c;
    };
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nType = CMD_WINDOW; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nSubType = 71; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nParam = 0; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nParam2 = 1; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.bHideOsd = 1; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.bRepeat = 0; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nRepeatDelay = 999; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.nRepeatRate = 100; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.szOsdText[0] = L'f'; }));
    EXPECT_NE(base, changed([](tagWINCMD& c) { c.szWndCaption[2] = 0; }));
}

TEST(CommandTypeTest, ShortAndFullNames) {
    FakeStrings strings;
    strings.texts = {{4450, L"Bildschirmanzeige"}, {54593, L"Fenster"}};
    const wchar_t* shortNames[] = {L"---", L"OSD", L"SYS", L"KEY", L"WIN", L"CTL"};
    for (int type = 0; type < 6; ++type)
        EXPECT_EQ(CmdTypeName(type, true, strings), shortNames[type]) << type;
    EXPECT_EQ(CmdTypeName(0, false, strings), L"---");
    EXPECT_EQ(CmdTypeName(1, false, strings), L"Bildschirmanzeige");
    EXPECT_EQ(CmdTypeName(2, false, strings), L"System command"); // not in the source: English
    EXPECT_EQ(CmdTypeName(3, false, strings), L"Keyboard shortcut");
    EXPECT_EQ(CmdTypeName(4, false, strings), L"Fenster");
    EXPECT_EQ(CmdTypeName(5, false, strings), L"Control");
    for (int type : {-1, 6, 1000}) {
        EXPECT_EQ(CmdTypeName(type, true, strings), L"???");
        EXPECT_EQ(CmdTypeName(type, false, strings), L"???");
    }
}

TEST(CommandTypeTest, SubtypeAndParameterTexts) {
    FakeStrings strings;
    EXPECT_EQ(CmdSubTypeName(CMD_OSD, OSD_TIME, strings), L"Time");
    EXPECT_EQ(CmdSubTypeName(CMD_SYSTEM, SYS_CURSOR, strings), L"Cursor");
    EXPECT_EQ(CmdSubTypeName(CMD_WINDOW, WIN_TOGGLE_MINIMIZE, strings), L"Toggle minimise");
    EXPECT_EQ(CmdSubTypeName(CMD_CONTROL, CTL_SLIDER, strings), L"Slider");
    EXPECT_EQ(CmdSubTypeName(CMD_WINDOW, 7, strings), L"");
    EXPECT_EQ(CmdSubTypeName(CMD_KEY, 65, strings), L"");

    EXPECT_EQ(CmdParamText(Cmd(CMD_SYSTEM, SYS_VOLUME, -10, 0, 0, 0, 0), strings), L"-10%");
    EXPECT_EQ(CmdParamText(Cmd(CMD_SYSTEM, SYS_VOLUME, 5, 0, 0, 0, 0), strings), L"+5%");
    EXPECT_EQ(CmdParamText(Cmd(CMD_SYSTEM, SYS_POWER, POWER_SHUTDOWN, 0, 0, 0, 0), strings), L"Shutdown");
    EXPECT_EQ(CmdParamText(Cmd(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNRIGHT, 0, 0, 0, 0), strings),
              L"Down right");
    EXPECT_EQ(CmdParamText(Cmd(CMD_CONTROL, CTL_COMBOBOX, 1001, 3, 0, 0, 0), strings), L"No. 3");
    EXPECT_EQ(CmdParamText(Cmd(CMD_CONTROL, CTL_SLIDER, 1001, 5, 0, 0, 0), strings), L"+5 %");
    EXPECT_EQ(CmdParamText(Cmd(CMD_KEY, 27, MOD_KEY_ALT | MOD_KEY_SHIFT, 0, 0, 0, 0), strings), L"Alt+Shift");
}

TEST(CommandTypeTest, KnownCommands) {
    EXPECT_TRUE(IsKnownCommand(Cmd(CMD_NONE, 0, 0, 0, 0, 0, 0)));
    EXPECT_TRUE(IsKnownCommand(Cmd(CMD_KEY, 'F', MOD_KEY_CTRL | MOD_KEY_SHIFT | MOD_KEY_ALT, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_KEY, 0, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_KEY, 65, 8, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_OSD, 3, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_SYSTEM, SYS_POWER, 4, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_SYSTEM, SYS_VOLUME, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_SYSTEM, SYS_MOUSEMOVE, 8, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_WINDOW, 7, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(CMD_CONTROL, CTL_COMBOBOX, 100, -1, 0, 0, 0)));
    EXPECT_FALSE(IsKnownCommand(Cmd(6, 0, 0, 0, 0, 0, 0)));
}

TEST(KeymapTest, EqualityAndBasicOperations) {
    CKeymap a, b;
    EXPECT_EQ(a, b);
    a.SetAt(200, Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 200, L"0"));
    EXPECT_NE(a, b);
    b.SetAt(200, Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 200, L"0"));
    EXPECT_EQ(a, b);
    b.SetAt(201, Cmd(CMD_NONE, 0, 0, 0, 0, 1000, 200));
    EXPECT_NE(a, b); // an extra key, even one that does nothing
    b.RemoveKey(201);
    b.SetAt(200, Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 100, L"0"));
    EXPECT_NE(a, b);

    tagWINCMD out = Cmd(CMD_WINDOW, 1, 2, 3, 1, 5, 6);
    const tagWINCMD untouched = out;
    EXPECT_FALSE(a.Lookup(201, out));
    EXPECT_EQ(out, untouched);
    EXPECT_TRUE(a.Lookup(200, out));
    EXPECT_EQ(out.nSubType, 96);
    EXPECT_FALSE(a.RemoveKey(201));
}

TEST(KeymapTest, DefaultKeymap) {
    FakeStrings strings;
    strings.texts = {{53382, L"Schließen"}, {56150, L"Lautstärke"}, {4503, L"Vorheriges Programm"}};
    CKeymap map;
    map.SetAt(300, Cmd(CMD_KEY, 1, 0, 0, 0, 0, 0)); // emptied first
    ASSERT_EQ(BuildDefaultKeymap(map, strings), 1);
    EXPECT_FALSE(map.Contains(300));
    EXPECT_EQ(map.GetCount(), 41u);

    auto expect = [&](int key, int type, int sub, int param, int repeat, int rate, const std::wstring& osd) {
        const tagWINCMD* c = map.Find(key);
        ASSERT_NE(c, nullptr) << key;
        EXPECT_EQ(*c, Cmd(type, sub, param, 0, repeat, 1000, rate, osd)) << key;
    };
    for (int d = 0; d <= 9; ++d)
        expect(200 + d, CMD_KEY, 96 + d, 0, 0, 200, std::to_wstring(d));
    expect(140, CMD_WINDOW, WIN_CLOSE, 0, 0, 200, L"Schließen");
    expect(160, CMD_OSD, OSD_MAINMENU, 0, 0, 200, L"Menu");
    expect(141, CMD_WINDOW, WIN_TOGGLE_MAXIMIZE, 0, 0, 200, L"Full screen");
    expect(321, CMD_WINDOW, WIN_TOGGLE_MAXIMIZE, 0, 0, 200, L"Full screen");
    expect(142, CMD_OSD, OSD_TIME, 0, 0, 200, L"Time");
    expect(320, CMD_OSD, OSD_TIME, 0, 0, 200, L"Time");
    expect(241, CMD_SYSTEM, SYS_VOLUME, 10, 1, 100, L"Lautstärke +");
    expect(240, CMD_SYSTEM, SYS_VOLUME, -10, 1, 100, L"Lautstärke -");
    expect(242, CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE, 0, 200, L"Mute");
    expect(182, CMD_KEY, 37, 0, 1, 100, L"Arrow left");
    expect(180, CMD_KEY, 38, 0, 1, 100, L"Arrow up");
    expect(183, CMD_KEY, 39, 0, 1, 100, L"Arrow right");
    expect(181, CMD_KEY, 40, 0, 1, 100, L"Arrow down");
    for (int key : {184, 186})
        expect(key, CMD_KEY, 13, 0, 0, 0, L"Return");
    for (int key : {185, 187})
        expect(key, CMD_KEY, 8, 0, 0, 0, L"Backspace");
    expect(223, CMD_KEY, 9, 0, 0, 0, L"Tab");
    expect(188, CMD_KEY, 46, 0, 0, 0, L"Del");
    expect(221, CMD_KEY, 33, 0, 0, 0, L"Page Up");
    expect(220, CMD_KEY, 34, 0, 0, 0, L"Page Down");
    expect(260, CMD_KEY, 179, 0, 0, 0, L"Playback");
    expect(262, CMD_KEY, 179, 0, 0, 0, L"Pause");
    expect(261, CMD_KEY, 178, 0, 0, 0, L"Stop");
    expect(266, CMD_KEY, 177, 0, 0, 0, L"Previous");
    expect(267, CMD_KEY, 176, 0, 0, 0, L"Next");
    for (int key : {264, 268})
        expect(key, CMD_KEY, 27, 5, 0, 200, L"Vorheriges Programm");
    for (int key : {265, 269})
        expect(key, CMD_KEY, 27, 1, 0, 200, L"Next Program");
    EXPECT_EQ(*map.Find(60), *map.Find(160));
}

TEST(KeymapTest, ControlKeymap) {
    FakeStrings strings;
    strings.texts = {{56048, L"Seite"}};
    CKeymap map;
    ASSERT_EQ(BuildControlKeymap(map, strings), 1);
    EXPECT_EQ(map.GetCount(), 28u);
    auto expect = [&](int key, int type, int sub, int param, int hide, const std::wstring& osd) {
        const tagWINCMD* c = map.Find(key);
        ASSERT_NE(c, nullptr) << key;
        tagWINCMD want = Cmd(type, sub, param, 0, 0, 1000, 200, osd);
        want.bHideOsd = hide;
        EXPECT_EQ(*c, want) << key;
    };
    expect(243, CMD_CONTROL, CTL_MENUITEM, 2411, 0, L"Transparent");
    for (int key : {264, 220})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33028, 1, L"Seite -");
    for (int key : {265, 221})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33029, 1, L"Seite +");
    for (int key : {266, 268})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33046, 1, L"Seite - 100");
    for (int key : {267, 269})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33045, 1, L"Seite + 100");
    for (int key : {280, 320})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33047, 1, L"Red");
    for (int key : {281, 321})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33048, 1, L"Green");
    for (int key : {282, 322})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33049, 1, L"Yellow");
    for (int key : {283, 323, 324})
        expect(key, CMD_CONTROL, CTL_MENUITEM, 33050, 1, L"Blue");
    for (int d = 0; d <= 9; ++d)
        expect(200 + d, CMD_KEY, '0' + d, 0, 1, L"");
}

TEST(KeyLineTest, WrittenForm) {
    EXPECT_EQ(FormatKeyLineKey(60), L" 60");
    EXPECT_EQ(FormatKeyLineKey(200), L"200");
    EXPECT_EQ(FormatKeyLine(Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 200, L"0"), L"Programme 0"),
              L"  3, 96,    0,  0,  0,1000,200,\"0\",\"\",\"Programme 0\"");
    EXPECT_EQ(FormatKeyLine(Cmd(CMD_SYSTEM, SYS_VOLUME, -10, 0, 1, 1000, 100, L"Volume -", L"Media Player"),
                            L"Volume -"),
              L"  2,  1,  -10,  0,  1,1000,100,\"Volume_-\",\"Media_Player\",\"Volume -\"");
}

TEST(KeyLineTest, RoundTrips) {
    const tagWINCMD cases[] = {
        Cmd(CMD_KEY, 'S', MOD_KEY_CTRL | MOD_KEY_SHIFT, 0, 1, 500, 50, L"Save all", L"MY EDITOR"),
        Cmd(CMD_CONTROL, CTL_SLIDER, 1234, -25, 0, 1000, 200, L"Slider", L"X"),
        Cmd(CMD_NONE, 0, 0, 0, 0, 0, 0),
        Cmd(CMD_WINDOW, WIN_CLOSE, 0, 0, 0, 1000, 200, L" leading and trailing ", L""),
        Cmd(CMD_OSD, OSD_TIME, 0, 0, 0, 1000, 200, L"Zeit \u00E4\u00F6\u00FC \u20AC", L"\u00C4PFEL"),
        Cmd(INT32_MAX, INT32_MIN, -2147483647, 99999, 1, 2000000000, 1),
    };
    for (const tagWINCMD& c : cases) {
        const std::wstring line = FormatKeyLine(c, L"Key");
        tagWINCMD back;
        EXPECT_EQ(ParseKeyLine(line, back), 7) << line;
        EXPECT_EQ(back, c) << line;
    }

    // Texts of full length come back whole, caption included.
    tagWINCMD full = Cmd(CMD_KEY, 65, 0, 0, 0, 1000, 200);
    for (size_t i = 0; i < kCmdTextChars - 1; ++i) {
        full.szOsdText[i] = L'a' + static_cast<wchar_t>(i % 26);
        full.szWndCaption[i] = L'A' + static_cast<wchar_t>(i % 26);
    }
    const std::wstring line = FormatKeyLine(full, L"Programme +");
    EXPECT_LT(line.size(), kKeyLineChars);
    tagWINCMD back;
    ParseKeyLine(line, back);
    EXPECT_EQ(back, full);
}

TEST(KeyLineTest, BlanksUnderscoresAndCase) {
    tagWINCMD c;
    ParseKeyLine(FormatKeyLine(Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"Two words", L"Main window"), L"OK"), c);
    EXPECT_STREQ(c.szOsdText, L"Two words");
    EXPECT_STREQ(c.szWndCaption, L"MAIN WINDOW");

    // "_" in a text is a blank once read.
    ParseKeyLine(FormatKeyLine(Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"snake_case", L"a_b"), L"OK"), c);
    EXPECT_STREQ(c.szOsdText, L"snake case");
    EXPECT_STREQ(c.szWndCaption, L"A B");

    // Commas and double quotes cannot be stored: they are left out rather than breaking the line.
    const std::wstring line =
        FormatKeyLine(Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"a,\"b\"", L"c,d"), L"Name, with \"comma\"");
    ParseKeyLine(line, c);
    EXPECT_STREQ(c.szOsdText, L"ab");
    EXPECT_STREQ(c.szWndCaption, L"CD");
    EXPECT_EQ(line.find(L"\"\"\""), std::wstring::npos);

    // Line breaks and tabs never reach the file.
    const std::wstring broken = FormatKeyLine(Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"a\r\nb\tc"), L"OK");
    EXPECT_EQ(broken.find_first_of(L"\r\n\t"), std::wstring::npos);
    ParseKeyLine(broken, c);
    EXPECT_STREQ(c.szOsdText, L"a  b c");
}

TEST(KeyLineTest, ShortAndMalformedLines) {
    tagWINCMD c;
    // Seven numbers only: empty texts, numbers read.
    EXPECT_EQ(ParseKeyLine(L"4,5,0,0,1,300,40", c), 7);
    EXPECT_EQ(c, Cmd(CMD_WINDOW, 5, 0, 0, 1, 300, 40));

    // A caption without a further field stays empty.
    ParseKeyLine(L"3,65,0,0,0,1000,200,\"Text\",\"Caption\"", c);
    EXPECT_STREQ(c.szOsdText, L"Text");
    EXPECT_STREQ(c.szWndCaption, L"");

    // Numbers that do not scan keep the defaults, and the scan stops there.
    EXPECT_EQ(ParseKeyLine(L"3,x,5,5,1,1,1", c), 1);
    EXPECT_EQ(c, Cmd(CMD_KEY, 0, 0, 0, 0, 1000, 200));
    // A blank before a comma ends the scan, as with the runtime's scanner; blanks after a comma do not.
    EXPECT_EQ(ParseKeyLine(L"3 ,65,0,0,0,1000,200", c), 1);
    EXPECT_EQ(ParseKeyLine(L"  3,  65,\t0, -0, +1, 1000, 200", c), 7);
    EXPECT_EQ(c, Cmd(CMD_KEY, 65, 0, 0, 1, 1000, 200));
    // Numbers beyond 32 bits are cut to the range.
    ParseKeyLine(L"99999999999999999999,-99999999999999999999,0,0,0,1000,200", c);
    EXPECT_EQ(c.nType, INT32_MAX);
    EXPECT_EQ(c.nSubType, INT32_MIN);

    // Text fields: trimmed, quotes removed, only the first blank-free token.
    ParseKeyLine(L"3,65,0,0,0,1000,200,  \" two words \" , \"cap tion\",\"n\"", c);
    EXPECT_STREQ(c.szOsdText, L"two");
    EXPECT_STREQ(c.szWndCaption, L"CAP");
    ParseKeyLine(L"", c);
    EXPECT_EQ(c, Cmd(CMD_NONE, 0, 0, 0, 0, 1000, 200));
    // A text longer than the record is cut.
    ParseKeyLine(L"3,65,0,0,0,1000,200," + std::wstring(400, L'x') + L",y,z", c);
    EXPECT_EQ(std::wcslen(c.szOsdText), kCmdTextChars - 1);
}

TEST(KeyLineTest, Layout3Lines) {
    tagWINCMD c;
    EXPECT_EQ(ParseLayout3Line(L"3,13,0,0,\"Enter_key\",\"Main_window\"", c), 4);
    EXPECT_EQ(c, Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"Enter key", L"MAIN WINDOW"));
    ParseLayout3Line(L"5,2,1001,4", c);
    EXPECT_EQ(c, Cmd(CMD_CONTROL, CTL_COMBOBOX, 1001, 4, 0, 1000, 200));
}

TEST(KeyLineTest, Check) {
    EXPECT_EQ(CheckKeyLine(FormatKeyLine(Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"x"), L"OK")), L"");
    EXPECT_NE(CheckKeyLine(L"3,13,0,0"), L"");
    EXPECT_NE(CheckKeyLine(L"9,0,0,0,0,1000,200,\"\",\"\",\"\""), L"");
    EXPECT_NE(CheckKeyLine(L"4,9,0,0,0,1000,200,\"\",\"\",\"\""), L"");
    EXPECT_NE(CheckKeyLine(L"4,1,0,0,2,1000,200,\"\",\"\",\"\""), L"");
    EXPECT_NE(CheckKeyLine(L"4,1,0,0,0,-1,200,\"\",\"\",\"\""), L"");
    EXPECT_NE(CheckKeyLine(L"4,1,0,0,0,1000,200,\"\",\"\""), L"");
}

} // namespace
} // namespace lm
