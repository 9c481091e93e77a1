// The registry, the program's settings in it, the file system and the system information of Windows,
// through the program's own classes, on the real system.
#include "WinTestSupport.h"

#include "app/Settings.h"
#include "platform/FileSystem.h"
#include "support/LMRegistry.h"
#include "support/LMSystemInfo.h"

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

// The settings below a key of their own in both hives. The Run key is the real one of the test's
// user; the program's entries are removed from it afterwards.
class SettingsWinTest : public RegistryWinTest {
protected:
    struct FirstRun : IFirstRun {
        void AutoFindApps() override { ++calls; }
        int calls = 0;
    };
    void SetUp() override {
        RegistryWinTest::SetUp();
        reg.SetBaseKey(base);
    }
    void TearDown() override {
        RegistryWinTest::TearDown();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, base.c_str());
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const wchar_t* name : {CSettings::kAutostartValue, CSettings::kOldAutostartValue})
                RegDeleteKeyValueW(root, CSettings::kRunKey, name);
    }
    // A value of any type and size, as another program or a hand edit may leave it.
    void Raw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
             DWORD size) {
        EXPECT_EQ(RegSetKeyValueW(root, key.c_str(), name, type, data, size), ERROR_SUCCESS);
    }
    DWORD Type(const std::wstring& key, const wchar_t* name) {
        DWORD type = REG_NONE;
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, &type, nullptr, nullptr);
        return type;
    }
    std::vector<std::wstring> RunValues() {
        std::vector<std::wstring> names;
        HKEY k = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, CSettings::kRunKey, 0, KEY_READ, &k);
        wchar_t name[16384];
        for (DWORD i = 0, n = 16384;
             k && RegEnumValueW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) == 0; ++i, n = 16384)
            names.emplace_back(name, n);
        RegCloseKey(k);
        std::sort(names.begin(), names.end());
        return names;
    }
    CLMRegistry reg{NativeRegistry()};
    FirstRun firstRun;
    CSettings settings{reg, firstRun, L"C:\\Program Files\\Lumora\\RemoteControl.exe"};
};

TEST_F(SettingsWinTest, AFirstRunWritesEveryValueAndKeepsOneAutostartEntry) {
    std::vector<std::wstring> run = RunValues();
    const DWORD zero = 0;
    Raw(HKEY_LOCAL_MACHINE, base, L"Autostart", REG_DWORD, &zero, sizeof zero); // the machine's default only
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        Raw(root, CSettings::kRunKey, CSettings::kOldAutostartValue, REG_SZ, L"old.exe", 16);
    settings.SettingsLoad();
    EXPECT_EQ(firstRun.calls, 1);
    for (const wchar_t* name :
         {L"RC Layout Version", L"Autostart", L"Disable sound", L"Hidden", L"Exclusive"})
        EXPECT_EQ(Type(base, name), DWORD(REG_DWORD)) << name;
    for (const wchar_t* name : {L"OSD On", L"OSD Time", L"OSD Text Color", L"OSD Background Color",
                                L"OSD Gradient Color", L"OSD Use Gradient"})
        EXPECT_EQ(Type(base + L"\\OSD", name), DWORD(REG_DWORD)) << name;
    EXPECT_EQ(Type(base + L"\\RC", L"Selection"), DWORD(REG_DWORD));
    EXPECT_EQ(Type(base + L"\\RC", L"Vistar: Disable Key 0"), DWORD(REG_DWORD));
    EXPECT_EQ(Type(base, L"Exclusive Application"), DWORD(REG_SZ));
    EXPECT_EQ(Type(base + L"\\RC", L"MIDI device"), DWORD(REG_SZ));
    uint32_t autostart = 1;
    EXPECT_TRUE(reg.ReadDword(L"Autostart", autostart));
    EXPECT_EQ(autostart, 0u);
    EXPECT_EQ(RunValues(), run); // the old entry gone, none of ours

    tagSETTINGS s = settings.Get();
    s.autostart = 1;
    settings.Set(s);
    settings.SettingsSave();
    run.push_back(CSettings::kAutostartValue);
    std::sort(run.begin(), run.end());
    EXPECT_EQ(RunValues(), run);
    std::wstring command;
    CLMRegistry runKey(NativeRegistry(), RegistryHive::CurrentUser, CSettings::kRunKey);
    EXPECT_TRUE(runKey.ReadString(CSettings::kAutostartValue, command, 300));
    EXPECT_EQ(command, L"\"C:\\Program Files\\Lumora\\RemoteControl.exe\"");
}

TEST_F(SettingsWinTest, ValuesOfTheWrongTypeOrSizeLeaveTheDefaults) {
    const std::wstring osd = base + L"\\OSD", rc = base + L"\\RC";
    const BYTE three[3] = {5, 0, 0};
    const DWORD zero = 0;
    const uint64_t wide = 7;
    Raw(HKEY_CURRENT_USER, osd, L"OSD On", REG_SZ, L"0", 4);
    Raw(HKEY_CURRENT_USER, osd, L"OSD Time", REG_BINARY, three, sizeof three);
    Raw(HKEY_CURRENT_USER, osd, L"OSD Text Color", REG_DWORD, three, sizeof three);
    Raw(HKEY_CURRENT_USER, osd, L"OSD Background Color", REG_QWORD, &wide, sizeof wide);
    Raw(HKEY_CURRENT_USER, osd, L"OSD Use Gradient", REG_BINARY, &zero, sizeof zero);
    Raw(HKEY_CURRENT_USER, base, L"Hidden", REG_MULTI_SZ, L"1\0", 6);
    // A text without its terminating zero reads as the text; one too long for its field is not read.
    Raw(HKEY_CURRENT_USER, base, L"Exclusive Application", REG_SZ, L"Media", 10);
    const std::wstring midi(CSettings::kMidiDeviceChars, L'm');
    Raw(HKEY_CURRENT_USER, rc, L"MIDI device", REG_SZ, midi.data(), static_cast<DWORD>(midi.size() * 2));
    settings.SettingsLoad();
    tagSETTINGS expected;
    expected.exclusiveApplication = L"Media";
    EXPECT_EQ(settings.Get(), expected);
    EXPECT_EQ(Type(osd, L"OSD Time"), DWORD(REG_DWORD)); // saved again in its own type
}

TEST(FileSystemWinTest, AtomicWriteReplacesOrKeepsTheOldFile) {
    IFileSystem& fs = NativeFileSystem();
    const std::wstring dir = wintest::NewTempDir(L"fs");
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
}

TEST(SystemInfoWinTest, DescribesTheRunningSystem) {
    CLMSystemInfo info(NativeSystemInfo(), NativeRegistry());
    std::wstring windows, directX, wave;
    ASSERT_TRUE(info.GetWindowsVersion(windows));
    EXPECT_TRUE(windows.rfind(L"Windows ", 0) == 0 || windows.rfind(L"Microsoft Windows ", 0) == 0)
        << windows;
    EXPECT_NE(windows.find(L"(Build "), std::wstring::npos);
    // The true version, not the one a program without a manifest is told.
    tagOSVERSION v = NativeSystemInfo().GetOsVersion();
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
