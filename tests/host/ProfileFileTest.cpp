// The profile store on files in memory: the shared cases, the bytes a write leaves, edits, encodings and
// code pages, the cache, failures, damaged files and threads.
#include "support/ProfileFile.h"

#include "common/ProfileCases.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

using test::Utf16Le;

std::string Ansi(const std::wstring& text) {
    std::string out;
    NativeLocale().AnsiCodePage().Encode(text, out);
    return out;
}

class ProfileTest : public ::testing::Test {
protected:
    std::wstring Get(const std::wstring& section, const std::wstring& key) {
        return store.GetString(file, section, key, L"<def>");
    }
    const std::string& Bytes() { return fs.files[file].bytes; }

    test::FakeFileSystem fs;
    CProfileStore store{fs};
    const std::wstring file = L"/p/a.ini";
};

TEST_F(ProfileTest, SharedCasesInAnsiAndUtf16) {
    for (const test::ProfileCase& c : test::kProfileCases) {
        for (bool utf16 : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (utf16 ? " in UTF-16" : " in ANSI"));
            fs.Put(file, utf16 ? Utf16Le(c.text) : Ansi(c.text));
            for (const test::ProfileRead& r : c.reads)
                EXPECT_EQ(test::StoreAnswer(store, file, r), r.expected)
                    << (r.section ? ToUtf8(r.section) : "names");
            if (!c.reads.front().after)
                continue;
            for (const test::ProfileStep& s : test::kProfileSteps)
                EXPECT_TRUE(test::ApplyProfileStep(store, file, s)) << ToUtf8(s.section);
            for (const test::ProfileRead& r : c.reads)
                EXPECT_EQ(test::StoreAnswer(store, file, r), r.after)
                    << (r.section ? ToUtf8(r.section) : "names");
        }
    }
}

TEST_F(ProfileTest, WritesChangeOnlyTheirLines) {
    const std::string original = "; Preset file\n\n[Settings]\nRC Layout Version = 3   ; old\n\n"
                                 "[Software]\r\n0=Windows (Standard)\r\n   1 = ---\r\n\r\n\r\n[Last]\rx=1";
    fs.Put(file, original);
    std::string expected = original;
    auto expect = [&](bool written) {
        EXPECT_TRUE(written);
        EXPECT_EQ(Bytes(), expected);
    };
    // A rewritten line keeps its own line end; new lines get Windows line ends.
    expected.replace(expected.find("RC Layout Version = 3   ; old"), 29, "RC Layout Version=4");
    expect(store.WriteString(file, L"settings", L"rc layout version", L"4"));
    // A new key goes after the section's last line that is not blank.
    expected.insert(expected.find("   1 = ---\r\n") + 12, "2=Media Player\r\n");
    expect(store.WriteString(file, L"SOFTWARE", L"2", L"  Media Player"));
    // The last line had no line end: it gets one before the new key.
    expected += "\r\ny=2\r\n";
    expect(store.WriteString(file, L"Last", L"y", L"2"));
    expected += "\r\n[New Set]\r\nExecutable=app.exe\r\n";
    expect(store.WriteString(file, L"New Set", L"Executable", L"app.exe"));
    expected.erase(expected.find("   1 = ---\r\n"), 12);
    expect(store.DeleteKey(file, L"software", L" 1 "));
    // A section goes with everything up to the next header.
    expected.erase(expected.find("[Settings]"), expected.find("[Software]") - expected.find("[Settings]"));
    expect(store.DeleteSection(file, L"settings"));

    // Changes that change nothing write nothing.
    const int writes = fs.writes;
    EXPECT_TRUE(store.WriteString(file, L"software", L"2", L"Media Player"));
    EXPECT_TRUE(store.DeleteKey(file, L"software", L"missing"));
    EXPECT_TRUE(store.DeleteSection(file, L"missing"));
    EXPECT_TRUE(store.DeleteKey(L"/p/none.ini", L"s", L"k"));
    EXPECT_TRUE(store.DeleteSection(L"/p/none.ini", L"s"));
    EXPECT_EQ(fs.writes, writes);
    EXPECT_FALSE(fs.files.count(L"/p/none.ini"));
}

