#include "fakes/FakeStrings.h"
#include "cmdset/KeyNames.h"

#include "Golden.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeStringTables.h"
#include "fakes/FakeProcess.h"
#include "support/LMLocalize.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

// Display words of a German user interface; what it lacks is taken in English.
const std::map<uint32_t, std::wstring> kGerman = {
    {1, L"&O&K"},
    {56052, L"Programm"},
    {56150, L"Lautstärke"},
    {54276, L"Rot"},
    {54402, L"Zeitschaltuhr"},
    {53313, L"Blau"},
    {4452, std::wstring(300, L'E')},
};

CKeyNames::SourceFactory Sources(std::map<uint32_t, std::wstring> english,
                                 std::map<uint32_t, std::wstring> display) {
    return [=](bool isEnglish) { return std::make_unique<test::FakeStrings>(isEnglish ? english : display); };
}

// The notes by octave, then the remote keys that exist, by twenty key IDs, with their English and their
// German display names; the English words are the built-in ones, as the source has none.
TEST(KeyNamesTest, NamesMatchTheGoldenFile) {
    std::vector<bool> asked;
    CKeyNames names([&](bool english) {
        asked.push_back(english);
        return Sources({}, kGerman)(english);
    });
    std::vector<std::wstring> lines;
    for (int32_t key = 0; key < 128; key += 12) {
        std::wstring line = FormatBounded(16, L"notes %d:", key);
        for (int32_t note = key; note < std::min(key + 12, 128); ++note)
            line += L" " + std::wstring(names.EnglishName(note));
        lines.push_back(line);
    }
    for (int32_t group = 120; group < RCKEY_COUNT; group += 20) {
        std::wstring english = FormatBounded(32, L"english %d..%d:", group, group + 19);
        std::wstring display = FormatBounded(32, L"display %d..%d:", group, group + 19);
        for (int32_t key = std::max(group, 128); key < group + 20; ++key)
            if (names.KeyExists(key)) {
                english += FormatBounded(160, L" %d %ls;", key, names.EnglishName(key));
                display += FormatBounded(160, L" %d %ls;", key, names.DisplayName(key));
            }
        lines.push_back(english);
        lines.push_back(display);
    }
    EXPECT_TRUE(test::MatchesGolden("key-names", lines));
    EXPECT_EQ(asked, (std::vector<bool>{false, true})); // display first, then English, once
}

TEST(KeyNamesTest, KeysOutsideTheTableHaveNoNameAndNamesFindTheirKey) {
    CKeyNames names(Sources({}, {}));
    for (int32_t key : {-1, 128, 139, int32_t{RCKEY_COUNT}}) {
        EXPECT_STREQ(names.EnglishName(key), L"") << key;
        EXPECT_STREQ(names.DisplayName(key), L"") << key;
    }
    EXPECT_EQ(names.FindByEnglishName(L"Blue/Angle"), RCKEY_BLUE_ANGLE);
    EXPECT_EQ(names.FindByEnglishName(L"OK"), RCKEY_OK); // the first of the two
    EXPECT_EQ(names.FindByEnglishName(L"C5"), 60);
    EXPECT_EQ(names.FindByEnglishName(L""), RCKEY_NONE);
    EXPECT_EQ(names.FindByEnglishName(L"Nothing"), RCKEY_NONE);
    // Without any source both tables come from the built-in British English words.
    CKeyNames builtIn([](bool) { return std::unique_ptr<IStringSource>(); });
    for (int32_t key = 0; key < RCKEY_COUNT; ++key)
        EXPECT_STREQ(builtIn.DisplayName(key), names.EnglishName(key)) << key;
}

TEST(KeyNamesTest, TablesAreFilledOnceEvenWhenManyThreadsAskFirst) {
    std::atomic<int> made{0};
    std::atomic<bool> go{false};
    CKeyNames names([&](bool english) -> std::unique_ptr<IStringSource> {
        ++made;
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // widen the window for a second filler
        return Sources({}, kGerman)(english);
    });
    std::vector<std::thread> threads;
    std::vector<std::wstring> seen(8);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = i % 2 ? names.DisplayName(RCKEY_9) : names.EnglishName(RCKEY_9);
        });
    go = true;
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(made.load(), 2);
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], i % 2 ? L"Programm 9" : L"Programme 9");
    // Asking again does not refill, and the sources can no longer be changed.
    EXPECT_TRUE(names.Filled());
    EXPECT_FALSE(names.SetSourceFactory(Sources({}, {})));
    EXPECT_STREQ(names.DisplayName(RCKEY_9), L"Programm 9");
    EXPECT_EQ(made.load(), 2);
}

TEST(KeyNamesTest, FillingTracesItsScopeAndEveryRemoteKeyName) {
    test::FakeClock clock;
    KeyNameTable table;
    test::FakeStrings words;
    test::TraceCapture trace(clock, kTraceDetail);
    InitKeynames(true, words, table);
    EXPECT_EQ(trace.Count(L"\\ CCmdSetAdmin::InitKeynames(1)"), 1u);
    EXPECT_EQ(trace.Count(L"/ CCmdSetAdmin::InitKeynames()"), 1u);
    EXPECT_EQ(trace.Count(L"Keyname "), 325u - 128u);
    EXPECT_TRUE(trace.Has(L"Keyname 140: Power\n"));
    EXPECT_TRUE(trace.Has(L"Keyname 128: \n"));
    EXPECT_TRUE(trace.Has(L"Keyname 324: Blue/Angle\n"));
}

// The program's sources: a user's English.lng changes no English name, German.lng the display names. The
// shipped British English table gives the same English names as the built-in words.
TEST(KeyNamesTest, ProgramSourcesKeepEnglishNamesFromTheBuiltInTable) {
    test::FakeFileSystem fs;
    CProfileStore profiles(fs);
    test::FakeStringTables tables;
    test::FakeLocale locale;
    CKeyNames reference(Sources({}, {}));
    tables.tables[2057][56052] = L"Programme";
    tables.tables[1031][56052] = L"Programm";
    fs.Put(PathJoin(L"/prog", L"English.lng"), "[Strings]\r\n56052=Channel\r\n54276=Crimson\r\n");
    fs.Put(PathJoin(L"/prog", L"German.lng"),
           "\xEF\xBB\xBF[Strings]\r\n54276=Rot\r\n56150=Lautst\xC3\xA4rke\r\n");
    tagLOCALIZESERVICES services{tables, profiles, locale, nullptr, L"/prog"};
    CLMLocalize ui(services, tagLOCALIZEOPTIONS::LookupOnly(1031, kLookupFileFirst));
    CKeyNames names(KeyNameSourcesFor(services, ui)), shipped;
    for (int32_t key = 0; key < RCKEY_COUNT; ++key) {
        EXPECT_STREQ(names.EnglishName(key), reference.EnglishName(key)) << key;
        EXPECT_STREQ(shipped.EnglishName(key), reference.EnglishName(key)) << key;
    }
    EXPECT_STREQ(names.DisplayName(RCKEY_RED), L"Rot");      // German.lng
    EXPECT_STREQ(names.DisplayName(RCKEY_3), L"Programm 3"); // German table
    EXPECT_STREQ(names.DisplayName(RCKEY_VOL_UP), L"Lautstärke +");
    EXPECT_STREQ(names.DisplayName(RCKEY_GREEN), L"Green"); // not localised
}

} // namespace
} // namespace lm
