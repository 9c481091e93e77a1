#include "fakes/FakeStrings.h"
#include "cmdset/KeyNames.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeStringTables.h"
#include "support/LMDebug.h"
#include "support/LMLocalize.h"
#include "base/Text.h"
#include "support/StringTables.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace lm {
namespace {

const std::map<uint32_t, std::wstring> kEnglish = {
    {1, L"&OK"},          {4452, L"Power"},      {4500, L"FREW"},
    {4501, L"FFRWD"},     {53312, L"Back"},      {53313, L"Blue"},
    {53441, L"Delete"},   {53454, L"Down"},      {53579, L"Full screen"},
    {53633, L"Green"},    {53889, L"Left"},      {53953, L"Menu"},
    {54019, L"Next"},     {54149, L"Pause"},     {54151, L"Play"},
    {54159, L"Previous"}, {54274, L"Recording"}, {54276, L"Red"},
    {54287, L"Right"},    {54359, L"Stop"},      {54402, L"Timer"},
    {54467, L"Up"},       {54720, L"Yellow"},    {55810, L"Audio"},
    {56020, L"Mute"},     {56052, L"Programme"}, {56106, L"Still image"},
    {56115, L"Teletext"}, {56144, L"Video"},     {56150, L"Volume"},
};

// The names of every remote key (128..324) that exists.
const std::map<int32_t, std::wstring> kEnglishNames = {
    {140, L"Power"},
    {141, L"Full screen"},
    {142, L"Timer"},
    {143, L"Mosaic"},
    {144, L"Still image"},
    {160, L"Menu"},
    {161, L"Teletext"},
    {162, L"EPG"},
    {163, L"Program information"},
    {180, L"Up"},
    {181, L"Down"},
    {182, L"Left"},
    {183, L"Right"},
    {184, L"OK"},
    {185, L"Back"},
    {186, L"OK"},
    {187, L"Back"},
    {188, L"Delete"},
    {200, L"Programme 0"},
    {201, L"Programme 1"},
    {202, L"Programme 2"},
    {203, L"Programme 3"},
    {204, L"Programme 4"},
    {205, L"Programme 5"},
    {206, L"Programme 6"},
    {207, L"Programme 7"},
    {208, L"Programme 8"},
    {209, L"Programme 9"},
    {210, L"-/--"},
    {220, L"Programme -"},
    {221, L"Programme +"},
    {222, L"Last channel"},
    {223, L"AV"},
    {240, L"Volume -"},
    {241, L"Volume +"},
    {242, L"Mute"},
    {243, L"Audio"},
    {260, L"Play"},
    {261, L"Stop"},
    {262, L"Pause"},
    {263, L"Recording"},
    {264, L"FREW"},
    {265, L"FFRWD"},
    {266, L"Previous"},
    {267, L"Next"},
    {268, L"Previous/FREW"},
    {269, L"Next/FFRWD"},
    {280, L"Red"},
    {281, L"Green"},
    {282, L"Yellow"},
    {283, L"Blue"},
    {301, L"DVD Menu"},
    {302, L"Subtitles"},
    {303, L"TV"},
    {304, L"DVD"},
    {305, L"Video"},
    {306, L"Music"},
    {307, L"Picture"},
    {308, L"Angle"},
    {320, L"Red/Timer"},
    {321, L"Green/Full screen"},
    {322, L"Yellow/Audio"},
    {323, L"Blue/Mosaic"},
    {324, L"Blue/Angle"},
};

void ExpectEnglishNames(CKeyNames& names) {
    for (int32_t key = 128; key < RCKEY_COUNT; ++key) {
        auto it = kEnglishNames.find(key);
        EXPECT_EQ(std::wstring(names.EnglishName(key)), it == kEnglishNames.end() ? L"" : it->second) << key;
        EXPECT_EQ(names.KeyExists(key), it != kEnglishNames.end()) << key;
    }
}

TEST(KeyNamesTest, NotesAreNamedByPitchAndOctave) {
    KeyNameTable table;
    test::FakeStrings words(kEnglish);
    InitKeynames(true, words, table);
    EXPECT_STREQ(table[0].data(), L"C0");
    EXPECT_STREQ(table[1].data(), L"C#0");
    EXPECT_STREQ(table[11].data(), L"B0");
    EXPECT_STREQ(table[12].data(), L"C1");
    EXPECT_STREQ(table[RCKEY_NOTE_C5].data(), L"C5");
    EXPECT_STREQ(table[70].data(), L"A#5");
    EXPECT_STREQ(table[127].data(), L"G10");
    for (int key = 128; key < 140; ++key)
        EXPECT_EQ(table[static_cast<size_t>(key)][0], 0) << key;
}

TEST(KeyNamesTest, EnglishNamesAreTheVocabularyAndFixedWordsAndGapsStayEmpty) {
    CKeyNames names([](bool) { return std::make_unique<test::FakeStrings>(kEnglish); });
    ExpectEnglishNames(names);
    EXPECT_STREQ(names.EnglishName(-1), L"");
    EXPECT_STREQ(names.EnglishName(RCKEY_COUNT), L"");
    EXPECT_FALSE(names.KeyExists(128));
    EXPECT_EQ(names.FindByEnglishName(L"Blue/Angle"), RCKEY_BLUE_ANGLE);
    EXPECT_EQ(names.FindByEnglishName(L"OK"), RCKEY_OK); // the first of the two
    EXPECT_EQ(names.FindByEnglishName(L"C5"), 60);
    EXPECT_EQ(names.FindByEnglishName(L""), RCKEY_NONE);
    EXPECT_EQ(names.FindByEnglishName(L"Nothing"), RCKEY_NONE);
}

TEST(KeyNamesTest, EnglishStaysEnglishWhileTheDisplayLanguageIsGerman) {
    std::map<uint32_t, std::wstring> german = {
        {1, L"&O&K"},
        {56052, L"Programm"},
        {56150, L"Lautstärke"},
        {54276, L"Rot"},
        {54402, L"Zeitschaltuhr"},
        {53313, L"Blau"},
        {4452, std::wstring(300, L'E')},
    };
    std::vector<bool> asked;
    CKeyNames names([&](bool english) -> std::unique_ptr<IStringSource> {
        asked.push_back(english);
        return std::make_unique<test::FakeStrings>(english ? kEnglish : german);
    });
    EXPECT_STREQ(names.DisplayName(RCKEY_0), L"Programm 0");
    EXPECT_EQ(asked, (std::vector<bool>{false, true})); // display first, then English
    EXPECT_STREQ(names.EnglishName(RCKEY_0), L"Programme 0");
    EXPECT_STREQ(names.DisplayName(RCKEY_OK), L"OK"); // every "&" removed
    EXPECT_STREQ(names.DisplayName(RCKEY_OK2), L"OK");
    EXPECT_STREQ(names.DisplayName(RCKEY_VOL_UP), L"Lautstärke +");
    EXPECT_STREQ(names.DisplayName(RCKEY_RED_TIMER), L"Rot/Zeitschaltuhr");
    EXPECT_STREQ(names.DisplayName(RCKEY_BLUE_MOSAIC), L"Blau/Mosaic");
    EXPECT_STREQ(names.DisplayName(RCKEY_EPG), L"EPG");
    // A word the language lacks is shown in English; a long one is cut to 127 characters.
    EXPECT_STREQ(names.DisplayName(RCKEY_PLAY), L"Play");
    EXPECT_EQ(std::wstring(names.DisplayName(RCKEY_POWER)), std::wstring(127, L'E'));
    ExpectEnglishNames(names);
}

TEST(KeyNamesTest, WordsMissingFromTheSourceKeepEveryKeyAndItsName) {
    CKeyNames names([](bool) { return std::make_unique<test::FakeStrings>(std::map<uint32_t, std::wstring>{}); });
    ExpectEnglishNames(names);
    CKeyNames nothing(
        [](bool) { return std::unique_ptr<IStringSource>(); }); // falls back to the built-in table
    EXPECT_STREQ(nothing.EnglishName(RCKEY_OK), L"OK");
    EXPECT_STREQ(nothing.EnglishName(RCKEY_PREV_FREW), L"Previous/FREW");
}

TEST(KeyNamesTest, TablesAreFilledOnceEvenWhenManyThreadsAskFirst) {
    std::atomic<int> made{0};
    std::atomic<bool> go{false};
    CKeyNames names([&](bool english) -> std::unique_ptr<IStringSource> {
        ++made;
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // widen the window for a second filler
        std::map<uint32_t, std::wstring> words = kEnglish;
        if (!english)
            words[56052] = L"Programm";
        return std::make_unique<test::FakeStrings>(words);
    });
    std::vector<std::thread> threads;
    std::vector<std::wstring> seen(8);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = std::wstring(i % 2 ? names.DisplayName(RCKEY_9) : names.EnglishName(RCKEY_9));
        });
    go = true;
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(made.load(), 2);
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], i % 2 ? L"Programm 9" : L"Programme 9");
    EXPECT_TRUE(names.Filled());
    // Asking again does not refill, and the sources can no longer be changed.
    EXPECT_STREQ(names.DisplayName(RCKEY_9), L"Programm 9");
    EXPECT_FALSE(names.SetSourceFactory([](bool) { return std::make_unique<test::FakeStrings>(kEnglish); }));
    EXPECT_EQ(made.load(), 2);
}

