// What a text costs: a cached text, and a text read from a language file.
#include "support/LMLocalize.h"
#include "support/StringTables.h"

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

namespace {

struct Localiser {
    explicit Localiser(int mode) {
        std::string file = "[Strings]\r\n";
        for (uint32_t id = 1000; id < 1400; ++id) {
            char line[64];
            std::snprintf(line, sizeof line, "%u=Text number %u\r\n", id, id);
            file += line;
        }
        fs.Put(lm::PathJoin(L"/prog", L"German.lng"), file);
        loc = std::make_unique<lm::CLMLocalize>(
            lm::LocalizeServices{lm::BuiltInStringTables(), profiles, locale, nullptr, L"/prog"},
            lm::LocalizeOptions::LookupOnly(1031, mode));
    }
    lm::test::FakeFileSystem fs;
    lm::CProfileStore profiles{fs};
    lm::test::FakeLocale locale;
    std::unique_ptr<lm::CLMLocalize> loc;
};

void BM_CachedText(benchmark::State& state) {
    Localiser l(lm::kLookupFileFirst);
    std::array<wchar_t, 256> buffer{};
    l.loc->LoadText(1200, buffer.data(), buffer.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(l.loc->LoadText(1200, buffer.data(), buffer.size()));
}
BENCHMARK(BM_CachedText);

// A language change empties the cache: the first text after it comes from the (parsed) file.
void BM_TextFromLanguageFile(benchmark::State& state) {
    Localiser l(lm::kLookupFileFirst);
    std::array<wchar_t, 256> buffer{};
    for (auto _ : state) {
        l.loc->SetLanguage(1031);
        benchmark::DoNotOptimize(l.loc->LoadText(1200, buffer.data(), buffer.size()));
    }
}
BENCHMARK(BM_TextFromLanguageFile);

} // namespace
