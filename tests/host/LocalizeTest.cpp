#include "support/LMLocalize.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStringTables.h"
#include "support/LMDebug.h"
#include "support/LanguageFile.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <random>

namespace lm {
namespace {

const std::wstring kFolder = L"/prog";

std::wstring InFolder(const std::wstring& file) {
    return PathJoin(kFolder, file);
}

// A language file in UTF-8 with a byte-order mark.
std::string Lng(const std::wstring& body) {
    return "\xEF\xBB\xBF" + ToUtf8(L"[Strings]\r\n" + body);
}

class LocalizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TraceSetPlatform(&proc, &clock);
        proc.tid = 7;
        TraceInitEx(kTraceWrn);
        proc.debugger.clear();
    }
    void TearDown() override {
        proc.tid = 7;
        TraceTerminateThread(7, true);
        TraceSetPlatform(nullptr, nullptr);
    }

    LocalizeServices Services() { return LocalizeServices{tables, profiles, locale, &registry, kFolder}; }
    std::unique_ptr<CLMLocalize> Make(uint16_t lang, int mode = kLookupFileFirst) {
        LocalizeOptions options;
        options.language = lang;
        options.mode = mode;
        return std::make_unique<CLMLocalize>(Services(), options);
    }
    std::wstring Load(CLMLocalize& loc, uint32_t id) {
        std::wstring text = L"<none>";
        loc.LoadText(id, text);
        return text;
    }
    std::vector<std::wstring> Warnings() {
        std::vector<std::wstring> out;
        for (const std::wstring& line : proc.debugger)
            if (line.find(L"LMLOC: ") != std::wstring::npos)
                out.push_back(line.substr(line.find(L"LMLOC: ")));
        return out;
    }

    test::FakeProcess proc;
    test::FakeClock clock;
    test::FakeFileSystem fs;
    CProfileStore profiles{fs};
    test::FakeStringTables tables;
    test::FakeLocale locale;
    test::FakeRegistry registry;
};

// Every source of string 1600 in German and English; the test takes them away one at a time and
// expects the next in the mode's order, with a warning whenever a fallback step found the text.
TEST_F(LocalizeTest, EachModeTriesCurrentThenFallbackStepsInItsOrder) {
    struct Source {
        const wchar_t* text;
        bool fallback;
    };
    const std::vector<std::vector<Source>> orders = {
        {{L"file de", false}, {L"file en", true}},
        {{L"table de", false}, {L"table en", true}},
        {{L"file de", false}, {L"table de", false}, {L"file en", true}, {L"table en", true}},
        {{L"table de", false}, {L"file de", false}, {L"table en", true}, {L"file en", true}},
    };
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        fs.Put(InFolder(L"German.lng"), Lng(L"1600=file de\r\n"));
        fs.Put(InFolder(L"English.lng"), Lng(L"1600=file en\r\n"));
        tables.tables[1031][1600] = L"table de";
        tables.tables[2057][1600] = L"table en";
        for (const Source& expected : orders[static_cast<size_t>(mode)]) {
            proc.debugger.clear();
            auto loc = Make(1031, mode);
            EXPECT_EQ(Load(*loc, 1600), expected.text);
            std::vector<std::wstring> warnings = Warnings();
            if (expected.fallback)
                EXPECT_EQ(warnings, std::vector<std::wstring>{L"LMLOC: German string NOT LOCALIZED: '" +
                                                              std::wstring(expected.text) + L"'\n"});
            else
                EXPECT_TRUE(warnings.empty());
            // Take this source away: a missing file is skipped silently.
            std::wstring text = expected.text;
            if (text == L"file de")
                fs.files.erase(InFolder(L"German.lng"));
            else if (text == L"file en")
                fs.Put(InFolder(L"English.lng"), Lng(L"1601=other\r\n"));
            else if (text == L"table de")
                tables.tables[1031].erase(1600);
            else
                tables.tables[2057].erase(1600);
        }
        auto loc = Make(1031, mode);
        std::wstring untouched = L"untouched";
        EXPECT_FALSE(loc->LoadText(1600, untouched));
        EXPECT_EQ(untouched, L"untouched");
        fs.files.clear();
        tables.tables.clear();
    }
}