TEST_F(ProfileTest, AnEditStoresAllItsChangesWithOneWrite) {
    const std::string original = "[A]\nk=1\nk=2\n[B]\n[A]\nk=3\nm=4\n";
    fs.Put(file, original);
    CProfileEdit edit = store.Edit(file);
    EXPECT_TRUE(edit.Exists());
    std::wstring value;
    edit.DeleteKey(L"A", L"k"); // the key's next line comes to light
    ASSERT_TRUE(edit.GetString(L"a", L"K", value));
    EXPECT_EQ(value, L"2");
    edit.DeleteKey(L"a", L"m"); // the first [A] has none: the second one loses it
    edit.WriteString(L"B", L"new", L"\"quoted\"");
    edit.WriteString(L"C", L"x", L"1");
    edit.DeleteKey(L"C", L"x");
    edit.WriteString(L"C", L"y", L"2");
    EXPECT_EQ(edit.SectionNames(), (std::vector<std::wstring>{L"A", L"B", L"A", L"C"}));
    EXPECT_EQ(edit.Section(L" b "), (ProfilePairs{{L"new", L"\"quoted\""}}));
    EXPECT_EQ(Bytes(), original);
    const int writes = fs.writes;
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(fs.writes, writes + 1);
    EXPECT_EQ(Bytes(), "[A]\nk=2\n[B]\nnew=\"quoted\"\r\n[A]\nk=3\n\r\n[C]\r\ny=2\r\n");
    ASSERT_TRUE(store.DeleteSection(file, L"a"));
    EXPECT_EQ(Get(L"A", L"k"), L"3");

    // One refused change fails the edit; a file another program changed meanwhile is not overwritten.
    CProfileEdit refused = store.Edit(file);
    refused.WriteString(L"B", L"fine", L"1");
    EXPECT_FALSE(refused.WriteString(L"B", L"bad", L"two\nlines"));
    EXPECT_FALSE(refused.Commit());
    CProfileEdit late = store.Edit(file);
    late.WriteString(L"B", L"mine", L"1");
    fs.Put(file, "[B]\nother=program\n");
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(Bytes(), "[B]\nother=program\n");

    // A new file is UTF-16 and has every change.
    CProfileEdit fresh = store.Edit(L"/p/new.ini");
    EXPECT_FALSE(fresh.Exists());
    fresh.WriteString(L"Settings", L"v", L"4");
    fresh.WriteString(L"S", L"k", L"1");
    ASSERT_TRUE(fresh.Commit());
    EXPECT_EQ(fs.files[L"/p/new.ini"].bytes, Utf16Le(L"[Settings]\r\nv=4\r\n\r\n[S]\r\nk=1\r\n"));
}

