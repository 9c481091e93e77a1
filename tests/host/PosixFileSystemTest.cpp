// The host file system and the profile store on it, in a fresh temporary folder.
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace lm {
namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "lm_fs_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::wstring Path(const std::wstring& name) const { return PathJoin(FromUtf8(dir), name); }
    std::string ReadRaw(const std::wstring& name) const {
        std::ifstream in(ToUtf8(Path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteRaw(const std::wstring& name, const std::string& bytes) const {
        std::ofstream(ToUtf8(Path(name)), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::vector<std::wstring> Names(const std::wstring& folder) {
        std::vector<std::wstring> names = fs.List(folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    IFileSystem& fs = NativeFileSystem();
    std::string dir;
};

TEST_F(PosixFileSystemTest, FilesAndFolders) {
    const std::wstring nested = Path(L"Lumora/Remote/\u00C4");
    ASSERT_TRUE(fs.CreateDirectories(nested));
    EXPECT_TRUE(fs.CreateDirectories(nested + L"/")); // already there
    EXPECT_TRUE(fs.GetInfo(nested).directory);

    const std::wstring file = nested + L"/RemoteControl.usr";
    std::string bytes;
    EXPECT_FALSE(fs.GetInfo(file).exists);
    EXPECT_FALSE(fs.ReadAll(file, bytes));
    ASSERT_TRUE(fs.WriteAtomic(file, std::string("a\0b", 3)));
    tagFILEINFO info = fs.GetInfo(file);
    EXPECT_TRUE(info.exists && !info.directory && !info.readOnly);
    EXPECT_EQ(info.size, 3u);
    ASSERT_TRUE(fs.ReadAll(file, bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));

    ASSERT_TRUE(fs.Copy(file, nested + L"/copy.usr"));
    EXPECT_EQ(Names(nested), (std::vector<std::wstring>{L"RemoteControl.usr", L"copy.usr"}));
    EXPECT_TRUE(fs.Remove(nested + L"/copy.usr"));
    EXPECT_FALSE(fs.Remove(nested + L"/copy.usr"));
    EXPECT_FALSE(fs.ReadAll(nested, bytes));
    EXPECT_FALSE(fs.WriteAtomic(Path(L"no such folder/x.ini"), "x"));
    EXPECT_FALSE(fs.WriteAtomic(nested, "x"));
}

TEST_F(PosixFileSystemTest, AtomicWriteReplacesOrLeavesTheOldFile) {
    const std::wstring file = Path(L"a.ini");
    WriteRaw(L"a.ini", "old contents");
    ASSERT_TRUE(fs.WriteAtomic(file, "new"));
    EXPECT_EQ(ReadRaw(L"a.ini"), "new");
    EXPECT_EQ(fs.List(FromUtf8(dir)), std::vector<std::wstring>{L"a.ini"}); // no temporary file left

    // A write that fails half-way (here: the file size limit) leaves the old file and no trace.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = fs.WriteAtomic(file, std::string(1 << 20, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadRaw(L"a.ini"), "new");
    EXPECT_EQ(fs.List(FromUtf8(dir)), std::vector<std::wstring>{L"a.ini"});

    // A read-only file is not replaced and stays read-only.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_TRUE(fs.GetInfo(file).readOnly);
    EXPECT_FALSE(fs.WriteAtomic(file, "other"));
    EXPECT_EQ(ReadRaw(L"a.ini"), "new");
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    EXPECT_TRUE(fs.WriteAtomic(file, "other"));
    EXPECT_FALSE(fs.SetReadOnly(Path(L"missing"), true));

    // What writes that never finished left beside the file goes; nothing else does.
    for (const wchar_t* name :
         {L"a.ini.tmpX1b2Q9", L"a.ini.tmp123456", L"a.ini.tmp12345", L"b.ini.tmpX1b2Q9"})
        WriteRaw(name, "left over");
    EXPECT_EQ(fs.RemoveLeftoverTemporaries(file), 2);
    EXPECT_EQ(Names(FromUtf8(dir)),
              (std::vector<std::wstring>{L"a.ini", L"a.ini.tmp12345", L"b.ini.tmpX1b2Q9"}));
}

TEST_F(PosixFileSystemTest, ProfileStoreSeesOtherWritersAndReadOnlyFiles) {
    CProfileStore store(fs);
    const std::wstring file = Path(L"RemoteControl.usr");
    ASSERT_TRUE(store.WriteString(file, L"Software", L"1", L"Player"));
    EXPECT_EQ(ReadRaw(L"RemoteControl.usr").substr(0, 4), std::string("\xFF\xFE[\0", 4));
    // Another program rewrites the file at once: the next read takes the new contents.
    WriteRaw(L"RemoteControl.usr", "[Software]\r\n1=Changed outside\r\n");
    EXPECT_EQ(store.GetString(file, L"Software", L"1"), L"Changed outside");
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_FALSE(store.WriteString(file, L"Software", L"1", L"x"));
    EXPECT_EQ(ReadRaw(L"RemoteControl.usr"), "[Software]\r\n1=Changed outside\r\n");
}

} // namespace
} // namespace lm
