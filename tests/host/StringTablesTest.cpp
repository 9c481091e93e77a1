#include "support/StringTables.h"

#include "support/LMLocalize.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lm {
namespace {

const CBuiltInStringTables& Tables() {
    return BuiltInStringTables();
}

// The printf conversions of a text in order ("%d", "%ls", "%3d"); "%%" is a percent sign, not one.
std::vector<std::wstring> FormatSpecifiers(std::wstring_view text) {
    std::vector<std::wstring> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && std::wcschr(L"-+ #0123456789.*hlLqjzt", text[j]))
            ++j;
        if (j < text.size() && std::wcschr(L"diouxXeEfFgGaAcspnSC", text[j]))
            out.emplace_back(text.substr(i, j - i + 1));
        i = j;
    }
    return out;
}

// An "&" that marks an accelerator ("&&" is an ampersand shown as such).
bool HasAccelerator(std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

TEST(StringTablesTest, BuiltInTablesAreSortedUniqueAndFindEveryId) {
    const auto languages = Tables().Languages();
    if (languages.empty())
        GTEST_SKIP() << "no string table in this build";
    EXPECT_TRUE(std::is_sorted(languages.begin(), languages.end()));
    for (uint16_t lang : languages) {
        SCOPED_TRACE(lang);
        EXPECT_NE(std::find(BuiltInTableLanguages().begin(), BuiltInTableLanguages().end(), lang),
                  BuiltInTableLanguages().end());
        EXPECT_TRUE(Tables().DuplicateIds(lang).empty()) << "IDs written twice";
        auto ids = Tables().Ids(lang);
        ASSERT_FALSE(ids.empty());
        EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<uint32_t>()) == ids.end());
        for (uint32_t id : ids)
            EXPECT_TRUE(Tables().Find(lang, id).has_value()) << id;
        EXPECT_FALSE(Tables().Find(lang, ids.back() + 1).has_value());
        EXPECT_FALSE(Tables().Find(lang, 100).value_or(L"").empty())
            << "the probe string of the language menu";
    }
    EXPECT_FALSE(Tables().Find(4242, 1).has_value());
    EXPECT_TRUE(Tables().Ids(4242).empty());
}

// Every translation carries every British English ID, keeps accelerators where English has one and
// the format conversions in number and order (a missing or moved "%ls" would crash a format).
TEST(StringTablesTest, TranslationsCoverTheEnglishTableWithTheSameMarksAndFormats) {
    const auto english = Tables().Ids(kLangEnglishUK);
    if (english.empty() || Tables().Languages().size() < 2)
        GTEST_SKIP() << "no British English or no translated table in this build";
    for (uint16_t lang : Tables().Languages()) {
        SCOPED_TRACE(lang);
        int missing = 0;
        for (uint32_t id : english) {
            std::wstring_view en = *Tables().Find(kLangEnglishUK, id);
            auto translated = Tables().Find(lang, id);
            if (!translated) {
                ADD_FAILURE() << "string " << id << " is missing";
                if (++missing > 20)
                    break;
                continue;
            }
            if (HasAccelerator(en)) {
                EXPECT_TRUE(HasAccelerator(*translated)) << "string " << id << " lost its accelerator";
            }
            EXPECT_EQ(FormatSpecifiers(*translated), FormatSpecifiers(en)) << "string " << id;
        }
    }
}

} // namespace
} // namespace lm
