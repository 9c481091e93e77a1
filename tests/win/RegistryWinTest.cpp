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
    void SetUp() override {
        base = L"Software\\Lumora Test\\Registry " + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str()); }
    std::wstring base;
};

TEST_F(RegistryWinTest, WritingBelowAMissingSubKeyCreatesIt) {
    CLMRegistry reg(NativeRegistry(), RegistryHive::CurrentUser, base);
    EXPECT_EQ(reg.CountSubKeys(), -1);
    ASSERT_TRUE(reg.WriteDword(L"OSD On", 1, L"OSD"));
    ASSERT_TRUE(reg.WriteString(L"MIDI device", L"Keyboard", L"RC"));
    EXPECT_EQ(reg.CountSubKeys(), 2);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (base + L"\\OSD").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, L"OSD On", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    RegCloseKey(key);

    uint32_t n = 0;
    EXPECT_TRUE(reg.ReadDword(L"osd on", n, L"osd"));
    EXPECT_EQ(n, 1u);
    std::wstring text;
    EXPECT_TRUE(reg.ReadString(L"MIDI device", text, 260, L"RC"));
    EXPECT_EQ(text, L"Keyboard");
    bool existed = true;
    EXPECT_TRUE(NativeRegistry().CreateKey(RegistryHive::CurrentUser, base + L"\\New", &existed));
    EXPECT_FALSE(existed);
    EXPECT_TRUE(NativeRegistry().CreateKey(RegistryHive::CurrentUser, base + L"\\New", &existed));
    EXPECT_TRUE(existed);
    auto subKeys = NativeRegistry().ListSubKeys(RegistryHive::CurrentUser, base);
    std::sort(subKeys.begin(), subKeys.end());
    EXPECT_EQ(subKeys, (std::vector<std::wstring>{L"New", L"OSD", L"RC"}));
    EXPECT_TRUE(NativeRegistry().DeleteValue(RegistryHive::CurrentUser, base + L"\\RC", L"MIDI device"));
    EXPECT_FALSE(reg.ReadString(L"MIDI device", text, 260, L"RC"));
}

TEST_F(RegistryWinTest, ATooLongValueLeavesTheDefault) {
    CLMRegistry reg(NativeRegistry(), RegistryHive::CurrentUser, base);
    ASSERT_TRUE(reg.WriteString(L"Long", std::wstring(300, L'x')));
    wchar_t buffer[260] = L"default";
    EXPECT_FALSE(reg.ReadString(L"Long", buffer, 260));
    EXPECT_STREQ(buffer, L"default");
    std::wstring text = L"default";
    EXPECT_FALSE(reg.ReadString(L"Long", text, 260));
    EXPECT_EQ(text, L"default");

    // A value stored without its terminating zero by another program reads as its text.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, base.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const wchar_t raw[] = {L'a', L'b', L'c'};
    ASSERT_EQ(RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw),
              ERROR_SUCCESS);
    const DWORD number = 5;
    ASSERT_EQ(
        RegSetValueExW(key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(reg.ReadString(L"Raw", buffer, 260));
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_FALSE(reg.ReadString(L"Number", buffer, 260));
    EXPECT_STREQ(buffer, L"abc");
}

TEST_F(RegistryWinTest, CountingSubKeysOfAMissingKeyGivesMinusOne) {
    CLMRegistry reg(NativeRegistry(), RegistryHive::LocalMachine, base + L"\\Missing");
    EXPECT_EQ(reg.CountSubKeys(), -1);
    reg.SetRootKey(RegistryHive::CurrentUser);
    EXPECT_EQ(reg.CountSubKeys(), -1);
    CLMRegistry software(NativeRegistry(), RegistryHive::LocalMachine, L"Software");
    EXPECT_GT(software.CountSubKeys(), 0);
}

// A fresh folder below the temporary folder, removed afterwards with the files in it.
class FileSystemWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = std::wstring(temp) + L"lmtest-fs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount());
        ASSERT_TRUE(fs.CreateDirectories(dir + L"\\sub\\deeper"));
    }
    void TearDown() override {
        for (const auto& name : fs.List(dir)) {
            std::wstring path = dir + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW((dir + L"\\sub\\deeper").c_str());
        RemoveDirectoryW((dir + L"\\sub").c_str());
        RemoveDirectoryW(dir.c_str());
    }
    std::string Read(const std::wstring& path) {
        std::string bytes;
        fs.ReadAll(path, bytes);
        return bytes;
    }
    IFileSystem& fs = NativeFileSystem();
    std::wstring dir;
};