TEST(KeyNamesTest, FillingTracesItsScopeAndEveryRemoteKeyName) {
    test::FakeProcess proc;
    test::FakeClock clock;
    TraceSetPlatform(&proc, &clock);
    proc.tid = 9;
    TraceInitEx(kTraceDetail);
    proc.debugger.clear();
    KeyNameTable table;
    test::FakeStrings words(kEnglish);
    InitKeynames(true, words, table);
    TraceTerminateThread(9, true);
    TraceSetPlatform(nullptr, nullptr);

    auto count = [&](const std::wstring& text) {
        int n = 0;
        for (const std::wstring& line : proc.debugger)
            n += line.find(text) != std::wstring::npos;
        return n;
    };
    EXPECT_EQ(count(L"\\ CCmdSetAdmin::InitKeynames(1)"), 1);
    EXPECT_EQ(count(L"/ CCmdSetAdmin::InitKeynames()"), 1);
    EXPECT_EQ(count(L"Keyname "), 325 - 128);
    EXPECT_EQ(count(L"Keyname 140: Power\n"), 1);
    EXPECT_EQ(count(L"Keyname 128: \n"), 1);
    EXPECT_EQ(count(L"Keyname 324: Blue/Angle\n"), 1);
    EXPECT_EQ(count(L"Keyname 127"), 0);
}