TEST_F(ProfileTest, EncodingsAreReadAndKept) {
    fs.Put(L"/p/u16.ini", Utf16Le(L"[s]\r\nk=\u041F\u0440\u0438\r\n"));
    fs.Put(L"/p/u8.ini", "\xEF\xBB\xBF[s]\r\nk=Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC\r\n");
    fs.Put(L"/p/ansi.ini", "[s]\r\nk=Gr\xFC\xDF\x65 \x80 \x81\x8D\r\n");
    fs.Put(L"/p/be.ini", std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0\x31\0\n", 18));
    fs.Put(L"/p/nobom.ini", "[s]\nk=\xC3\xBC\n");
    EXPECT_EQ(store.GetString(L"/p/u16.ini", L"s", L"k"), L"\u041F\u0440\u0438");
    EXPECT_EQ(store.GetString(L"/p/u8.ini", L"s", L"k"), L"Gr\u00FC\u00DFe \u20AC");
    // The bytes Windows-1252 leaves undefined come through as the control characters of that value.
    EXPECT_EQ(store.GetString(L"/p/ansi.ini", L"s", L"k"), L"Gr\u00FC\u00DFe \u20AC \u0081\u008D");
    EXPECT_EQ(store.GetString(L"/p/be.ini", L"s", L"k"), L"1");
    // Without a byte-order mark UTF-8 is taken for the ANSI code page, as the Windows functions do.
    EXPECT_EQ(store.GetString(L"/p/nobom.ini", L"s", L"k"), L"\u00C3\u00BC");

    ASSERT_TRUE(store.WriteString(L"/p/u16.ini", L"s", L"k", L"\u0416"));
    EXPECT_EQ(fs.files[L"/p/u16.ini"].bytes, Utf16Le(L"[s]\r\nk=\u0416\r\n"));
    ASSERT_TRUE(store.WriteString(L"/p/u8.ini", L"s", L"k", L"\u00C4\u20AC"));
    EXPECT_EQ(fs.files[L"/p/u8.ini"].bytes, "\xEF\xBB\xBF[s]\r\nk=\xC3\x84\xE2\x82\xAC\r\n");
    ASSERT_TRUE(store.WriteString(L"/p/ansi.ini", L"s", L"k", L"\u00C4\u20AC"));
    EXPECT_EQ(fs.files[L"/p/ansi.ini"].bytes, "[s]\r\nk=\xC4\x80\r\n");
    ASSERT_TRUE(store.WriteString(L"/p/be.ini", L"s", L"k", L"2"));
    EXPECT_EQ(fs.files[L"/p/be.ini"].bytes, std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0\x32\0\n", 18));
}

// Files without a byte-order mark are in the system's ANSI code page: text of the code page stays in it,
// text it lacks turns the file into UTF-16 with the old text intact.
TEST(ProfileCodePageTest, FilesWithoutAMarkAreInTheAnsiCodePage) {
    const struct {
        uint32_t number;
        std::wstring has, lacks;
    } pages[] = {{1251, L"\u041F\u0440\u0438\u0432\u0435\u0442", L"\u00E9"},
                 {1250, L"\u017B\u00F3\u0142\u0107 \u0161\u010D", L"\u0416"},
                 {932, L"\u65E5\u672C\u8A9E\u30C6\u30B9\u30C8", L"\u00E9"}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.number);
        test::IconvCodePage codePage(page.number);
        test::FakeFileSystem fs;
        CProfileStore store(fs, codePage);
        const std::wstring file = L"/p/a.usr", text = L"[" + page.has + L"]\r\nk=" + page.has + L"\r\n";
        std::string bytes;
        ASSERT_TRUE(codePage.Encode(text, bytes));
        fs.Put(file, bytes);
        EXPECT_EQ(store.GetString(file, page.has, L"k"), page.has);
        ASSERT_TRUE(store.WriteString(file, page.has, L"n", page.has + L"2"));
        ASSERT_TRUE(codePage.Encode(L"n=" + page.has + L"2\r\n", bytes));
        EXPECT_EQ(fs.files[file].bytes, bytes);
        ASSERT_TRUE(store.WriteString(file, page.has, L"x", page.lacks));
        EXPECT_EQ(fs.files[file].bytes, Utf16Le(text + L"n=" + page.has + L"2\r\nx=" + page.lacks + L"\r\n"));
    }
}

TEST_F(ProfileTest, FilesAreParsedOnceAndLookedAtOncePerScope) {
    fs.Put(file, "[s]\nk=1\n");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get(L"s", L"k"), L"1");
        store.GetSection(file, L"s");
    }
    EXPECT_EQ(fs.reads, 1);
    ASSERT_TRUE(store.WriteString(file, L"s", L"k", L"2"));
    EXPECT_EQ(Get(L"s", L"k"), L"2"); // taken into the cache without reading the file again
    EXPECT_EQ(fs.reads, 1);
    {
        CProfileScope scope(store);
        CProfileScope nested(store);
        const int looks = fs.looks;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(Get(L"s", L"k"), L"2");
            EXPECT_TRUE(store.SectionExists(file, L" S "));
        }
        EXPECT_EQ(fs.looks, looks + 1);
        ASSERT_TRUE(store.WriteString(file, L"s", L"k", L"3"));
        EXPECT_EQ(Get(L"s", L"k"), L"3");
    }
    // Another program changed the file: the next operation sees it.
    fs.Put(file, "[s]\nk=4\n");
    EXPECT_EQ(Get(L"s", L"k"), L"4");
    store.Invalidate(file);
    EXPECT_EQ(Get(L"s", L"k"), L"4");
    EXPECT_EQ(fs.reads, 3);
    fs.Remove(file);
    EXPECT_EQ(Get(L"s", L"k"), L"<def>");
    EXPECT_FALSE(store.SectionExists(file, L"s"));
    fs.Put(file, "[s]\nk=5\n");
    EXPECT_EQ(Get(L"s", L"k"), L"5");
}