TEST_F(FileSystemWinTest, AtomicWriteReplacesOrKeepsTheOldFile) {
    const std::wstring file = dir + L"\\RemoteControl.usr";
    EXPECT_TRUE(fs.GetInfo(dir + L"\\sub\\deeper").directory);
    ASSERT_TRUE(fs.WriteAtomic(file, "old"));
    ASSERT_TRUE(fs.WriteAtomic(file, std::string("new\0data", 8)));
    EXPECT_EQ(Read(file), std::string("new\0data", 8));
    FileInfo info = fs.GetInfo(file);
    EXPECT_TRUE(info.exists);
    EXPECT_EQ(info.size, 8u);
    EXPECT_EQ(fs.List(dir).size(), 2u); // the file and "sub": no temporary file is left

    // While another program holds the file open without sharing its deletion, the rename fails: the
    // old contents stay and the temporary file goes.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    bool written = fs.WriteAtomic(file, "blocked");
    CloseHandle(h);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read(file), std::string("new\0data", 8));
    EXPECT_EQ(fs.List(dir).size(), 2u);

    // Read-only files are not written; the attribute survives a normal write too.
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    EXPECT_TRUE(fs.GetInfo(file).readOnly);
    EXPECT_FALSE(fs.WriteAtomic(file, "x"));
    EXPECT_EQ(Read(file), std::string("new\0data", 8));
    ASSERT_TRUE(fs.SetReadOnly(file, false));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(fs.WriteAtomic(file, "y"));
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(fs.WriteAtomic(dir + L"\\missing\\x.ini", "x"));

    ASSERT_TRUE(fs.Copy(file, dir + L"\\copy.usr"));
    EXPECT_EQ(Read(dir + L"\\copy.usr"), "y");
    EXPECT_TRUE(fs.Remove(dir + L"\\copy.usr"));
    EXPECT_FALSE(fs.GetInfo(dir + L"\\copy.usr").exists);
}

TEST(SystemInfoWinTest, DescribesTheRunningSystem) {
    CLMSystemInfo info(NativeSystemInfo(), NativeRegistry());
    std::wstring windows, directX, wave;
    ASSERT_TRUE(info.GetWindowsVersion(windows));
    EXPECT_TRUE(windows.rfind(L"Windows ", 0) == 0 || windows.rfind(L"Microsoft Windows ", 0) == 0)
        << windows;
    EXPECT_NE(windows.find(L"(Build "), std::wstring::npos);
    EXPECT_LT(windows.size(), CLMSystemInfo::kTextChars);
    // The true version, not the one a program without a manifest is told.
    OsVersion v = NativeSystemInfo().GetOsVersion();
    EXPECT_TRUE(v.known && v.extended);
    EXPECT_EQ(v.platformId, kPlatformNT);
    EXPECT_TRUE(info.GetWaveMapperDevice(wave));
    EXPECT_FALSE(wave.empty());
    bool dx = info.GetDirectXVersion(directX);
    std::wstring version = info.GetFileVersion(L"kernel32.dll");
    EXPECT_NE(version, L"unknown");
    EXPECT_EQ(info.GetFileVersion(L"C:\\no\\such\\module.dll"), L"unknown");
    std::printf("Windows:  %ls\nDirectX:  %ls\nWave:     %ls\nkernel32: %ls\nAdmin:    %d\n", windows.c_str(),
                dx ? directX.c_str() : L"(none)", wave.c_str(), version.c_str(),
                info.IsAdministrator() ? 1 : 0);
}

} // namespace
} // namespace lm