TEST_F(LocalizeTest, StringTableStepsWalkTheEnglishAndDefaultTables) {
    // British English as current language also finds American English in its current step.
    tables.tables[1033][10] = L"us";
    auto british = Make(2057, kLookupTablesOnly);
    proc.debugger.clear();
    EXPECT_EQ(Load(*british, 10), L"us");
    EXPECT_TRUE(Warnings().empty());

    // The fallback chain: current, 2057, 1033, 0, 1024, 2048, 1031.
    tables.tables[1031][20] = L"german";
    tables.tables[2048][20] = L"system";
    tables.tables[0][21] = L"neutral";
    tables.tables[1031][21] = L"german";
    auto french = Make(1036, kLookupTablesOnly);
    EXPECT_EQ(Load(*french, 20), L"system");
    EXPECT_EQ(Load(*french, 21), L"neutral");
    EXPECT_EQ(Load(*french, 10), L"us");
    // An empty text counts as missing.
    tables.tables[1036][22] = L"";
    tables.tables[2057][22] = L"english";
    EXPECT_EQ(Load(*french, 22), L"english");
}

TEST_F(LocalizeTest, LanguageFilesUseDecimalThenHexadecimalKeysAndTheEscapeRule) {
    fs.Put(InFolder(L"German.lng"), Lng(L"1600=\r\n"
                                        L"0x640=from hex\r\n"
                                        L"0X641=upper-case prefix is not the key form\r\n"
                                        L"1602=decimal\r\n"
                                        L"0x642=hex loses\r\n"
                                        L"0x643=\r\n"
                                        L"100=first\\nsecond\r\n"
                                        L"101=a\\tb\\\\c\r\n"
                                        L"102=C:\\path\\x \\q\r\n"
                                        L"103=\\\\n\r\n"
                                        L"104=end\\\r\n"));
    auto loc = Make(1031, kLookupFilesOnly);
    EXPECT_EQ(Load(*loc, 1600), L"from hex"); // an empty decimal value counts as missing
    EXPECT_EQ(Load(*loc, 1602), L"decimal");
    EXPECT_EQ(Load(*loc, 1603), L"<none>");
    EXPECT_EQ(Load(*loc, 100), L"first \nsecond");
    EXPECT_EQ(Load(*loc, 101), L"a \tb \\c");
    EXPECT_EQ(Load(*loc, 102), L"C:\\path\\x \\q");
    EXPECT_EQ(Load(*loc, 103), L" \\n"); // the escaped backslash starts nothing new
    EXPECT_EQ(Load(*loc, 104), L"end\\");
    // The key form of the hexadecimal fallback.
    EXPECT_EQ(LanguageFileHexKey(1601), L"0x641");
    EXPECT_EQ(LanguageFileHexKey(0xABCD), L"0xabcd");
}

TEST_F(LocalizeTest, TextsAreCutToTheBufferAndTheCacheKeepsThemWhole) {
    fs.Put(InFolder(L"German.lng"), Lng(L"1600=abcdefgh\r\n"));
    auto loc = Make(1031);
    wchar_t small[5];
    std::wmemset(small, L'#', 5);
    ASSERT_TRUE(loc->LoadText(1600, small, 5));
    EXPECT_STREQ(small, L"abcd");
    wchar_t large[32];
    ASSERT_TRUE(loc->LoadText(1600, large, 32)); // from the cache
    EXPECT_STREQ(large, L"abcdefgh");
    // Not found: the buffer stays as it was; a size of 0 never writes.
    std::wmemset(small, L'#', 5);
    EXPECT_FALSE(loc->LoadText(1700, small, 5));
    EXPECT_EQ(small[0], L'#');
    EXPECT_FALSE(loc->LoadText(1600, small, 0));
    EXPECT_EQ(small[0], L'#');
    // The string form holds at most 1023 characters.
    fs.Put(InFolder(L"German.lng"), Lng(L"1601=" + std::wstring(1500, L'x') + L"\r\n"));
    EXPECT_EQ(Load(*loc, 1601).size(), 1023u);
}