TEST_F(ProfileTest, FailedAndRefusedWritesLeaveTheFileAsItWas) {
    const std::string original = "[s]\nk=v\n";
    fs.Put(file, original);
    fs.files[file].readOnly = true;
    const int writes = fs.writes;
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"new"));
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"v")); // even when nothing would change
    EXPECT_FALSE(store.DeleteKey(file, L"s", L"k"));
    EXPECT_FALSE(store.DeleteSection(file, L"s"));
    EXPECT_EQ(fs.writes, writes);

    fs.files[file].readOnly = false;
    fs.failWrites = true;
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"new"));
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

TEST_F(ProfileTest, DamagedFilesNeitherCrashNorHideTheRest) {
    // Binary garbage with zeros, a header without its bracket and a key with a zero inside.
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    fs.Put(file, garbage + "\n[open\nk=not a section\n[ok]\nk" + std::string(1, '\0') + "x=zero\nz=1\n" +
                     "b=a; " + std::string(1, '\0') + "tail\n");
    EXPECT_EQ(Get(L"ok", L"k"), L"zero");
    EXPECT_EQ(Get(L"ok", L"z"), L"1");
    EXPECT_EQ(Get(L"ok", L"b"), L"a;"); // a zero ends the value; the blank before it goes too
    EXPECT_EQ(Get(L"open", L"k"), L"<def>");

    std::string big = "[long]\nk=" + std::string(100000, 'x') + "\n";
    for (int i = 0; i < 5000; ++i)
        big += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    fs.Put(file, big);
    ASSERT_TRUE(store.WriteString(file, L"s2500", L"k", L"changed"));
    EXPECT_EQ(Get(L"s2500", L"k"), L"changed");
    EXPECT_EQ(Get(L"s4999", L"k"), L"4999");
    EXPECT_EQ(Get(L"long", L"k").size(), 100000u);

    // UTF-16 cut in the middle of a character, and broken UTF-8 whose other lines keep their bytes.
    fs.Put(L"/p/cut.ini", Utf16Le(L"[s]\r\nk=v\r\nlast=1") + "\x41");
    ASSERT_TRUE(store.WriteString(L"/p/cut.ini", L"s", L"k", L"w"));
    EXPECT_EQ(store.GetString(L"/p/cut.ini", L"s", L"last"), L"1");
    fs.Put(L"/p/bad8.ini", "\xEF\xBB\xBF[s]\nk=\xC3\n\xF0\x9F=\xFF\xFE\nm=\xE2\x82\n");
    EXPECT_EQ(store.GetString(L"/p/bad8.ini", L"s", L"m"), L"\uFFFD\uFFFD");
    ASSERT_TRUE(store.WriteString(L"/p/bad8.ini", L"s", L"k", L"ok"));
    EXPECT_EQ(fs.files[L"/p/bad8.ini"].bytes, "\xEF\xBB\xBF[s]\nk=ok\n\xF0\x9F=\xFF\xFE\nm=\xE2\x82\n");
}

TEST_F(ProfileTest, ReadersAndAWriterOnTwoThreads) {
    fs.Put(file, "[keys]\nk=0\n[other]\nx=1\n");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            CProfileScope scope(store);
            if (store.GetString(file, L"keys", L"k", L"missing") == L"missing" ||
                store.GetString(file, L"other", L"x") != L"1")
                ++bad;
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
