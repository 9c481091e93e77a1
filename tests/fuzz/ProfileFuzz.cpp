// Fuzzes the profile-file parser and writer. The input is a file; the first bytes choose one change
// (write, delete a key, delete a section) and its text. Besides not crashing, the store must keep
// every value it does not change: whatever was read before the change reads the same afterwards.
#include "support/ProfileFile.h"

#include "fakes/FakeFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using lm::CProfileStore;

const std::wstring kFile = L"/fuzz/a.ini";
constexpr size_t kAll = size_t(1) << 30;

struct Reading {
    std::wstring section, key;
    bool found;
    std::wstring value;
};

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// What the store reads of the file: section names, and the values of the first sections and keys.
std::vector<Reading> ReadAll(lm::IFileSystem& fs, std::vector<std::wstring>& names) {
    CProfileStore store(fs);
    names = store.GetSectionNames(kFile, kAll);
    std::vector<Reading> out;
    for (size_t i = 0; i < names.size() && i < 32; ++i) {
        auto pairs = store.GetSection(kFile, names[i], kAll);
        for (size_t j = 0; j < pairs.size() && j < 32; ++j) {
            Reading r{names[i], pairs[j].first, false, {}};
            r.found = store.GetString(kFile, r.section, r.key, r.value, L"\x1F");
            out.push_back(r);
        }
        // A listed section can be found, unless its name is all blanks.
        Check(store.SectionExists(kFile, names[i]) || CProfileStore::NamesMatch(names[i], L""));
    }
    return out;
}

// The value as a reader gets it back after it was written.
std::wstring AsRead(std::wstring v) {
    while (!v.empty() && (v.front() == L' ' || v.front() == L'\t'))
        v.erase(0, 1);
    while (!v.empty() && (v.back() == L' ' || v.back() == L'\t'))
        v.pop_back();
    if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    const uint8_t op = data[0] % 4, pick = data[1], valueLen = data[2] % 24, valueSeed = data[3];
    std::string bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    lm::test::FakeFileSystem fs;
    fs.Put(kFile, bytes);
    std::vector<std::wstring> names;
    const std::vector<Reading> before = ReadAll(fs, names);

    // The section and key to change: one of the file's, or one it does not have.
    std::wstring section = L"FuzzSec", key = L"FuzzKey";
    if (!before.empty() && (pick & 1)) {
        const Reading& r = before[(pick >> 1) % before.size()];
        section = r.section;
        key = r.key;
    } else if (!names.empty() && (pick & 2)) {
        section = names[(pick >> 2) % names.size()];
    }
    static const wchar_t kAlphabet[] = L"ab1 \"'[]=;\u0416\u00E4\t";
    std::wstring value;
    for (size_t i = 0; i < valueLen; ++i)
        value += kAlphabet[(valueSeed * 31u + i * 7u) % (sizeof kAlphabet / sizeof(wchar_t) - 1)];

    CProfileStore store(fs);
    bool changed = false;
    switch (op) {
    case 0:
    case 1:
        changed = store.WriteString(kFile, section, key, value);
        break;
    case 2:
        changed = store.DeleteKey(kFile, section, key);
        break;
    default:
        changed = store.DeleteSection(kFile, section);
        break;
    }
    if (!changed) {
        Check(fs.files[kFile].bytes == bytes);
        return 0;
    }

    std::vector<std::wstring> namesAfter;
    const std::vector<Reading> after = ReadAll(fs, namesAfter);
    CProfileStore fresh(fs);
    for (const Reading& r : before) {
        bool sameSection = CProfileStore::NamesMatch(r.section, section);
        if (sameSection && (op == 3 || CProfileStore::NamesMatch(r.key, key)))
            continue;
        std::wstring v;
        bool found = fresh.GetString(kFile, r.section, r.key, v, L"\x1F");
        Check(found == r.found && v == r.value);
    }
    if (op <= 1) {
        std::wstring v;
        Check(fresh.GetString(kFile, section, key, v));
        Check(v == AsRead(value));
        // Writing adds at most the one section it names.
        bool added = namesAfter.size() == names.size() + 1;
        Check(namesAfter.size() == names.size() || added);
        for (size_t i = 0; i < names.size(); ++i)
            Check(namesAfter[i] == names[i]);
        if (added)
            Check(CProfileStore::NamesMatch(namesAfter.back(), section));
    }
    return 0;
}
