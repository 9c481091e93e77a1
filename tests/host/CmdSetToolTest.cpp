// rcset: checking, upgrading, listing and showing command-set files.
#include "rcset/CmdSetCheck.h"
#include "rcset/CmdSetTool.h"

#include "CmdSetFixture.h"
#include "common/ProfileCases.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using test::CmdSetFixture;

class CmdSetToolTest : public CmdSetFixture {
protected:
    int Run(std::vector<std::wstring> args) {
        out.clear();
        err.clear();
        CmdSetToolServices services{NativeFileSystem(), registry, folders};
        return RunCmdSetTool(args, services, out, err);
    }
    bool OutHas(const std::wstring& text) const { return out.find(text) != std::wstring::npos; }

    std::wstring out, err;
};

TEST(CmdSetCheckTest, ReportsEveryUnreadableLine) {
    CKeyNames names;
    const std::string file = "; comment\r\n"
                             "stray=1\r\n"                                                  // 2
                             "[Settings]\r\nRC Layout Version=4\r\n"                        // 3, 4
                             "[Software]\r\n0=VLC\r\n10=Kodi\r\nx=y\r\n"                    // 5..8
                             "[VLC]\r\nExecutable=vlc.exe\r\n"                              // 9, 10
                             "260=3,32,0,0,0,1000,200,\"Play\",\"\",\"Play\"\r\n"           // 11 fine
                             "261=3,32,0,0\r\n"                                             // 12 short
                             "150=3,32,0,0,0,1000,200,\"x\",\"\",\"x\"\r\n"                 // 13 no key
                             "260=3,33,0,0,0,1000,200,\"x\",\"\",\"x\"\r\n"                 // 14 doubled
                             "Colour=red\r\n"                                               // 15 unknown
                             "HideOsd=2\r\n"                                                // 16
                             "no equals sign\r\n"                                           // 17
                             "262=9,0,0,0,0,1000,200,\"x\",\"\",\"x\"\r\n"                  // 18 type
                             "[Broken\r\n"                                                  // 19
                             "[vlc]\r\n999=nothing\r\n"                                     // 20, 21
                             "[Other]\r\n 60 = 1,0,0,0,0,1000,200,\"Menu\",\"\",\"C5\"\r\n" // 22, 23 fine
                             "[A]1]\r\n[A]2]\r\n"; // names end at the last bracket, as the store reads them
    const std::vector<CmdSetProblem> problems = CheckCmdSetFile(file, names);
    std::vector<std::pair<int, std::wstring>> where;
    for (const CmdSetProblem& p : problems)
        where.emplace_back(p.line, p.key);
    const std::vector<std::pair<int, std::wstring>> expected = {
        {2, L"stray"},   {7, L"10"},       {8, L"x"}, {12, L"261"}, {13, L"150"}, {14, L"260"},
        {15, L"Colour"}, {16, L"HideOsd"}, {17, L""}, {18, L"262"}, {19, L""},    {20, L""}};
    EXPECT_EQ(where, expected);
    ASSERT_EQ(problems.size(), expected.size());
    EXPECT_EQ(problems[4].section, L"VLC");
    EXPECT_NE(problems[3].message.find(L"4 of the seven"), std::wstring::npos);
}

TEST(CmdSetCheckTest, EncodingsAndOldLayouts) {
    CKeyNames names;
    // UTF-16 with a byte-order mark, no layout: one problem for the whole file, key lines not checked.
    std::wstring text = L"[\u00C4pfel]\nExecutable=a.exe\n139=3,1,0,0,\"x\",\"\"\n";
    auto problems = CheckCmdSetFile(test::Utf16Le(text), names);
    ASSERT_EQ(problems.size(), 1u); // the layout only: key 139 is a key of the old numbering
    EXPECT_EQ(problems[0].line, 0);
    problems = CheckCmdSetFile(test::Utf16Le(text + L"Colour=red\n"), names);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[1].line, 4);
    EXPECT_EQ(problems[1].section, L"\u00C4pfel");
    EXPECT_EQ(DecodeProfileLines("a\r\nb\rc\n\nd").size(), 5u);
    EXPECT_EQ(DecodeProfileLines("\x80")[0], L"\u20AC");
}

TEST_F(CmdSetToolTest, CheckExitStatus) {
    WritePreset(L"[Settings]\nRC Layout Version=4\n[A]\nExecutable=a.exe\n260=1,2,3\n");
    EXPECT_EQ(Run({L"check", PresetPath()}), 1);
    EXPECT_TRUE(OutHas(PresetPath() + L":5: [A] 260: only 3 of the seven numbers can be read")) << out;
    WritePreset(L"[Settings]\nRC Layout Version=4\n[A]\nExecutable=a.exe\n");
    EXPECT_EQ(Run({L"check", PresetPath()}), 0);
    EXPECT_EQ(Run({L"check", temp.Path(L"missing.ini")}), 1);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(Run({L"check"}), 2);
    EXPECT_EQ(Run({L"frobnicate", PresetPath()}), 2);
}

