// Fuzzes the profile-file parser, writer and edits. The input is a file; its first bytes choose up to four
// changes (write, delete a key, delete a section) and their texts. Besides not crashing: a change keeps
// every value it does not touch, a written value reads back, and the changes made one by one read the same
// as the same changes made in one edit.
#include "support/ProfileFile.h"

#include "base/Text.h"
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
    bool operator==(const Reading&) const = default;
};

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// What the store reads of a file: section names, and the values of the first sections and keys.
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

struct Change {
    int op; // 0, 1: write; 2: delete a key; 3: delete a section
    std::wstring section, key, value;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t count = size > 0 ? data[0] % 4 + 1 : 0;
    if (size < 1 + 4 * count)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1 + 4 * count, size - 1 - 4 * count);
    lm::test::FakeFileSystem fs;
    fs.Put(kFile, bytes);
    std::vector<std::wstring> names;
    const std::vector<Reading> before = ReadAll(fs, names);

    // The section and key of each change: one of the file's, or one it does not have.
    std::vector<Change> changes;
    static const wchar_t kAlphabet[] = L"ab1 \"'[]=;\u0416\u00E4\t";
    for (size_t c = 0; c < count; ++c) {
        const uint8_t* d = data + 1 + 4 * c;
        Change change{d[0] % 4, L"FuzzSec", L"FuzzKey", {}};
        if (!before.empty() && (d[1] & 1)) {
            change.section = before[(d[1] >> 1) % before.size()].section;
            change.key = before[(d[1] >> 1) % before.size()].key;
        } else if (!names.empty() && (d[1] & 2)) {
            change.section = names[(d[1] >> 2) % names.size()];
        }
        for (size_t i = 0; i < d[2] % 24u; ++i)
            change.value += kAlphabet[(d[3] * 31u + i * 7u) % (sizeof kAlphabet / sizeof(wchar_t) - 1)];
        changes.push_back(change);
    }

    // One by one through the store, and all at once through an edit of a copy.
    lm::test::FakeFileSystem copy;
    copy.Put(kFile, bytes);
    CProfileStore store(fs), other(copy);
    lm::CProfileEdit edit = other.Edit(kFile);
    bool allDone = true;
    for (const Change& c : changes) {
        bool done = true;
        if (c.op <= 1) {
            done = store.WriteString(kFile, c.section, c.key, c.value);
            Check(edit.WriteString(c.section, c.key, c.value) == done);
        } else if (c.op == 2) {
            store.DeleteKey(kFile, c.section, c.key);
            edit.DeleteKey(c.section, c.key);
        } else {
            store.DeleteSection(kFile, c.section);
            edit.DeleteSection(c.section);
        }
        allDone = allDone && done;
    }
    Check(edit.Commit() == allDone);
    std::vector<std::wstring> namesAfter, namesOfEdit;
    const std::vector<Reading> after = ReadAll(fs, namesAfter);
    if (allDone) {
        Check(ReadAll(copy, namesOfEdit) == after && namesOfEdit == namesAfter);
    } else {
        Check(copy.files[kFile].bytes == bytes); // a refused change leaves the whole edit unwritten
    }
    if (count != 1)
        return 0;

    // A single change keeps every value it does not touch; a written value reads back.
    const Change& c = changes.front();
    CProfileStore fresh(fs);
    for (const Reading& r : before) {
        if (CProfileStore::NamesMatch(r.section, c.section) &&
            (c.op == 3 || CProfileStore::NamesMatch(r.key, c.key)))
            continue;
        std::wstring v;
        const bool found = fresh.GetString(kFile, r.section, r.key, v, L"\x1F");
        Check(found == r.found && v == r.value);
    }
    if (c.op <= 1 && allDone) {
        std::wstring v, expected = lm::Trim(c.value);
        Check(fresh.GetString(kFile, c.section, c.key, v));
        if (expected.size() >= 2 && (expected.front() == L'"' || expected.front() == L'\'') &&
            expected.back() == expected.front())
            expected = expected.substr(1, expected.size() - 2);
        Check(v == expected);
        // Writing adds at most the one section it names.
        Check(namesAfter.size() == names.size() || (namesAfter.size() == names.size() + 1 &&
                                                    CProfileStore::NamesMatch(namesAfter.back(), c.section)));
        for (size_t i = 0; i < names.size(); ++i)
            Check(namesAfter[i] == names[i]);
    }
    return 0;
}
