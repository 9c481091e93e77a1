// Command-set administration on the host file system in a fresh temporary folder, with the registry and
// the known folders of the test.
#pragma once
#include "cmdset/CmdSetAdmin.h"
#include "cmdset/KeyLine.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStrings.h"
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace lm::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lm_cmdset_XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            dir_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Valid() const { return !dir_.empty(); }
    std::wstring Path(const std::wstring& relative = std::wstring()) const {
        return relative.empty() ? FromUtf8(dir_) : PathJoin(FromUtf8(dir_), relative);
    }
    // Writes a file (and its folders) with the text as UTF-8 with a byte-order mark.
    void Write(const std::wstring& relative, const std::wstring& text) const {
        std::filesystem::path p(ToUtf8(Path(relative)));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary | std::ios::trunc) << "\xEF\xBB\xBF" << ToUtf8(text);
    }
    void Touch(const std::wstring& relative) const {
        std::filesystem::path p(ToUtf8(Path(relative)));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary | std::ios::trunc) << "MZ";
    }
    void MakeFolder(const std::wstring& relative) const {
        std::filesystem::create_directories(std::filesystem::path(ToUtf8(Path(relative))));
    }
    std::string ReadRaw(const std::wstring& relative) const {
        std::ifstream in(ToUtf8(Path(relative)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string dir_;
};

// The program lives in <temp>/prog/RemoteControl.exe, the user's data in <temp>/appdata.
class CmdSetFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.Valid());
        folders.executable = temp.Path(L"prog/RemoteControl.exe");
        folders.folders[KnownFolder::UserAppData] = temp.Path(L"appdata");
        temp.MakeFolder(L"prog");
        temp.MakeFolder(L"appdata");
    }

    std::wstring PresetPath() const { return temp.Path(L"prog/RemoteControl.ini"); }
    std::wstring UserPath() const { return temp.Path(L"appdata/Lumora/Remote/RemoteControl.usr"); }
    void WritePreset(const std::wstring& text) { temp.Write(L"prog/RemoteControl.ini", text); }
    void WriteUser(const std::wstring& text) { temp.Write(L"appdata/Lumora/Remote/RemoteControl.usr", text); }

    CmdSetServices Services() {
        return CmdSetServices{profiles, registry, folders, strings, keyNames, catalog};
    }
    // The program's administration (construction as at start-up).
    std::unique_ptr<CCmdSetAdmin> MakeAdmin() { return std::make_unique<CCmdSetAdmin>(Services()); }
    // An administration of the two files only.
    std::unique_ptr<CCmdSetAdmin> MakeFileAdmin() {
        return std::make_unique<CCmdSetAdmin>(Services(), CmdSetFiles{PresetPath(), UserPath()});
    }

    // What a fresh reader finds in a file.
    std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        CProfileStore fresh(NativeFileSystem());
        return fresh.GetString(file, section, key);
    }
    bool Has(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        CProfileStore fresh(NativeFileSystem());
        std::wstring value;
        return fresh.GetString(file, section, key, value);
    }
    std::vector<std::pair<std::wstring, std::wstring>> Section(const std::wstring& file,
                                                               const std::wstring& section) {
        CProfileStore fresh(NativeFileSystem());
        return fresh.GetSection(file, section, size_t(1) << 20);
    }

    // The value as it stands in the file (quotes kept).
    std::wstring Raw(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        for (auto& [k, v] : Section(file, section))
            if (CProfileStore::NamesMatch(k, key))
                return v;
        return L"<none>";
    }

    TempFolder temp;
    CProfileStore profiles{NativeFileSystem()};
    FakeRegistry registry;
    FakeKnownFolders folders;
    FakeStrings strings;
    CKeyNames keyNames;
    CAppCatalog catalog;
};

// A key line of the current layout.
inline std::wstring Line(int type, int subType, int param, int param2, int repeat, int delay, int rate,
                         const std::wstring& osd, const std::wstring& caption = std::wstring(),
                         const std::wstring& name = L"x") {
    return FormatBounded(1023, L"%3d,%3d,%5d,%3d,%3d,%3d,%3d,\"%ls\",\"%ls\",\"%ls\"", type, subType, param,
                         param2, repeat, delay, rate, osd.c_str(), caption.c_str(), name.c_str());
}

inline tagWINCMD Cmd(int type, int subType, int param, int param2, int repeat, int delay, int rate,
                     const std::wstring& osd = std::wstring(), const std::wstring& caption = std::wstring()) {
    tagWINCMD c;
    c.nType = type;
    c.nSubType = subType;
    c.nParam = param;
    c.nParam2 = param2;
    c.bRepeat = repeat;
    c.nRepeatDelay = delay;
    c.nRepeatRate = rate;
    CopyBounded(c.szOsdText, kCmdTextChars, osd);
    CopyBounded(c.szWndCaption, kCmdTextChars, caption);
    return c;
}

} // namespace lm::test