// The program's sources: a user's English.lng changes no English name, German.lng the display names.
TEST(KeyNamesTest, ProgramSourcesKeepEnglishNamesFromTheBuiltInTable) {
    test::FakeFileSystem fs;
    CProfileStore profiles(fs);
    test::FakeStringTables tables;
    test::FakeLocale locale;
    for (const auto& [id, word] : kEnglish)
        tables.tables[2057][id] = word;
    tables.tables[1031][56052] = L"Programm";
    fs.Put(PathJoin(L"/prog", L"English.lng"), "[Strings]\r\n56052=Channel\r\n54276=Crimson\r\n");
    fs.Put(PathJoin(L"/prog", L"German.lng"),
           "\xEF\xBB\xBF[Strings]\r\n54276=Rot\r\n56150=Lautst\xC3\xA4rke\r\n");
    LocalizeServices services{tables, profiles, locale, nullptr, L"/prog"};
    CLMLocalize ui(services, LocalizeOptions::LookupOnly(1031, kLookupFileFirst));
    CKeyNames names(KeyNameSourcesFor(services, ui));
    ExpectEnglishNames(names);
    EXPECT_STREQ(names.DisplayName(RCKEY_RED), L"Rot");      // German.lng
    EXPECT_STREQ(names.DisplayName(RCKEY_3), L"Programm 3"); // German table
    EXPECT_STREQ(names.DisplayName(RCKEY_VOL_UP), L"Lautstärke +");
    EXPECT_STREQ(names.DisplayName(RCKEY_GREEN), L"Green"); // British table, not localised
    EXPECT_TRUE(locale.runtimeCalls.empty());               // the fill leaves the locales alone
}

// The shipped British English table gives the English names (skipped until it is built in).
TEST(KeyNamesTest, TheBuiltInBritishTableGivesTheExpectedEnglishNames) {
    if (BuiltInStringTables().Ids(2057).empty())
        GTEST_SKIP() << "no British English table in this build";
    CKeyNames names;
    ExpectEnglishNames(names);
    for (const auto& [id, english] : kEnglish) {
        auto found = BuiltInStringTables().Find(2057, id);
        EXPECT_TRUE(found && *found == english) << "string " << id;
    }
}

} // namespace
} // namespace lm