TEST_F(LocalizeTest, TheCacheIsEmptiedOnEveryLanguageOrModeChange) {
    fs.Put(InFolder(L"German.lng"), Lng(L"1600=one\r\n"));
    tables.tables[1031][1600] = L"table";
    auto loc = Make(1031);
    EXPECT_EQ(Load(*loc, 1600), L"one");
    fs.Put(InFolder(L"German.lng"), Lng(L"1600=two\r\n"));
    EXPECT_EQ(Load(*loc, 1600), L"one"); // cached
    loc->SetLanguage(1031);
    EXPECT_EQ(Load(*loc, 1600), L"two");
    fs.Put(InFolder(L"German.lng"), Lng(L"1600=three\r\n"));
    ASSERT_EQ(loc->SetLookupMode(kLookupTableFirst), 1);
    EXPECT_EQ(Load(*loc, 1600), L"table");
    EXPECT_EQ(loc->SetLookupMode(4), 0);
    EXPECT_EQ(loc->GetLookupMode(), kLookupTableFirst);
    ASSERT_EQ(loc->SetLookupMode(kLookupFilesOnly), 1);
    EXPECT_EQ(Load(*loc, 1600), L"three");
}

TEST_F(LocalizeTest, AMissingItalianTextComesFromBritishEnglishWithAWarningNamingItalian) {
    tables.tables[2057][53505] = L"Error";
    tables.tables[1040][100] = L"!!! Dummy (required for language menu) !!!";
    auto loc = Make(1040);
    proc.debugger.clear();
    EXPECT_EQ(Load(*loc, 53505), L"Error");
    EXPECT_EQ(Warnings(), std::vector<std::wstring>{L"LMLOC: Italian string NOT LOCALIZED: 'Error'\n"});
    proc.debugger.clear();
    EXPECT_EQ(Load(*loc, 53505), L"Error"); // from the cache: no second warning
    EXPECT_TRUE(Warnings().empty());

    // A language outside the table uses English.lng and is named UNKNOWN; a variant of a known
    // language uses that language's file and name.
    fs.Put(InFolder(L"English.lng"), Lng(L"5=from english file\r\n"));
    auto hindi = Make(1081);
    EXPECT_EQ(Load(*hindi, 5), L"from english file"); // a current step: English.lng is its own file
    EXPECT_EQ(hindi->CurrentLanguageName(), L"UNKNOWN");
    EXPECT_EQ(Load(*hindi, 53505), L"Error");
    EXPECT_EQ(Warnings().back(), L"LMLOC: UNKNOWN string NOT LOCALIZED: 'Error'\n");
    fs.Put(InFolder(L"German.lng"), Lng(L"6=österreichisch\r\n"));
    auto austrian = Make(3079);
    EXPECT_EQ(Load(*austrian, 6), L"österreichisch");
    EXPECT_EQ(austrian->CurrentLanguageName(), L"German");
}

