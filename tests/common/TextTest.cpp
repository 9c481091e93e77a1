// The base text helpers. Built into the host tests and into the Windows tests, because the C libraries
// differ exactly where these helpers must not: text that does not fit, and wide characters.
#include "base/Path.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

TEST(TextTest, FormatsAreCutAtTheLimitOnEveryCLibrary) {
    const std::wstring longArg(2000, L'x');
    std::wstring text = FormatBounded(511, L"[%ls]", longArg.c_str());
    ASSERT_EQ(text.size(), 511u);
    EXPECT_EQ(text, L"[" + std::wstring(510, L'x'));
    // Exactly at the limit, one past it, and a text far larger than any buffer the helper tries.
    EXPECT_EQ(FormatBounded(3, L"%d", 123), L"123");
    EXPECT_EQ(FormatBounded(3, L"%d", 1234), L"123");
    const std::wstring huge(4u << 20, L'y');
    text = FormatBounded(64, L"%ls!", huge.c_str());
    EXPECT_EQ(text, std::wstring(64, L'y'));
    EXPECT_EQ(FormatBounded(0, L"%ls", L"abc"), L"");
    EXPECT_EQ(FormatBounded(10, nullptr), L"");
}

TEST(TextTest, BoundedCopiesAndTrims) {
    wchar_t buffer[4] = {L'#', L'#', L'#', L'#'};
    CopyBounded(buffer, 4, L"abcdef");
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(Trim(L" \t a b \t"), L"a b");
    EXPECT_EQ(Trim(L"\r\nx\r\n"), L"\r\nx\r\n");
    EXPECT_EQ(Trim(L"--x-", [](wchar_t c) { return c == L'-'; }), L"x");
}

TEST(TextTest, CaseMappingIsTheSameEverywhere) {
    EXPECT_EQ(TextToUpper(L"fenêtre ÿ łódź привет ς ı ß ÷ ŉ ѐ"), L"FENÊTRE Ÿ ŁÓDŹ ПРИВЕТ Σ I ß ÷ ŉ Ѐ");
    EXPECT_EQ(TextToLower(L"FENÊTRE Ÿ ŁÓDŹ ПРИВЕТ Ё ß"), L"fenêtre ÿ łódź привет ё ß");
    EXPECT_TRUE(SameText(L"Notepad.EXE", L"notepad.exe"));
    EXPECT_FALSE(SameText(L"notepad", L"notepad2"));
}

TEST(TextTest, Utf8DecodingIsStrictAndRoundTrips) {
    const std::wstring text = L"a\u00e9\u20ac\U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    // Overlong slash, encoded surrogate, a value past U+10FFFF, a stray continuation byte, a cut
    // sequence: every byte of them is one replacement character.
    EXPECT_EQ(FromUtf8(std::string("\xC0\xAF")), L"\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8(std::string("\xED\xA0\x80")), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8(std::string("\xF4\x90\x80\x80")), L"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8(std::string("x\x80y\xE2\x82")), L"x\uFFFDy\uFFFD\uFFFD");
    EXPECT_EQ(ToUtf8(L"\u0416"), "\xD0\x96");
    EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
}

TEST(TextTest, PathsSplitAtEitherSeparator) {
    EXPECT_EQ(PathFileName(L"C:\\Programs\\Player/player.exe"), L"player.exe");
    EXPECT_EQ(PathFolder(L"C:\\Programs\\player.exe"), L"C:\\Programs");
    EXPECT_EQ(PathFolder(L"player.exe"), L"");
    EXPECT_EQ(PathWithExtension(L"C:\\a.b\\RemoteControl.exe", L".ini"), L"C:\\a.b\\RemoteControl.ini");
    EXPECT_EQ(PathWithExtension(L"C:\\a.b\\Remote", L".usr"), L"C:\\a.b\\Remote.usr");
    EXPECT_EQ(PathStem(L"/x/German.lng"), L"German");
    EXPECT_EQ(PathJoin(L"a/", L"b"), L"a/b");
    EXPECT_EQ(PathJoin(L"", L"b"), L"b");
}

} // namespace
} // namespace lm
