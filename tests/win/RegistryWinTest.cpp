// The registry, the file system and the system information of Windows, through the program's own
// classes, on the real system.
#include "platform/FileSystem.h"
#include "support/LMRegistry.h"
#include "support/LMSystemInfo.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace lm {
namespace {

// A key of its own below HKEY_CURRENT_USER, removed with everything in it afterwards.
class RegistryWinTest : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str()); }
    std::wstring base = L"Software\\Lumora Test\\Registry " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount());
    CLMRegistry reg{NativeRegistry(), RegistryHive::CurrentUser, base};
};

TEST_F(RegistryWinTest, WritesCreateMissingKeysAndReadsKeepTheDefaultWhenNothingFits) {
    EXPECT_EQ(reg.CountSubKeys(), -1);
    ASSERT_TRUE(reg.WriteDword(L"OSD On", 1, L"OSD"));
    ASSERT_TRUE(reg.WriteString(L"MIDI device", L"Keyboard", L"RC"));
    ASSERT_TRUE(reg.WriteString(L"Long", std::wstring(300, L'x')));
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (base + L"\\OSD").c_str(), L"OSD On", RRF_RT_ANY, &type, &value,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    uint32_t n = 0;
    std::wstring text;
    EXPECT_TRUE(reg.ReadDword(L"osd on", n, L"osd") && n == 1);
    EXPECT_TRUE(reg.ReadString(L"MIDI device", text, 260, L"RC") && text == L"Keyboard");
    bool existed = true;
    EXPECT_TRUE(NativeRegistry().CreateKey(RegistryHive::CurrentUser, base + L"\\New", &existed));
    EXPECT_FALSE(existed);
    EXPECT_TRUE(NativeRegistry().CreateKey(RegistryHive::CurrentUser, base + L"\\New", &existed));
    EXPECT_TRUE(existed);
    auto subKeys = NativeRegistry().ListSubKeys(RegistryHive::CurrentUser, base);
    std::sort(subKeys.begin(), subKeys.end());
    EXPECT_EQ(subKeys, (std::vector<std::wstring>{L"New", L"OSD", L"RC"}));
    EXPECT_EQ(reg.CountSubKeys(), 3);
    EXPECT_TRUE(NativeRegistry().DeleteValue(RegistryHive::CurrentUser, base + L"\\RC", L"MIDI device"));
    EXPECT_FALSE(reg.ReadString(L"MIDI device", text, 260, L"RC"));

    // Too long for the buffer, or a number: the default stays. A value stored without its terminating
    // zero by another program reads as its text.
    wchar_t buffer[260] = L"default";
    EXPECT_FALSE(reg.ReadString(L"Long", buffer, 260));
    EXPECT_FALSE(reg.ReadString(L"Long", text, 260));
    EXPECT_STREQ(buffer, L"default");
    const wchar_t raw[] = {L'a', L'b', L'c'};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, base.c_str(), L"Raw", REG_SZ, raw, sizeof raw),
              ERROR_SUCCESS);
    EXPECT_TRUE(reg.ReadString(L"Raw", buffer, 260));
    EXPECT_FALSE(reg.ReadString(L"OSD On", buffer, 260, L"OSD"));
    EXPECT_STREQ(buffer, L"abc");
    // Counting the sub-keys of a missing key gives -1, in either hive.
    CLMRegistry missing(NativeRegistry(), RegistryHive::LocalMachine, base + L"\\Missing");
    EXPECT_EQ(missing.CountSubKeys(), -1);
    missing.SetRootKey(RegistryHive::CurrentUser);
    EXPECT_EQ(missing.CountSubKeys(), -1);
    EXPECT_GT(CLMRegistry(NativeRegistry(), RegistryHive::LocalMachine, L"Software").CountSubKeys(), 0);
}

TEST(FileSystemWinTest, AtomicWriteReplacesOrKeepsTheOldFile) {
    IFileSystem& fs = NativeFileSystem();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"lmtest-fs-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring file = dir + L"\\RemoteControl.usr";
    ASSERT_TRUE(fs.CreateDirectories(dir + L"\\sub\\deeper"));
    EXPECT_TRUE(fs.GetInfo(dir + L"\\sub\\deeper").directory);
    auto read = [&] {
        std::string bytes;
        fs.ReadAll(file, bytes);
        return bytes;
    };
    ASSERT_TRUE(fs.WriteAtomic(file, "old"));
    ASSERT_TRUE(fs.WriteAtomic(file, std::string("new\0data", 8)));
    EXPECT_EQ(read(), std::string("new\0data", 8));
    EXPECT_EQ(fs.GetInfo(file).size, 8u);
    EXPECT_EQ(fs.List(dir).size(), 2u); // the file and "sub": no temporary file is left
    // While another program holds the file open without sharing its deletion, the rename fails: the
    // old contents stay and the temporary file goes.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs.WriteAtomic(file, "blocked"));
    CloseHandle(h);
    EXPECT_EQ(read(), std::string("new\0data", 8));
    EXPECT_EQ(fs.List(dir).size(), 2u);
    // Read-only files are not written; the hidden attribute survives a write.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_TRUE(fs.GetInfo(file).readOnly);
    EXPECT_FALSE(fs.WriteAtomic(file, "x"));
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(fs.WriteAtomic(file, "y"));
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(fs.WriteAtomic(dir + L"\\missing\\x.ini", "x"));
    ASSERT_TRUE(fs.Copy(file, dir + L"\\copy.usr"));
    EXPECT_TRUE(fs.Remove(dir + L"\\copy.usr"));
    EXPECT_FALSE(fs.GetInfo(dir + L"\\copy.usr").exists);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
    RemoveDirectoryW((dir + L"\\sub\\deeper").c_str());
    RemoveDirectoryW((dir + L"\\sub").c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(SystemInfoWinTest, DescribesTheRunningSystem) {
    CLMSystemInfo info(NativeSystemInfo(), NativeRegistry());
    std::wstring windows, directX, wave;
    ASSERT_TRUE(info.GetWindowsVersion(windows));
    EXPECT_TRUE(windows.rfind(L"Windows ", 0) == 0 || windows.rfind(L"Microsoft Windows ", 0) == 0)
        << windows;
    EXPECT_NE(windows.find(L"(Build "), std::wstring::npos);
    // The true version, not the one a program without a manifest is told.
    OsVersion v = NativeSystemInfo().GetOsVersion();
    EXPECT_TRUE(v.known && v.extended && v.platformId == kPlatformNT);
    EXPECT_TRUE(info.GetWaveMapperDevice(wave) && !wave.empty());
    bool dx = info.GetDirectXVersion(directX);
    const std::wstring version = info.GetFileVersion(L"kernel32.dll");
    EXPECT_NE(version, L"unknown");
    EXPECT_EQ(info.GetFileVersion(L"C:\\no\\such\\module.dll"), L"unknown");
    std::printf("Windows:  %ls\nDirectX:  %ls\nWave:     %ls\nkernel32: %ls\nAdmin:    %d\n", windows.c_str(),
                dx ? directX.c_str() : L"(none)", wave.c_str(), version.c_str(),
                info.IsAdministrator() ? 1 : 0);
}

} // namespace
} // namespace lm
