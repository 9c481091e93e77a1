// Profile files: the profile store against the Windows profile functions, side by side on the same files
// (a preset of 300 sets and a user file of 20): single values, whole sections, section names, and the
// application list, which the program loads through the store and the Windows functions would load
// with the same reads.
#include "Timing.h"

#include "bench/ProfileSample.h"
#include "cmdset/CmdSetAdmin.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStrings.h"

#include <windows.h>

namespace {

// The reads of CCmdSetAdmin::LoadAppList through the Windows functions.
void WinLoadAppList(const std::wstring& preset, const std::wstring& user) {
    static std::vector<wchar_t> names(1 << 20), buffer(4096), path(MAX_PATH);
    for (const std::wstring* file : {&user, &preset}) {
        const DWORD n =
            GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), file->c_str());
        for (DWORD i = 0; i < n && names[i]; i += static_cast<DWORD>(wcslen(&names[i])) + 1) {
            const wchar_t* name = &names[i];
            GetPrivateProfileSectionW(name, buffer.data(), 64, user.c_str());
            GetPrivateProfileSectionW(name, buffer.data(), 64, preset.c_str());
            for (const wchar_t* key :
                 {L"Executable", L"WindowCaption", L"Description", L"Command-line", L"HideOsd", L"SmsInput"})
                GetPrivateProfileStringW(name, key, L"", buffer.data(), 260, file->c_str());
            GetPrivateProfileStringW(name, L"AppPath", L"", path.data(), MAX_PATH, file->c_str());
            GetFileAttributesW(path.data());
        }
    }
}

} // namespace

LM_TIMING_AREA(profile) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"lmbench-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring preset = base + L".ini", user = base + L".usr";
    lm::IFileSystem& fs = lm::NativeFileSystem();
    const std::string sample = lm::bench::SampleProfile();
    fs.WriteAtomic(preset, sample);
    fs.WriteAtomic(user, sample.substr(0, sample.find("\r\n[Application 20]")));

    std::vector<std::wstring> sections, keys;
    for (int i = 0; i < 64; ++i) {
        sections.push_back(L"Application " + std::to_wstring((i * 37) % lm::bench::kSampleSections));
        keys.push_back(std::to_wstring(140 + (i * 11) % lm::bench::kSampleKeys));
    }
    std::vector<wchar_t> buffer(1 << 16);
    const DWORD size = static_cast<DWORD>(buffer.size());
    lm::CProfileStore store(fs);
    size_t i = 0;

    lm::timing::Stats win = timer.Measure("value: GetPrivateProfileStringW", 2000, [&] {
        ++i;
        GetPrivateProfileStringW(sections[i & 63].c_str(), keys[i & 63].c_str(), L"", buffer.data(), 512,
                                 preset.c_str());
    });
    lm::timing::Stats ours = timer.Measure("value: store", 2000, [&] {
        ++i;
        store.GetString(preset, sections[i & 63], keys[i & 63]);
    });
    timer.Compare("value", win, ours);

    win = timer.Measure("whole section: GetPrivateProfileSectionW", 2000, [&] {
        GetPrivateProfileSectionW(sections[++i & 63].c_str(), buffer.data(), size, preset.c_str());
    });
    ours = timer.Measure("whole section: store", 2000, [&] { store.GetSection(preset, sections[++i & 63]); });
    timer.Compare("whole section", win, ours);
    // The sections one keymap load reads: whether the user has the set, then the set in both files.
    win = timer.Measure("keymap's sections: GetPrivateProfileSectionW", 1000, [&] {
        const wchar_t* name = sections[++i & 15].c_str();
        GetPrivateProfileSectionW(name, buffer.data(), 64, user.c_str());
        GetPrivateProfileSectionW(name, buffer.data(), size, preset.c_str());
        GetPrivateProfileSectionW(name, buffer.data(), size, user.c_str());
    });
    ours = timer.Measure("keymap's sections: store", 1000, [&] {
        lm::CProfileScope operation(store);
        const std::wstring& name = sections[++i & 15];
        store.GetSection(user, name, 64);
        store.GetSection(preset, name);
        store.GetSection(user, name);
    });
    timer.Compare("keymap's sections", win, ours);

    win = timer.Measure("section names: GetPrivateProfileSectionNamesW", 500,
                        [&] { GetPrivateProfileSectionNamesW(buffer.data(), size, preset.c_str()); });
    ours = timer.Measure("section names: store", 500, [&] { store.GetSectionNames(preset, size); });
    timer.Compare("section names", win, ours);

    lm::test::FakeRegistry registry;
    lm::test::FakeKnownFolders folders;
    lm::test::FakeStrings strings;
    lm::CKeyNames keyNames;
    lm::CAppCatalog catalog;
    lm::CCmdSetAdmin admin({store, registry, folders, strings, keyNames, catalog}, {preset, user});
    win = timer.Measure("application list: Windows functions", 5, [&] { WinLoadAppList(preset, user); });
    ours = timer.Measure("application list: store", 100, [&] {
        catalog.MarkForReload();
        admin.LoadAppList();
    });
    timer.Compare("application list", win, ours);

    for (const std::wstring* file : {&preset, &user}) {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file->c_str());
        DeleteFileW(file->c_str());
    }
}