TEST_F(CmdSetToolTest, Upgrade) {
    WritePreset(L"[A]\nExecutable=a.exe\n139=3,13,0,0,\"Enter\",\"\"\n");
    EXPECT_EQ(Run({L"upgrade", PresetPath()}), 0);
    EXPECT_TRUE(OutHas(L"layout 0 upgraded to 4")) << out;
    EXPECT_EQ(Raw(PresetPath(), L"A", L"160"), L"3, 13,    0,  0,  0,1000,200,\"Enter\",\"\",\"Menu\"");
    EXPECT_EQ(Run({L"upgrade", PresetPath()}), 0);
    EXPECT_TRUE(OutHas(L"nothing to do")) << out;
    EXPECT_EQ(Run({L"check", PresetPath()}), 0) << out;
    EXPECT_EQ(Run({L"upgrade", temp.Path(L"none.ini")}), 1);
}

TEST_F(CmdSetToolTest, ListAndShow) {
    WritePreset(L"[Settings]\nRC Layout Version=4\n[Software]\n0=A\n1=---\n2=B\n"
                L"[A]\nExecutable=a.exe\n260=3,32,0,0,0,1000,200,\"Play\",\"\",\"Play\"\n"
                L"[B]\nExecutable=b.exe\n[C]\nExecutable=c.exe\n");
    WriteUser(L"[Settings]\nRC Layout Version=4\n[Mine]\nExecutable=mine.exe\n"
              L"[B]\n283=3,70,2,0,0,1000,200,\"Find\",\"\",\"Blue\"\n[C]\nExecutable=c.exe\n");
    EXPECT_EQ(Run({L"list", PresetPath(), UserPath()}), 0);
    auto status = [this](const std::wstring& set) {
        size_t at = out.find(L"\n" + set + L" ");
        if (at == std::wstring::npos)
            return std::wstring(L"<missing>");
        std::wstring rest = out.substr(at + 1 + set.size());
        rest.erase(0, rest.find_first_not_of(L' '));
        return rest.substr(0, rest.find(L' '));
    };
    EXPECT_EQ(status(L"Mine"), L"user");
    EXPECT_EQ(status(L"B"), L"modified");
    EXPECT_EQ(status(L"C"), L"preset"); // a user copy equal to the preset
    EXPECT_EQ(status(L"A"), L"preset");
    EXPECT_TRUE(OutHas(L"  2: B\n")) << out;
    EXPECT_FALSE(OutHas(L"1: ---")) << out;

    EXPECT_EQ(Run({L"show", L"B", PresetPath(), UserPath()}), 0);
    const size_t row = out.find(L"283  Blue");
    ASSERT_NE(row, std::wstring::npos) << out;
    const std::wstring line = out.substr(row, out.find(L'\n', row) - row);
    EXPECT_NE(line.find(L"user"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"Ctrl+F"), std::wstring::npos) << line;
    EXPECT_EQ(Run({L"show", L"A", PresetPath()}), 0);
    const size_t play = out.find(L"260  Play");
    ASSERT_NE(play, std::wstring::npos) << out;
    EXPECT_NE(out.find(L"preset", play), std::wstring::npos);
    EXPECT_EQ(Run({L"show", L"Nope", PresetPath()}), 1);
}

TEST_F(CmdSetToolTest, BadFilesAreRefusedUntouchedAndNamesCannotSteerTheConsole) {
    // A program file: NUL bytes, control bytes, no line structure.
    std::string program("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0", 16);
    for (int i = 0; i < 512; ++i)
        program += static_cast<char>((i * 37) & 0xFF);
    const std::wstring exe = temp.Path(L"player.exe");
    ASSERT_TRUE(NativeFileSystem().WriteAtomic(exe, program));
    for (const wchar_t* command : {L"upgrade", L"check"}) {
        EXPECT_EQ(Run({command, exe}), 1) << command;
        EXPECT_NE(err.find(L"is not a command-set file"), std::wstring::npos) << err;
    }
    std::string after;
    ASSERT_TRUE(NativeFileSystem().ReadAll(exe, after));
    EXPECT_EQ(after, program);
    EXPECT_EQ(Run({L"upgrade", temp.Path(L"")}), 1);
    EXPECT_NE(err.find(L"is a folder, not a file"), std::wstring::npos) << err;

    // Text with an escape sequence and a NUL-free oddity in a set name is still a command-set file; its
    // names are written escaped.
    WritePreset(L"[Settings]\nRC Layout Version=4\n[Evil\x1B[2J]\nExecutable=e.exe\n");
    EXPECT_TRUE(WhyNotText(ToUtf8(L"[Evil\x1B[2J]\n")).empty());
    EXPECT_EQ(Run({L"list", PresetPath()}), 0);
    EXPECT_NE(out.find(L"Evil\x1B[2J"), std::wstring::npos) << out; // main() escapes it
    EXPECT_EQ(EscapeControlCharacters(L"a\x1B[31mb\tc\n" + std::wstring(1, L'\0') + L"\x85"),
              L"a\\x1B[31mb\tc\n\\x00\\x85");
}

TEST(ShortcutTextTest, Names) {
    EXPECT_EQ(ShortcutText(70, MOD_KEY_CTRL | MOD_KEY_SHIFT), L"Ctrl+Shift+F");
    EXPECT_EQ(ShortcutText(37, MOD_KEY_ALT), L"Alt+Left");
    EXPECT_EQ(ShortcutText(107, 0), L"Num +");
    EXPECT_EQ(ShortcutText(123, 0), L"F12");
    EXPECT_EQ(ShortcutText(48, 0), L"0");
    EXPECT_EQ(ShortcutText(0, 0), L"code 0");
}

} // namespace
} // namespace lm
