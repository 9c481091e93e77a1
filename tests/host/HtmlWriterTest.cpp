// The HTML overview: whole pages against the golden pages (the time masked), escaping, the files beside
// the page, and what the user sees when the page cannot be written.
#include "editor/HtmlWriter.h"
#include "editor/RemoteModels.h"

#include "Golden.h"
#include "base/Text.h"
#include "cmdset/Keymap.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeStrings.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

tagWINCMD Command(int32_t type, int32_t sub, int32_t param, const std::wstring& osd) {
    tagWINCMD c;
    c.nType = type, c.nSubType = sub, c.nParam = param;
    CopyBounded(c.szOsdText, kCmdTextChars, osd);
    return c;
}

class HtmlWriterTest : public ::testing::Test {
protected:
    HtmlWriterTest() {
        BuildDefaultKeymap(keymap, words);
        CopyBounded(record.szName, kPrgTextChars, L"<script>alert('x')</script> & \"Co\"");
        CopyBounded(record.szDescription, kPrgTextChars, L"Ωμέγα 日本語 <b>");
        CopyBounded(record.szExecutable, kPrgTextChars, L"a&b.exe");
        CopyBounded(record.szAppPath, kPrgTextChars, L"C:\\Program Files\\<A>\\a&b.exe");
        CopyBounded(record.szCommandLine, kPrgTextChars, L"-x \"y\"");
        CopyBounded(record.szWindowCaption, kPrgTextChars, L"It's <Main>");
    }
    // The page's lines with the time of writing masked.
    std::vector<std::wstring> Lines(const std::wstring& page) {
        std::vector<std::wstring> lines;
        for (size_t at = 0, end; at < page.size(); at = end + 2) {
            end = page.find(L"\r\n", at);
            EXPECT_NE(end, std::wstring::npos) << "every line ends with CR LF";
            std::wstring line = page.substr(at, end - at);
            if (size_t from = line.find(L"Generated "); from != std::wstring::npos)
                line.replace(from + 10, line.find(L"<BR>", from) - from - 10, L"(time)");
            lines.push_back(line);
        }
        return lines;
    }

    test::FakeFileSystem files;
    bool shipped = (files.Put(L"/prog/Marvix.css", "css"), files.Put(L"/prog/Marvix.jpg", "jpg"), true);
    test::FakeStrings words;
    test::FakeClock clock;
    CKeyNames keyNames;
    CKeymap keymap;
    tagPRGINFO record;
    CHtmlWriter writer{tagHTMLSERVICES{files, words, keyNames, clock}, L"/data/Lumora/Remote", L"/prog"};
};

TEST_F(HtmlWriterTest, PagesMatchTheGoldenPages) {
    // Model 64 (rows of 3 and 4 keys, empty places): the default keymap with keystrokes, a mute command
    // without text, a key switched off, a key without entry, and names to escape.
    keymap.SetAt(RCKEY_DVD_MENU, Command(CMD_KEY, 116, MOD_KEY_CTRL | MOD_KEY_SHIFT, L"Refresh <all>"));
    keymap.SetAt(RCKEY_MUTE, Command(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE, L""));
    keymap.SetAt(RCKEY_SUBTITLES, Command(CMD_KEY, '<', MOD_KEY_ALT, L"Less"));
    keymap.SetAt(RCKEY_TV, Command(CMD_NONE, 0, 0, L"off"));
    keymap.RemoveKey(RCKEY_PLAY);
    const std::wstring page = writer.PageText(64, record, keymap);
    EXPECT_EQ(page.find(L"<script>"), std::wstring::npos);
    EXPECT_TRUE(test::MatchesGolden("overview-picture.htm", Lines(page)));

    // The MIDI keyboard: only the notes with a command, in note order.
    CKeymap notes;
    notes.SetAt(61, Command(CMD_KEY, 'A', MOD_KEY_CTRL, L"Select \"all\""));
    notes.SetAt(0, Command(CMD_SYSTEM, SYS_VOLUME, 10, L"Louder"));
    notes.SetAt(127, Command(CMD_NONE, 0, 0, L"never shown"));
    notes.SetAt(60, Command(CMD_WINDOW, WIN_CLOSE, 0, L"Close"));
    EXPECT_TRUE(
        test::MatchesGolden("overview-midi.htm", Lines(writer.PageText(kRemoteModelMidi, record, notes))));
}

TEST_F(HtmlWriterTest, PageGoesBesideItsFilesOrTheUserIsTold) {
    EXPECT_EQ(files.files[L"/data/Lumora/Remote/Marvix.css"].bytes, "css");
    EXPECT_EQ(files.files[L"/data/Lumora/Remote/Marvix.jpg"].bytes, "jpg");
    EXPECT_EQ(writer.PagePath(), L"/data/Lumora/Remote/Marvix.htm");
    test::FakeShell shell;
    EXPECT_EQ(ShowOverview(writer, shell, words, 16, record, keymap), 1);
    const std::string bytes = files.files[writer.PagePath()].bytes;
    EXPECT_NE(bytes.find(ToUtf8(L"Ωμέγα 日本語 &lt;b&gt;")), std::string::npos);
    EXPECT_EQ(shell.started, std::vector<std::wstring>{L"open|/data/Lumora/Remote/Marvix.htm|||1"});

    // A page that cannot be written is reported, in the user's words, and not opened.
    files.SetReadOnly(writer.PagePath(), true);
    words.texts[kStringOverviewNotWritten] = L"Kein Zugriff auf %s!";
    words.texts[kStringWarningCaption] = L"Warnung";
    EXPECT_EQ(ShowOverview(writer, shell, words, 16, record, keymap), 0);
    EXPECT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.shown,
              std::vector<std::wstring>{L"Warnung|Kein Zugriff auf /data/Lumora/Remote/Marvix.htm!"});
}

} // namespace
} // namespace lm
