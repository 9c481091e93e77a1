// The host file system in a fresh temporary folder.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>

namespace lm {
namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.Valid()); }
    std::vector<std::wstring> Names(const std::wstring& folder) {
        std::vector<std::wstring> names = fs.List(folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolder temp;
    IFileSystem& fs = NativeFileSystem();
};

TEST_F(PosixFileSystemTest, FilesAndFolders) {
    const std::wstring nested = temp.Path(L"Lumora/Remote/\u00C4");
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
    EXPECT_FALSE(fs.WriteAtomic(temp.Path(L"no such folder/x.ini"), "x"));
    EXPECT_FALSE(fs.WriteAtomic(nested, "x"));
}

TEST_F(PosixFileSystemTest, AtomicWriteReplacesOrLeavesTheOldFile) {
    const std::wstring file = temp.Path(L"a.ini");
    temp.WriteBytes(L"a.ini", "old contents");
    ASSERT_TRUE(fs.WriteAtomic(file, "new"));
    EXPECT_EQ(temp.ReadRaw(L"a.ini"), "new");
    EXPECT_EQ(fs.List(temp.Path()), std::vector<std::wstring>{L"a.ini"}); // no temporary file left

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
    EXPECT_EQ(temp.ReadRaw(L"a.ini"), "new");
    EXPECT_EQ(fs.List(temp.Path()), std::vector<std::wstring>{L"a.ini"});

    // A read-only file is not replaced and stays read-only.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_TRUE(fs.GetInfo(file).readOnly);
    EXPECT_FALSE(fs.WriteAtomic(file, "other"));
    EXPECT_EQ(temp.ReadRaw(L"a.ini"), "new");
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    EXPECT_TRUE(fs.WriteAtomic(file, "other"));
    EXPECT_FALSE(fs.SetReadOnly(temp.Path(L"missing"), true));

    // What writes that never finished left beside the file goes; nothing else does.
    for (const wchar_t* name :
         {L"a.ini.tmpX1b2Q9", L"a.ini.tmp123456", L"a.ini.tmp12345", L"b.ini.tmpX1b2Q9"})
        temp.WriteBytes(name, "left over");
    EXPECT_EQ(fs.RemoveLeftoverTemporaries(file), 2);
    EXPECT_EQ(Names(temp.Path()),
              (std::vector<std::wstring>{L"a.ini", L"a.ini.tmp12345", L"b.ini.tmpX1b2Q9"}));
}

} // namespace
} // namespace lm
