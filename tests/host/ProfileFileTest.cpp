#include "support/ProfileFile.h"

#include "fakes/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace lm {
namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

// UTF-16LE bytes with a byte-order mark (ASCII and the Basic Multilingual Plane only).
std::string Utf16Le(const std::wstring& text, bool bom = true) {
    std::string out = bom ? "\xFF\xFE" : "";
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

class ProfileTest : public ::testing::Test {
protected:
    test::FakeFileSystem fs;
    CProfileStore store{fs};
    const std::wstring file = L"/p/a.ini";

    std::wstring Get(const std::wstring& section, const std::wstring& key,
                     const std::wstring& def = L"<def>") {
        return store.GetString(file, section, key, def);
    }
    const std::string& Bytes() { return fs.files[file].bytes; }
};

TEST_F(ProfileTest, NamesMatchWithoutCaseAndBlanksAndValuesAreTrimmed) {
    fs.Put(file, "[Settings]\r\n"
                 "  RC Layout Version  =   4  \r\n"
                 "\tTabbed\t=\tvalue with  inner  blanks\t\r\n"
                 "[ Spaced Name ]\r\n"
                 "k=1\r\n"
                 "[\xC4rger]\r\n" // Windows-1252 A umlaut
                 "K=2\r\n"
                 "nbsp=\xA0v\xA0\x0B\x0C\x1A\r\n");
    EXPECT_EQ(Get(L"settings", L"rc layout version"), L"4");
    EXPECT_EQ(Get(L"  SETTINGS ", L"\tRC LAYOUT VERSION "), L"4");
    EXPECT_EQ(Get(L"Settings", L"tabbed"), L"value with  inner  blanks");
    EXPECT_EQ(Get(L"Spaced Name", L"K"), L"1");
    EXPECT_EQ(store.GetSectionNames(file),
              (std::vector<std::wstring>{L"Settings", L"Spaced Name", L"\u00C4rger"}));
    EXPECT_EQ(Get(L"\u00E4RGER", L"k"), L"2");
    // Only ASCII white space (and Ctrl+Z) is trimmed; a no-break space belongs to the value.
    EXPECT_EQ(Get(L"\u00C4rger", L"nbsp"), L"\u00A0v\u00A0");
    EXPECT_TRUE(store.SectionExists(file, L"spaced name"));
    EXPECT_FALSE(store.SectionExists(file, L"Spaced"));
}

TEST_F(ProfileTest, OnePairOfMatchingQuotesIsRemoved) {
    fs.Put(file, "[s]\n"
                 "a=\"two words\"\n"
                 "b=  \"  inner blanks stay  \"  \n"
                 "c='single'\n"
                 "d=\"unbalanced\n"
                 "e=\"\n"
                 "f=\"\"\n"
                 "g=\"x\"y\"\n"
                 "h=\"mixed'\n"
                 "i=  3,  96,    0,\"0\",\"\",\"0\"\n"
                 "j=\"\"quoted twice\"\"\n");
    EXPECT_EQ(Get(L"s", L"a"), L"two words");
    EXPECT_EQ(Get(L"s", L"b"), L"  inner blanks stay  ");
    EXPECT_EQ(Get(L"s", L"c"), L"single");
    EXPECT_EQ(Get(L"s", L"d"), L"\"unbalanced");
    EXPECT_EQ(Get(L"s", L"e"), L"\"");
    EXPECT_EQ(Get(L"s", L"f"), L"");
    EXPECT_EQ(Get(L"s", L"g"), L"x\"y");
    EXPECT_EQ(Get(L"s", L"h"), L"\"mixed'");
    EXPECT_EQ(Get(L"s", L"i"), L"3,  96,    0,\"0\",\"\",\"0\"");
    EXPECT_EQ(Get(L"s", L"j"), L"\"quoted twice\"");
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyWin) {
    fs.Put(file, "[A]\nk=first\nK = second\n[B]\nx=1\n[a]\nk=third\nonly=later\n");
    EXPECT_EQ(Get(L"A", L"k"), L"first");
    // The later section of the same name is never searched.
    EXPECT_EQ(Get(L"A", L"only"), L"<def>");
    // Its name is listed twice, as the Windows functions do.
    EXPECT_EQ(store.GetSectionNames(file), (std::vector<std::wstring>{L"A", L"B", L"a"}));
    EXPECT_EQ(store.GetSection(file, L"a"), (Pairs{{L"k", L"first"}, {L"K", L"second"}}));
}

TEST_F(ProfileTest, MissingThingsGiveTheDefaultAndFalse) {
    std::wstring value = L"untouched";
    EXPECT_FALSE(store.GetString(L"/p/none.ini", L"s", L"k", value, L"dflt"));
    EXPECT_EQ(value, L"dflt");
    EXPECT_TRUE(store.GetSectionNames(L"/p/none.ini").empty());
    EXPECT_TRUE(store.GetSection(L"/p/none.ini", L"s").empty());

    fs.Put(file, "loose=before any header\n[s]\nnovalue\nempty=\n[]\nhidden=1\n=nameless\n");
    EXPECT_FALSE(store.GetString(file, L"s", L"novalue", value, L"d"));
    EXPECT_EQ(value, L"d");
    EXPECT_TRUE(store.GetString(file, L"s", L"empty", value, L"d"));
    EXPECT_EQ(value, L"");
    // Keys before the first header belong to a section without a name, which shadows any "[]".
    EXPECT_TRUE(store.GetString(file, L" ", L"loose", value));
    EXPECT_EQ(value, L"before any header");
    EXPECT_FALSE(store.GetString(file, L"", L"hidden", value));
    EXPECT_FALSE(store.WriteString(file, L"", L"loose", L"x"));
    EXPECT_FALSE(store.GetString(file, L"s", L"", value));
    EXPECT_FALSE(store.GetString(file, L"s", L"  ", value));
    EXPECT_FALSE(store.GetString(file, L"other", L"empty", value));
    EXPECT_EQ(store.GetSectionNames(file), std::vector<std::wstring>{L"s"});
}

TEST_F(ProfileTest, SectionListingSkipsCommentsAndKeepsLinesWithoutValue) {
    // Of lines without a name in a row only the first is kept, as the Windows functions do.
    fs.Put(file, "[s]\n; a comment\nk1 = v1\nbare\n  k2=\"quoted\"  \n=nameless\n = dropped\n[t]\nx=y\n");
    EXPECT_EQ(store.GetSection(file, L" S "),
              (Pairs{{L"k1", L"v1"}, {L"bare", L""}, {L"k2", L"\"quoted\""}, {L"", L"nameless"}}));
    EXPECT_EQ(Get(L"s", L" "), L"nameless");
}

TEST_F(ProfileTest, CarriageReturnsAndLineFeedsEndLines) {
    fs.Put(file, "[a]\rk=1\r\nj=2\n\rm=3\r\r\nn=x\ry\r\n[b\r]\r\nz=1\r\n");
    EXPECT_EQ(store.GetSection(file, L"a"), (Pairs{{L"k", L"1"},
                                                   {L"j", L"2"},
                                                   {L"m", L"3"},
                                                   {L"n", L"x"},
                                                   {L"y", L""},
                                                   {L"[b", L""},
                                                   {L"]", L""},
                                                   {L"z", L"1"}}));
    EXPECT_EQ(store.GetSectionNames(file), std::vector<std::wstring>{L"a"});
    // Lines keep their own ends when one of them is rewritten.
    ASSERT_TRUE(store.WriteString(file, L"a", L"j", L"22"));
    EXPECT_EQ(Bytes(), "[a]\rk=1\r\nj=22\n\rm=3\r\r\nn=x\ry\r\n[b\r]\r\nz=1\r\n");
}

TEST_F(ProfileTest, ListingsAreCutToTheirBufferSize) {
    fs.Put(file, "[abc]\nk=12345\nkk=6\n[de]\n[fghij]\n");
    // "abc\0de\0fghij\0" and the closing zero take 14 characters.
    EXPECT_EQ(store.GetSectionNames(file, 14).size(), 3u);
    // One less: the name that would touch the closing zero is cut and ends the list.
    EXPECT_EQ(store.GetSectionNames(file, 13), (std::vector<std::wstring>{L"abc", L"de", L"fghi"}));
    EXPECT_EQ(store.GetSectionNames(file, 8), (std::vector<std::wstring>{L"abc", L"de"}));
    EXPECT_EQ(store.GetSectionNames(file, 7), (std::vector<std::wstring>{L"abc", L"d"}));
    EXPECT_EQ(store.GetSectionNames(file, 6), (std::vector<std::wstring>{L"abc"}));
    EXPECT_TRUE(store.GetSectionNames(file, 1).empty());

    // "k=12345\0kk=6\0" and the closing zero take 14 characters.
    EXPECT_EQ(store.GetSection(file, L"abc", 14), (Pairs{{L"k", L"12345"}, {L"kk", L"6"}}));
    EXPECT_EQ(store.GetSection(file, L"abc", 13), (Pairs{{L"k", L"12345"}, {L"kk", L""}}));
    EXPECT_EQ(store.GetSection(file, L"abc", 8), (Pairs{{L"k", L"1234"}}));
    EXPECT_TRUE(store.GetSection(file, L"abc", 2).empty());
}

TEST_F(ProfileTest, DecodesTheThreeEncodings) {
    fs.Put(L"/p/u16.ini", Utf16Le(L"[Strings]\r\n1600=\u041F\u0440\u0438\u0432\u0435\u0442\r\n"));
    fs.Put(L"/p/u8.ini", "\xEF\xBB\xBF[Strings]\r\n1600=Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC\r\n");
    fs.Put(L"/p/ansi.ini", "[Strings]\r\n1600=Gr\xFC\xDF\x65 \x80 \x81\x8D\r\n");
    EXPECT_EQ(store.GetString(L"/p/u16.ini", L"strings", L"1600"), L"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(store.GetString(L"/p/u8.ini", L"strings", L"1600"), L"Gr\u00FC\u00DFe \u20AC");
    // The bytes Windows-1252 leaves undefined come through as the control characters of that value.
    EXPECT_EQ(store.GetString(L"/p/ansi.ini", L"strings", L"1600"), L"Gr\u00FC\u00DFe \u20AC \u0081\u008D");
    // Without a byte-order mark UTF-8 is taken for Windows-1252, as the Windows functions do.
    fs.Put(L"/p/nobom.ini", "[s]\nk=\xC3\xBC\n");
    EXPECT_EQ(store.GetString(L"/p/nobom.ini", L"s", L"k"), L"\u00C3\u00BC");
}

TEST_F(ProfileTest, WritesKeepEveryOtherLineAsItWas) {
    const std::string original = "; Preset file\n"
                                 "\n"
                                 "[Settings]\n"
                                 "RC Layout Version = 3   ; old\n"
                                 "\n"
                                 "[Software]\r\n"
                                 "0=Windows (Standard)\r\n"
                                 "   1 = ---\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "[Last]\n"
                                 "x=1";
    fs.Put(file, original);
    ASSERT_TRUE(store.WriteString(file, L"settings", L"rc layout version", L"4"));
    std::string expected = original;
    expected.replace(expected.find("RC Layout Version = 3   ; old"), 29, "RC Layout Version=4");
    EXPECT_EQ(Bytes(), expected);

    // A new key goes after the section's last line that is not blank, with the file's own line ends
    // left alone and Windows line ends for the new line.
    ASSERT_TRUE(store.WriteString(file, L"SOFTWARE", L"2", L"  Media Player"));
    expected.replace(expected.find("   1 = ---\r\n") + 12, 0, "2=Media Player\r\n");
    EXPECT_EQ(Bytes(), expected);

    // The last line had no line end: it gets one before the new key.
    ASSERT_TRUE(store.WriteString(file, L"Last", L"y", L"2"));
    expected += "\r\ny=2\r\n";
    EXPECT_EQ(Bytes(), expected);

    ASSERT_TRUE(store.WriteString(file, L"New Set", L"Executable", L"app.exe"));
    expected += "\r\n[New Set]\r\nExecutable=app.exe\r\n";
    EXPECT_EQ(Bytes(), expected);

    ASSERT_TRUE(store.DeleteKey(file, L"software", L" 1 "));
    expected.erase(expected.find("   1 = ---\r\n"), 12);
    EXPECT_EQ(Bytes(), expected);

    // A section goes with everything up to the next header.
    ASSERT_TRUE(store.DeleteSection(file, L"settings"));
    expected.erase(expected.find("[Settings]"), expected.find("[Software]") - expected.find("[Settings]"));
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(Get(L"Software", L"2"), L"Media Player");
    EXPECT_EQ(Get(L"Settings", L"RC Layout Version"), L"<def>");
}

TEST_F(ProfileTest, WritesThatChangeNothingDoNotTouchTheFile) {
    fs.Put(file, "[s]\nk=v\n");
    int writes = fs.writes;
    EXPECT_TRUE(store.WriteString(file, L"S", L"K", L"v"));
    EXPECT_TRUE(store.DeleteKey(file, L"s", L"missing"));
    EXPECT_TRUE(store.DeleteKey(file, L"missing", L"k"));
    EXPECT_TRUE(store.DeleteSection(file, L"missing"));
    EXPECT_TRUE(store.DeleteKey(L"/p/none.ini", L"s", L"k"));
    EXPECT_TRUE(store.DeleteSection(L"/p/none.ini", L"s"));
    EXPECT_EQ(fs.writes, writes);
    EXPECT_FALSE(fs.files.count(L"/p/none.ini"));
}

TEST_F(ProfileTest, DeletingAKeyOrSectionUncoversTheNextOccurrence) {
    fs.Put(file, "[A]\nk=1\nk=2\n[B]\n[A]\nk=3\nm=4\n");
    ASSERT_TRUE(store.DeleteKey(file, L"A", L"k"));
    EXPECT_EQ(Get(L"A", L"k"), L"2");
    // The first section of the name without the key is passed over.
    ASSERT_TRUE(store.DeleteKey(file, L"a", L"m"));
    EXPECT_EQ(Bytes(), "[A]\nk=2\n[B]\n[A]\nk=3\n");
    ASSERT_TRUE(store.DeleteSection(file, L"a"));
    EXPECT_EQ(Get(L"A", L"k"), L"3");
    EXPECT_EQ(Bytes(), "[B]\n[A]\nk=3\n");
}

TEST_F(ProfileTest, NewFilesAreUtf16AndFilesKeepTheirEncoding) {
    ASSERT_TRUE(store.WriteString(L"/p/new.usr", L"Software", L"0", L"---"));
    EXPECT_EQ(fs.files[L"/p/new.usr"].bytes, Utf16Le(L"[Software]\r\n0=---\r\n"));

    fs.Put(L"/p/ansi.ini", "[s]\r\nk=1\r\n");
    ASSERT_TRUE(store.WriteString(L"/p/ansi.ini", L"s", L"k", L"\u00C4\u20AC"));
    EXPECT_EQ(fs.files[L"/p/ansi.ini"].bytes, "[s]\r\nk=\xC4\x80\r\n");

    fs.Put(L"/p/u8.ini", "\xEF\xBB\xBF[s]\r\nk=1\r\n");
    ASSERT_TRUE(store.WriteString(L"/p/u8.ini", L"s", L"k", L"\u00C4\u20AC"));
    EXPECT_EQ(fs.files[L"/p/u8.ini"].bytes, "\xEF\xBB\xBF[s]\r\nk=\xC3\x84\xE2\x82\xAC\r\n");

    fs.Put(L"/p/u16.ini", Utf16Le(L"[s]\r\nk=1\r\n"));
    ASSERT_TRUE(store.WriteString(L"/p/u16.ini", L"s", L"k", L"\u0416"));
    EXPECT_EQ(fs.files[L"/p/u16.ini"].bytes, Utf16Le(L"[s]\r\nk=\u0416\r\n"));

    // Big-endian files are rare but must not be damaged by a write.
    fs.Put(L"/p/be.ini", std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0\x31\0\n", 18));
    EXPECT_EQ(store.GetString(L"/p/be.ini", L"s", L"k"), L"1");
    ASSERT_TRUE(store.WriteString(L"/p/be.ini", L"s", L"k", L"2"));
    EXPECT_EQ(fs.files[L"/p/be.ini"].bytes, std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0\x32\0\n", 18));
}

TEST_F(ProfileTest, AnsiFileTakesUtf16RatherThanLoseText) {
    fs.Put(file, "; caf\xE9\r\n[s]\r\nk=\x80\r\n");
    ASSERT_TRUE(store.WriteString(file, L"s", L"name", L"\u041C\u0438\u0440"));
    EXPECT_EQ(Bytes(), Utf16Le(L"; caf\u00E9\r\n[s]\r\nk=\u20AC\r\nname=\u041C\u0438\u0440\r\n"));
    EXPECT_EQ(Get(L"s", L"name"), L"\u041C\u0438\u0440");
}

TEST_F(ProfileTest, FailedAndRefusedWritesLeaveTheFileAsItWas) {
    const std::string original = "[s]\nk=v\n";
    fs.Put(file, original);
    fs.files[file].readOnly = true;
    int writes = fs.writes;
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"new"));
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"v")); // even when nothing would change
    EXPECT_FALSE(store.DeleteKey(file, L"s", L"k"));
    EXPECT_FALSE(store.DeleteSection(file, L"s"));
    EXPECT_EQ(fs.writes, writes);
    EXPECT_EQ(Bytes(), original);

    fs.files[file].readOnly = false;
    fs.failWrites = true;
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"new"));
    EXPECT_EQ(Bytes(), original);
    EXPECT_EQ(Get(L"s", L"k"), L"v"); // the cache did not take the failed change
    fs.failWrites = false;

    // Text that would change the file's structure is refused.
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"line\r\n[evil]\r\nx=1"));
    EXPECT_FALSE(store.WriteString(file, L"s", L"a=b", L"v"));
    EXPECT_FALSE(store.WriteString(file, L"s", L"[x]", L"v"));
    EXPECT_FALSE(store.WriteString(file, L"s\nx", L"k", L"v"));
    EXPECT_FALSE(store.WriteString(file, L"  ", L"k", L"v"));
    EXPECT_FALSE(store.WriteString(file, L"s", L"", L"v"));
    EXPECT_EQ(Bytes(), original);

    // A file that exists but cannot be read is never overwritten.
    fs.folders.insert(L"/p/dir.ini");
    EXPECT_FALSE(store.WriteString(L"/p/dir.ini", L"s", L"k", L"v"));
}

