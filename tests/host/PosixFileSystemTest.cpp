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
        wdir = FromUtf8(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir, ec);
    }
    std::wstring Path(const std::wstring& name) const { return PathJoin(wdir, name); }
    std::string ReadRaw(const std::wstring& name) const {
        std::ifstream in(ToUtf8(Path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteRaw(const std::wstring& name, const std::string& bytes) const {
        std::ofstream(ToUtf8(Path(name)), std::ios::binary | std::ios::trunc) << bytes;
    }

    IFileSystem& fs = NativeFileSystem();
    std::string dir;
    std::wstring wdir;
};

TEST_F(PosixFileSystemTest, FilesAndFolders) {
    const std::wstring nested = Path(L"Lumora/Remote/\u00C4");
    ASSERT_TRUE(fs.CreateDirectories(nested));
    EXPECT_TRUE(fs.CreateDirectories(nested + L"/")); // already there
    EXPECT_TRUE(fs.GetInfo(nested).directory);

    const std::wstring file = nested + L"/RemoteControl.usr";
    EXPECT_FALSE(fs.GetInfo(file).exists);
    std::string bytes;
    EXPECT_FALSE(fs.ReadAll(file, bytes));
    ASSERT_TRUE(fs.WriteAtomic(file, std::string("a\0b", 3)));
    FileInfo info = fs.GetInfo(file);
    EXPECT_TRUE(info.exists);
    EXPECT_FALSE(info.directory);
    EXPECT_FALSE(info.readOnly);
    EXPECT_EQ(info.size, 3u);
    ASSERT_TRUE(fs.ReadAll(file, bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));

    ASSERT_TRUE(fs.Copy(file, nested + L"/copy.usr"));
    auto names = fs.List(nested);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"RemoteControl.usr", L"copy.usr"}));
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
    EXPECT_EQ(fs.List(wdir), std::vector<std::wstring>{L"a.ini"}); // no temporary file left

    // A write that fails half-way (here: the file size limit) leaves the old file and no trace.
    std::string big(1 << 20, 'x');
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = fs.WriteAtomic(file, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadRaw(L"a.ini"), "new");
    EXPECT_EQ(fs.List(wdir), std::vector<std::wstring>{L"a.ini"});

    // A read-only file is not replaced and stays read-only.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_TRUE(fs.GetInfo(file).readOnly);
    EXPECT_FALSE(fs.WriteAtomic(file, "other"));
    EXPECT_EQ(ReadRaw(L"a.ini"), "new");
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    EXPECT_FALSE(fs.GetInfo(file).readOnly);
    EXPECT_TRUE(fs.WriteAtomic(file, "other"));
    EXPECT_FALSE(fs.SetReadOnly(Path(L"missing"), true));
}

TEST_F(PosixFileSystemTest, ProfileStoreOnDisk) {
    CProfileStore store(fs);
    const std::wstring file = Path(L"RemoteControl.usr");
    ASSERT_TRUE(store.WriteString(file, L"Software", L"0", L"Windows (Standard)"));
    ASSERT_TRUE(store.WriteString(file, L"Software", L"1", L"Player"));
    EXPECT_EQ(ReadRaw(L"RemoteControl.usr").substr(0, 4), std::string("\xFF\xFE[\0", 4));
    // A second store sees what the first wrote.
    CProfileStore other(fs);
    EXPECT_EQ(other.GetString(file, L"software", L"1"), L"Player");

    // Another program rewrites the file: the next read takes the new contents.
    WriteRaw(L"RemoteControl.usr", "[Software]\r\n1=Changed outside\r\n");
    EXPECT_EQ(store.GetString(file, L"Software", L"1"), L"Changed outside");
    EXPECT_EQ(store.GetString(file, L"Software", L"0", L"gone"), L"gone");

    // Read-only: the write fails and the file is unchanged.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_FALSE(store.WriteString(file, L"Software", L"1", L"x"));
    EXPECT_FALSE(store.DeleteSection(file, L"Software"));
    EXPECT_EQ(ReadRaw(L"RemoteControl.usr"), "[Software]\r\n1=Changed outside\r\n");
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    EXPECT_TRUE(store.WriteString(file, L"Software", L"1", L"x"));
    EXPECT_EQ(ReadRaw(L"RemoteControl.usr"), "[Software]\r\n1=x\r\n");
}

} // namespace
} // namespace lm
