// Command-set administration on the host file system in a fresh temporary folder, with the registry and
// the known folders of the test. The program lives in <temp>/prog, the user's data in <temp>/appdata.
#pragma once
#include "cmdset/CmdSetAdmin.h"
#include "cmdset/KeyLine.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStrings.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

namespace lm::test {

class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "lm_cmdset_XXXXXX").string();
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
    // Writes a file and its folders: bytes as they are, text as UTF-8 with a byte-order mark.
    void WriteBytes(const std::wstring& relative, const std::string& bytes) const {
        std::filesystem::path p(ToUtf8(Path(relative)));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    }
    void Write(const std::wstring& relative, const std::wstring& text) const {
        WriteBytes(relative, "\xEF\xBB\xBF" + ToUtf8(text));
    }
    void Touch(const std::wstring& relative) const { WriteBytes(relative, "MZ"); }
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

// The host file system, counting the looks at each file and what changes files (from any thread; the
// counters are for the test's own thread once the others are done).
class SpyFileSystem final : public IFileSystem {
public:
    tagFILEINFO GetInfo(const std::wstring& path) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++looks[path];
        }
        return fs.GetInfo(path);
    }
    bool ReadAll(const std::wstring& path, std::string& bytes) override { return fs.ReadAll(path, bytes); }
    bool WriteAtomic(const std::wstring& path, const std::string& bytes) override {
        Count(writes);
        return fs.WriteAtomic(path, bytes);
    }
    int RemoveLeftoverTemporaries(const std::wstring& path) override {
        return fs.RemoveLeftoverTemporaries(path);
    }
    bool SetReadOnly(const std::wstring& path, bool readOnly) override {
        Count(attributeChanges);
        return fs.SetReadOnly(path, readOnly);
    }
    bool Remove(const std::wstring& path) override { return fs.Remove(path); }
    bool Copy(const std::wstring& from, const std::wstring& to) override { return fs.Copy(from, to); }
    bool CreateDirectories(const std::wstring& path) override { return fs.CreateDirectories(path); }
    std::vector<std::wstring> List(const std::wstring& folder) override { return fs.List(folder); }

    IFileSystem& fs = NativeFileSystem();
    std::map<std::wstring, int> looks;
    int writes = 0;
    int attributeChanges = 0;

private:
    void Count(int& counter) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++counter;
    }
    std::mutex mutex_;
};

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

    tagCMDSETSERVICES Services() {
        return tagCMDSETSERVICES{profiles, registry, folders, strings, keyNames, catalog};
    }
    // The program's administration (construction as at start-up), or one of the two files only.
    std::unique_ptr<CCmdSetAdmin> MakeAdmin() { return std::make_unique<CCmdSetAdmin>(Services()); }
    std::unique_ptr<CCmdSetAdmin> MakeFileAdmin() {
        return std::make_unique<CCmdSetAdmin>(Services(), tagCMDSETFILES{PresetPath(), UserPath()});
    }

    // What a fresh reader finds in a file ("<none>" when missing); Raw keeps the value's quotes.
    std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        return CProfileStore(NativeFileSystem()).GetString(file, section, key, L"<none>");
    }
    ProfilePairs Section(const std::wstring& file, const std::wstring& section) {
        return CProfileStore(NativeFileSystem()).GetSection(file, section, size_t(1) << 20);
    }
    std::wstring Raw(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        for (auto& [k, v] : Section(file, section))
            if (CProfileStore::NamesMatch(k, key))
                return v;
        return L"<none>";
    }

    TempFolder temp;
    SpyFileSystem spy;
    CProfileStore profiles{spy};
    FakeRegistry registry;
    FakeKnownFolders folders;
    FakeStrings strings;
    CKeyNames keyNames;
    CAppCatalog catalog;
};

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