TEST_F(ProfileTest, ParsesOnceAndAgainOnlyAfterAChange) {
    fs.Put(file, "[s]\nk=1\n");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Get(L"s", L"k"), L"1");
        store.GetSection(file, L"s");
        store.GetSectionNames(file);
    }
    EXPECT_EQ(fs.reads, 1);

    // Our own write is taken into the cache without reading the file again.
    ASSERT_TRUE(store.WriteString(file, L"s", L"k", L"2"));
    EXPECT_EQ(Get(L"s", L"k"), L"2");
    EXPECT_EQ(fs.reads, 1);

    // Another program changed the file.
    fs.Put(file, "[s]\nk=3\n");
    EXPECT_EQ(Get(L"s", L"k"), L"3");
    EXPECT_EQ(fs.reads, 2);

    store.Invalidate(file);
    EXPECT_EQ(Get(L"s", L"k"), L"3");
    EXPECT_EQ(fs.reads, 3);

    // A file that went away reads as missing, and one that comes back is read.
    fs.Remove(file);
    EXPECT_EQ(Get(L"s", L"k"), L"<def>");
    fs.Put(file, "[s]\nk=4\n");
    EXPECT_EQ(Get(L"s", L"k"), L"4");
}

TEST_F(ProfileTest, BadInputNeverCrashesNorHidesTheRest) {
    // Binary garbage with zeros, a header without its bracket and a key with a zero inside.
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    fs.Put(file, garbage + "\n[open\nk=not a section\n[ok]\nk" + std::string(1, '\0') + "x=zero\nz=1\n");
    EXPECT_EQ(Get(L"ok", L"k"), L"zero");
    EXPECT_EQ(Get(L"ok", L"z"), L"1");
    EXPECT_EQ(Get(L"open", L"k"), L"<def>");

    // A 100000-character line and thousands of sections.
    std::string big = "[long]\nk=" + std::string(100000, 'x') + "\n";
    for (int i = 0; i < 5000; ++i)
        big += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    fs.Put(file, big);
    EXPECT_EQ(Get(L"long", L"k").size(), 100000u);
    EXPECT_EQ(Get(L"s4999", L"k"), L"4999");
    auto names = store.GetSectionNames(file, 16384);
    size_t chars = 1;
    for (auto& n : names)
        chars += n.size() + 1;
    EXPECT_LE(chars, 16384u);
    EXPECT_GT(chars, 16384u - 8u);
    EXPECT_EQ(names[1], L"s0");
    ASSERT_TRUE(store.WriteString(file, L"s2500", L"k", L"changed"));
    EXPECT_EQ(Get(L"s2500", L"k"), L"changed");
    EXPECT_EQ(Get(L"long", L"k").size(), 100000u);

    // UTF-16 cut in the middle of a character, and broken UTF-8.
    std::string u16 = Utf16Le(L"[s]\r\nk=v\r\nlast=1");
    fs.Put(L"/p/cut.ini", u16 + "\x41");
    EXPECT_EQ(store.GetString(L"/p/cut.ini", L"s", L"last"), L"1");
    ASSERT_TRUE(store.WriteString(L"/p/cut.ini", L"s", L"k", L"w"));
    EXPECT_EQ(store.GetString(L"/p/cut.ini", L"s", L"last"), L"1");
    EXPECT_EQ(store.GetString(L"/p/cut.ini", L"s", L"k"), L"w");
    fs.Put(L"/p/bad8.ini", "\xEF\xBB\xBF[s]\nk=\xC3\n\xF0\x9F=\xFF\xFE\nm=\xE2\x82\n");
    EXPECT_EQ(store.GetString(L"/p/bad8.ini", L"s", L"k"), L"\uFFFD");
    EXPECT_EQ(store.GetString(L"/p/bad8.ini", L"s", L"m"), L"\uFFFD\uFFFD");
    // Lines of an unreadable UTF-8 file that are not written keep their bytes.
    ASSERT_TRUE(store.WriteString(L"/p/bad8.ini", L"s", L"k", L"ok"));
    EXPECT_EQ(fs.files[L"/p/bad8.ini"].bytes, "\xEF\xBB\xBF[s]\nk=ok\n\xF0\x9F=\xFF\xFE\nm=\xE2\x82\n");
}

TEST_F(ProfileTest, ReadersAndAWriterOnTwoThreads) {
    fs.Put(file, "[keys]\nk=0\n[other]\nx=1\n");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            std::wstring v = store.GetString(file, L"keys", L"k", L"missing");
            if (v == L"missing" || store.GetString(file, L"other", L"x") != L"1")
                ++bad;
            store.GetSectionNames(file);
        }
    });
    for (int i = 1; i <= 200; ++i)
        store.WriteString(file, L"keys", L"k", std::to_wstring(i));
    stop = true;
    reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(Get(L"keys", L"k"), L"200");
}

} // namespace
} // namespace lm