TEST_F(LocalizeTest, FrameworkStringsAreTheTextAfterTheFirstLineBreak) {
    tables.tables[2057][57600] = L"Create a new document\nNew";
    tables.tables[2057][57601] = L"No line break";
    tables.tables[1031][57602] = L"Öffnen\nÖffnen\nmehr";
    fs.Put(InFolder(L"German.lng"), Lng(L"57601=from the file\r\n57603=from the file\r\n"));
    auto loc = Make(1031);
    proc.debugger.clear();
    EXPECT_EQ(Load(*loc, 57600), L"New");
    EXPECT_EQ(Load(*loc, 57601), L"<none>");
    EXPECT_EQ(Load(*loc, 57602), L"Öffnen\nmehr");
    EXPECT_EQ(Load(*loc, 57603), L"<none>"); // language files do not hold framework strings
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(LocalizeTest, ConstructionPicksTheDefaultLanguageAndAppliesItsLocales) {
    locale.userDefault = 3079; // German (Austria): the table has German
    locale.threadLocale = 1033;
    {
        CLMLocalize loc(Services());
        EXPECT_EQ(loc.CurrentLanguage(), 1031);
        EXPECT_EQ(locale.threadLocale, 1031);
        EXPECT_EQ(locale.runtimeLocale, "german");
        loc.SetLanguage(1028);
        EXPECT_EQ(locale.runtimeLocale, "chinese-traditional_taiwan.950");
        EXPECT_EQ(loc.RuntimeLocale(), "chinese-traditional_taiwan.950");
    }
    // Destruction returns to the thread locale found at construction.
    EXPECT_EQ(locale.threadLocale, 1033);
    EXPECT_EQ(locale.runtimeLocale, "english");

    locale.userDefault = 0; // unknown: the thread locale is taken
    locale.threadLocale = 1036;
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1036);
    locale.userDefault = 1081; // not in the table at all: kept as it is
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1081);

    // A lookup-only localiser leaves the locales alone.
    locale.threadLocaleCalls.clear();
    locale.runtimeCalls.clear();
    registry.user.clear();
    { CLMLocalize quiet(Services(), LocalizeOptions::LookupOnly(2057, kLookupTablesOnly)); }
    EXPECT_TRUE(locale.threadLocaleCalls.empty());
    EXPECT_TRUE(locale.runtimeCalls.empty());
    EXPECT_TRUE(registry.user.empty());
}

TEST_F(LocalizeTest, RuntimeLocaleNamesFollowThePrimaryLanguage) {
    EXPECT_EQ(RuntimeLocaleName(1031), "german");
    EXPECT_EQ(RuntimeLocaleName(2055), "german"); // Swiss German
    EXPECT_EQ(RuntimeLocaleName(2052), "chinese-simplified_pr-china.936");
    EXPECT_EQ(RuntimeLocaleName(1028), "chinese-traditional_taiwan.950");
    EXPECT_EQ(RuntimeLocaleName(3076), "chinese-simplified_pr-china.936"); // Hong Kong: sub-language 3
    EXPECT_EQ(RuntimeLocaleName(1062), "latvian ");
    EXPECT_EQ(RuntimeLocaleName(1044), "norwegian");
    EXPECT_EQ(RuntimeLocaleName(2070), "portuguese");
    EXPECT_EQ(RuntimeLocaleName(1063), "lithuanian");
    EXPECT_EQ(RuntimeLocaleName(2057), "english");
    EXPECT_EQ(RuntimeLocaleName(1081), "english");
}

// The host's C library knows none of the Windows names; an equivalent locale is set instead.
TEST_F(LocalizeTest, TheHostRuntimeTakesAnEquivalentLocaleForNamesItDoesNotKnow) {
    ILocale& native = NativeLocale();
    for (uint16_t lang : {uint16_t{1031}, uint16_t{1062}, uint16_t{2052}, uint16_t{1081}}) {
        std::string applied = native.SetRuntimeLocale(lang, RuntimeLocaleName(lang));
        ASSERT_FALSE(applied.empty());
        const char* now = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(now, nullptr);
        EXPECT_EQ(std::string(now), applied);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_TRUE(native.SetThreadLocale(1036));
    EXPECT_EQ(native.ThreadLocale(), 1036);
    EXPECT_EQ(native.NativeLanguageName(1036), L"français");
    EXPECT_EQ(native.ToUpper(L'ç'), L'Ç');
    EXPECT_EQ(native.ToUpper(L'р'), L'Р');
}

TEST_F(LocalizeTest, AvailabilityAndMenuListOnlyLanguagesWithAFileOrAProbeString) {
    fs.Put(InFolder(L"French.lng"), Lng(L"1600=OK\r\n"));   // file only
    tables.tables[1029][32768] = L"x";                      // a probe ID
    tables.tables[1040][1600] = L"only a non-probe string"; // not enough
    tables.tables[1041][101] = L"";                         // an empty probe string
    tables.tables[2057][100] = L"!!! Dummy (required for language menu) !!!";
    fs.Put(InFolder(L"German.lng"), Lng(L"100=x\r\n"));
    tables.tables[1031][100] = L"x";              // both
    fs.CreateDirectories(InFolder(L"Dutch.lng")); // a folder is no file
    locale.nativeNames.erase(2057);
    locale.userDefault = 1031;
    CLMLocalize loc(Services());

    EXPECT_EQ(loc.AvailabilityOf(1036), kAvailableFile);
    EXPECT_EQ(loc.AvailabilityOf(1029), kAvailableTable);
    EXPECT_EQ(loc.AvailabilityOf(1031), kAvailableFile | kAvailableTable);
    EXPECT_EQ(loc.AvailabilityOf(1040), 0u);
    EXPECT_EQ(loc.AvailabilityOf(1041), 0u);
    EXPECT_EQ(loc.AvailabilityOf(1043), 0u);
    EXPECT_EQ(loc.Availability(0), 0u); // the neutral entry is not selectable

    std::vector<std::pair<uint16_t, std::wstring>> menu;
    for (const LanguageMenuItem& item : loc.LanguageMenu())
        menu.emplace_back(item.langId, item.name);
    // Table order, each language's own name with an upper-case first letter; the file name stands in
    // when the system does not know the language.
    const std::vector<std::pair<uint16_t, std::wstring>> expected = {
        {1029, L"Čeština"}, {1031, L"Deutsch"}, {2057, L"English"}, {1036, L"Français"}};
    EXPECT_EQ(menu, expected);

    // A mode change recomputes availability and menu.
    fs.Put(InFolder(L"Italian.lng"), Lng(L"1=x\r\n"));
    loc.SetLookupMode(kLookupTablesOnly);
    EXPECT_EQ(loc.AvailabilityOf(1040), kAvailableFile);
    EXPECT_EQ(loc.LanguageMenu().size(), 5u);
}

struct RecordingMenuView : ILanguageMenuView {
    void Fill(const std::vector<LanguageMenuItem>& items) override {
        ids.clear();
        for (const auto& item : items)
            ids.push_back(item.langId);
        ++fills;
    }
    void Check(uint16_t langId) override { checked = langId; }
    std::vector<uint16_t> ids;
    int fills = 0;
    uint16_t checked = 0;
};

TEST_F(LocalizeTest, TheMenuViewIsFilledAndFollowsTheCurrentLanguage) {
    tables.tables[1031][100] = L"x";
    tables.tables[2057][100] = L"x";
    auto loc = Make(2057);
    RecordingMenuView view;
    loc->AttachMenuView(&view);
    EXPECT_EQ(view.ids, (std::vector<uint16_t>{1031, 2057}));
    EXPECT_EQ(view.checked, 2057);
    loc->SetLanguage(1031);
    EXPECT_EQ(view.checked, 1031);
    loc->SetLookupMode(kLookupTablesOnly);
    EXPECT_EQ(view.fills, 2);
    loc->AttachMenuView(nullptr);
    loc->SetLanguage(2057);
    EXPECT_EQ(view.checked, 1031);
}

TEST_F(LocalizeTest, TheFileTypeIsRegisteredForTheUserOnlyWhenItIsNew) {
    auto loc = Make(2057);
    const std::wstring root = L"Software\\Classes\\";
    EXPECT_EQ(registry.GetString(RegistryHive::CurrentUser, root + L".lng", L""), L"Lumora.Language file");
    EXPECT_EQ(registry.GetString(RegistryHive::CurrentUser, root + L"Lumora.Language file", L""),
              L"Lumora Language Support");
    EXPECT_EQ(registry.GetString(RegistryHive::CurrentUser,
                                 root + L"Lumora.Language file\\Shell\\Open\\Command", L""),
              L"notepad.exe %1");
    const auto* icon =
        registry.Find(RegistryHive::CurrentUser, root + L"Lumora.Language file\\DefaultIcon", L"");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->text, L"\"%systemroot%\\notepad.exe\",0");
    EXPECT_TRUE(icon->expandable);
    EXPECT_TRUE(registry.machine.empty());

    // ".lng" exists (here: with another program's type): nothing is changed.
    test::FakeRegistry other;
    other.SetString(RegistryHive::CurrentUser, root + L".lng", L"", L"Other.Type");
    EXPECT_FALSE(RegisterLanguageFileType(other));
    EXPECT_EQ(other.GetString(RegistryHive::CurrentUser, root + L".lng", L""), L"Other.Type");
    EXPECT_FALSE(other.KeyExists(RegistryHive::CurrentUser, root + L"Lumora.Language file"));
    test::FakeRegistry failing;
    failing.failWrites = true;
    EXPECT_FALSE(RegisterLanguageFileType(failing));
}

TEST_F(LocalizeTest, MessageBoxesTakeTheirCaptionsFromTheStringsOrTheEnglishWords) {
    tables.tables[1031][53505] = L"Fehler";
    auto loc = Make(1031, kLookupTablesOnly);
    struct Case {
        int kind;
        const wchar_t* caption;
        MessageBoxIcon icon;
        bool yesNo;
    };
    const Case cases[] = {
        {kMsgError, L"Fehler", MessageBoxIcon::Error, false},
        {kMsgWarning, L"Warning", MessageBoxIcon::Warning, false},
        {kMsgPlain, L"", MessageBoxIcon::None, false},
        {kMsgErrorYesNo, L"Fehler", MessageBoxIcon::Error, true},
        {kMsgWarningYesNo, L"Warning", MessageBoxIcon::Warning, true},
        {kMsgPlainYesNo, L"", MessageBoxIcon::None, true},
        {6, L"Fehler", MessageBoxIcon::Error, false},
        {-1, L"Fehler", MessageBoxIcon::Error, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        MessageBoxLayout layout = loc->ComposeMessageBox(c.kind);
        EXPECT_EQ(layout.caption, c.caption);
        EXPECT_EQ(layout.icon, c.icon);
        EXPECT_EQ(layout.yesNo, c.yesNo);
    }
    tables.tables[2057][54592] = L"Careful";
    loc->SetLanguage(1031);
    EXPECT_EQ(loc->ComposeMessageBox(kMsgWarning).caption, L"Careful");
}

TEST_F(LocalizeTest, MalformedAndBinaryLanguageFilesNeverBreakALookup) {
    std::mt19937 random(12345);
    tables.tables[2057][1600] = L"table";
    for (int round = 0; round < 50; ++round) {
        std::string bytes(static_cast<size_t>(random() % 4096), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        if (round % 3 == 0)
            bytes = "\xFF\xFE" + bytes; // claims UTF-16, odd length and unpaired surrogates included
        else if (round % 3 == 1)
            bytes = "[Strings]\r\n1600=" + bytes;
        fs.Put(InFolder(L"German.lng"), bytes);
        auto loc = Make(1031);
        std::wstring text;
        EXPECT_TRUE(loc->LoadText(1600, text));
        EXPECT_FALSE(text.empty());
    }
    const char withNul[] = "[Strings]\r\n1600=a\0b\r\n1601=";
    fs.Put(InFolder(L"German.lng"), std::string(withNul, sizeof withNul - 1) + std::string(100000, 'x'));
    auto loc = Make(1031);
    EXPECT_EQ(Load(*loc, 1600).substr(0, 1), L"a");
    EXPECT_EQ(Load(*loc, 1601).size(), 1023u);
}

// The translator's kit writes texts so that they read back the same through the program's own reader.
TEST_F(LocalizeTest, WrittenLanguageFilesReadBackToTheSameTexts) {
    const std::vector<std::wstring> texts = {
        L"&OK",
        L"Line one \nline two",      // a blank before a line feed is what "\n" reads as
        L"Column\tcolumn",           // a literal tab
        L"C:\\Program Files\\x",     // backslashes that start no escape
        L"a \\ b",                   // a blank before a backslash
        L"  leading and trailing  ", // kept by quotes
        L"\"quoted\"",               // a quoted text keeps its quotes
        L"'single'",
        L"100% = done; [not a section]",
        L"Größe: %d × %ls — 日本語 ¿qué?",
        L"\tTab at the ends\t",
    };
    const std::vector<std::wstring> inexact = {
        L"Line one\nline two", // reads back with a blank before the line feed
        L"C:\\new",            // a backslash before "n" reads back with a blank in front
        L"cr\r\nlf",
    };
    for (LanguageFileEncoding encoding : {LanguageFileEncoding::Utf16LeBom, LanguageFileEncoding::Utf8Bom}) {
        std::vector<LanguageFileEntry> entries;
        uint32_t id = 2000;
        for (const std::wstring& t : texts)
            entries.push_back({id++, t, id % 2 ? L"a comment line" : L""});
        for (const std::wstring& t : inexact)
            entries.push_back({id++, t, L""});
        fs.Put(InFolder(L"German.lng"), ComposeLanguageFile({L"German (1031)"}, entries, encoding));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const auto& [entryId, text, comment] : entries) {
            SCOPED_TRACE(ToUtf8(text));
            bool exact = false;
            EscapeLanguageText(text, &exact);
            std::wstring read = Load(*loc, entryId);
            EXPECT_EQ(exact, read == text) << ToUtf8(read);
            if (std::find(texts.begin(), texts.end(), text) != texts.end()) {
                EXPECT_EQ(read, text);
            }
        }
        EXPECT_EQ(Load(*loc, 2000 + static_cast<uint32_t>(texts.size())), L"Line one \nline two");
    }
}

TEST(FillTextArgsTest, ConversionsTakeTheTextsInOrderWithoutEverFormattingTheText) {
    EXPECT_EQ(FillTextArgs(L"The file\n\n%s\n\nis write protected.", {L"C:\\a.ini"}, 256),
              L"The file\n\nC:\\a.ini\n\nis write protected.");
    EXPECT_EQ(FillTextArgs(L"%ls: %d of %3d (%-4s|) 100%%", {L"x", L"5", L"7", L"ab"}, 256),
              L"x: 5 of   7 (ab  |) 100%");
    // A hostile text: more conversions than texts, %n, and a width beyond the limit.
    EXPECT_EQ(FillTextArgs(L"%s%s%s%n!%99999999999s", {L"a"}, 10), L"a!" + std::wstring(8, L' '));
    EXPECT_EQ(FillTextArgs(L"50 %, then %!", {L"unused"}, 256), L"50 %, then %!");
    EXPECT_EQ(FillTextArgs(L"%s and more", {std::wstring(300, L'y')}, 256), std::wstring(256, L'y'));
}

// The kit's own prediction of what the program reads agrees with the reader for every shipped text.
TEST_F(LocalizeTest, TheKitPredictsTheReaderForEveryBuiltInText) {
    const CBuiltInStringTables& builtIn = BuiltInStringTables();
    if (builtIn.Languages().empty())
        GTEST_SKIP() << "no string table in this build";
    for (uint16_t lang : builtIn.Languages()) {
        std::vector<LanguageFileEntry> entries;
        for (uint32_t id : builtIn.Ids(lang))
            entries.push_back({id, std::wstring(*builtIn.Find(lang, id)), L""});
        fs.Put(InFolder(L"German.lng"), ComposeLanguageFile({}, entries, LanguageFileEncoding::Utf16LeBom));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const LanguageFileEntry& e : entries) {
            if (e.text.empty())
                continue;
            EXPECT_EQ(Load(*loc, e.id), LanguageFileReadBack(EscapeLanguageText(e.text)))
                << lang << " " << e.id;
        }
    }
}

} // namespace
} // namespace lm
