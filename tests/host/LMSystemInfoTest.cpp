#include "support/LMSystemInfo.h"

#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemInfo.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

class LMSystemInfoTest : public ::testing::Test {
protected:
    static OsVersion Nt(uint32_t major, uint32_t minor, uint32_t build, uint8_t type = kProductWorkstation,
                        uint16_t suite = 0, const wchar_t* sp = L"") {
        OsVersion v;
        v.known = v.extended = true;
        v.platformId = kPlatformNT;
        v.major = major;
        v.minor = minor;
        v.build = build;
        v.productType = type;
        v.suiteMask = suite;
        v.servicePack = sp;
        v.processorArchitecture = kArchAMD64;
        return v;
    }
    std::wstring Text(const OsVersion& v) { return info.WindowsVersionText(v); }

    test::FakeSystemInfo sys;
    test::FakeRegistry reg;
    CLMSystemInfo info{sys, reg};
};

TEST_F(LMSystemInfoTest, NamesCurrentSystemsByTheirTrueVersion) {
    EXPECT_EQ(Text(Nt(10, 0, 22631)), L"Windows 11 Professional (Build 22631)");
    EXPECT_EQ(Text(Nt(10, 0, 22000, kProductWorkstation, kSuitePersonal)),
              L"Windows 11 Home Edition (Build 22000)");
    EXPECT_EQ(Text(Nt(10, 0, 21999)), L"Windows 10 Professional (Build 21999)");
    EXPECT_EQ(Text(Nt(6, 3, 9600)), L"Windows 8.1 Professional (Build 9600)");
    EXPECT_EQ(Text(Nt(6, 2, 9200)), L"Windows 8 Professional (Build 9200)");
    EXPECT_EQ(Text(Nt(6, 1, 7601, kProductWorkstation, 0, L"Service Pack 1")),
              L"Windows 7 Professional Service Pack 1 (Build 7601)");
    EXPECT_EQ(Text(Nt(6, 0, 6002, kProductWorkstation, kSuitePersonal, L"Service Pack 2")),
              L"Windows Vista Home Edition Service Pack 2 (Build 6002)");

    EXPECT_EQ(Text(Nt(10, 0, 26100, kProductServer)), L"Windows Server 2025 Standard Edition (Build 26100)");
    EXPECT_EQ(Text(Nt(10, 0, 20348, kProductServer, kSuiteDatacenter)),
              L"Windows Server 2022 Datacenter Edition (Build 20348)");
    EXPECT_EQ(Text(Nt(10, 0, 17763, kProductDomainController, kSuiteEnterprise)),
              L"Windows Server 2019 Enterprise Edition (Build 17763)");
    EXPECT_EQ(Text(Nt(10, 0, 14393, kProductServer)), L"Windows Server 2016 Standard Edition (Build 14393)");
    EXPECT_EQ(Text(Nt(6, 3, 9600, kProductServer)), L"Windows Server 2012 R2 Standard Edition (Build 9600)");
    EXPECT_EQ(Text(Nt(6, 1, 7601, kProductServer, kSuiteBlade)),
              L"Windows Server 2008 R2 Web Edition (Build 7601)");
    EXPECT_EQ(Text(Nt(6, 0, 6001, kProductServer, kSuiteEnterprise, L"Service Pack 1")),
              L"Windows Server \"Longhorn\" Enterprise Edition Service Pack 1 (Build 6001)");

    // Later metrics of the special editions do not rename a current system.
    OsVersion ten = Nt(10, 0, 19045);
    ten.mediaCenter = ten.tabletPc = ten.starter = true;
    EXPECT_EQ(Text(ten), L"Windows 10 Professional (Build 19045)");
}

TEST_F(LMSystemInfoTest, NamesOlderSystemsAsTheirEditionTable) {
    OsVersion xp = Nt(5, 1, 2600, kProductWorkstation, 0, L"Service Pack 3");
    xp.processorArchitecture = kArchX86;
    EXPECT_EQ(Text(xp), L"Microsoft Windows XP Professional Service Pack 3 (Build 2600)");
    xp.mediaCenter = true;
    EXPECT_EQ(Text(xp), L"Microsoft Windows XP Media Center Edition Service Pack 3 (Build 2600)");
    xp.tabletPc = true;
    EXPECT_EQ(Text(xp), L"Microsoft Windows XP Tablet PC Edition Service Pack 3 (Build 2600)");

    EXPECT_EQ(Text(Nt(5, 2, 3790, kProductWorkstation, 0, L"Service Pack 2")),
              L"Microsoft Windows XP Professional x64 Edition Service Pack 2 (Build 3790)");
    OsVersion r2 = Nt(5, 2, 3790, kProductServer, kSuiteDatacenter);
    r2.serverR2 = true;
    r2.processorArchitecture = kArchIA64;
    EXPECT_EQ(
        Text(r2),
        L"Microsoft Windows Server 2003 \"R2\" Datacenter Edition for Itanium-based Systems (Build 3790)");
    EXPECT_EQ(Text(Nt(5, 2, 3790, kProductServer, kSuiteEnterprise)),
              L"Microsoft Windows Server 2003, Enterprise x64 Edition (Build 3790)");
    OsVersion web = Nt(5, 2, 3790, kProductServer, kSuiteBlade);
    web.processorArchitecture = kArchX86;
    EXPECT_EQ(Text(web), L"Microsoft Windows Server 2003, Web Edition (Build 3790)");
    EXPECT_EQ(Text(Nt(5, 0, 2195, kProductServer, kSuiteEnterprise, L"Service Pack 4")),
              L"Microsoft Windows 2000 Advanced Server Service Pack 4 (Build 2195)");
    EXPECT_EQ(Text(Nt(4, 0, 1381, kProductWorkstation)),
              L"Microsoft Windows NT Workstation 4.0 (Build 1381)");

    // Without the extended record the product type comes from the registry; Service Pack 6 with the
    // hot fix is 6a.
    OsVersion nt4 = Nt(4, 0, 1381, kProductWorkstation, 0, L"Service Pack 6");
    nt4.extended = false;
    reg.SetString(RegistryHive::LocalMachine, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                  L"ProductType", L"LanmanNT");
    EXPECT_EQ(Text(nt4), L"Microsoft Windows NT Server 4.0 Service Pack 6 (Build 1381)");
    reg.CreateKey(RegistryHive::LocalMachine,
                  L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
    EXPECT_EQ(Text(nt4), L"Microsoft Windows NT Server 4.0 Service Pack 6a (Build 1381)");

    OsVersion w9x;
    w9x.known = true;
    w9x.platformId = kPlatformWindows9x;
    w9x.major = 4;
    w9x.minor = 0;
    w9x.servicePack = L" C";
    EXPECT_EQ(Text(w9x), L"Microsoft Windows 95 OSR2");
    w9x.minor = 10;
    w9x.servicePack = L" A ";
    EXPECT_EQ(Text(w9x), L"Microsoft Windows 98 SE");
    w9x.servicePack = L"";
    EXPECT_EQ(Text(w9x), L"Microsoft Windows 98");
    w9x.minor = 90;
    EXPECT_EQ(Text(w9x), L"Microsoft Windows Millennium Edition");
    w9x.platformId = kPlatformWin32s;
    EXPECT_EQ(Text(w9x), L"Microsoft Win32s");

    // The build is the low word, as Windows 95 put more into the number.
    OsVersion high = Nt(5, 1, 0x0A280A28, kProductWorkstation);
    high.processorArchitecture = kArchX86;
    EXPECT_EQ(Text(high), L"Microsoft Windows XP Professional (Build 2600)");

    std::wstring text = L"kept";
    EXPECT_FALSE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"kept");
    sys.os = Nt(10, 0, 19045);
    EXPECT_TRUE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"Windows 10 Professional (Build 19045)");
    sys.os.servicePack = std::wstring(400, L'S');
    ASSERT_TRUE(info.GetWindowsVersion(text));
    EXPECT_EQ(text.size(), 255u);
}

TEST_F(LMSystemInfoTest, DirectXFromDiagnosticsModulesOrRegistry) {
    std::wstring text;
    sys.os = Nt(10, 0, 19045);
    sys.dxdiag = DirectXVersion{9, 0, L'C'};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"9.0c");
    sys.dxdiag = DirectXVersion{12, 1, L' '};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"12.1");

    // Without the diagnostic object the newest module decides.
    sys.dxdiag.reset();
    EXPECT_FALSE(info.GetDirectXVersion(text));
    sys.modules[L"ddraw.dll"] = FileVersion{{4, 7, 0, 700}};
    sys.modules[L"dinput.dll"] = FileVersion{{4, 7, 0, 716}};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"7.0a");
    sys.modules[L"d3d8.dll"] = FileVersion{{4, 8, 1, 881}};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"8.1");
    sys.modules[L"d3d9.dll"] = FileVersion{{10, 0, 19041, 1}};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"9.0c");
    sys.modules.erase(L"d3d9.dll");
    sys.modules[L"dpnet.dll"] = FileVersion{{4, 9, 0, 134}};
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"8.2");

    // Older systems keep the version in the registry.
    sys.os = Nt(5, 1, 2600);
    sys.dxdiag = DirectXVersion{9, 0, L'c'};
    text = L"kept";
    EXPECT_FALSE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"kept");
    const wchar_t* key = L"SOFTWARE\\Microsoft\\DirectX";
    reg.SetString(RegistryHive::LocalMachine, key, L"Version", L"4.09.00.0904");
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"9.0c (4.09.00.904)");
    reg.SetString(RegistryHive::LocalMachine, key, L"Version", L"4.09.00.0902");
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"9.0b (4.09.00.902)");
    reg.SetString(RegistryHive::LocalMachine, key, L"Version", L"4.08.01.0881");
    ASSERT_TRUE(info.GetDirectXVersion(text));
    EXPECT_EQ(text, L"8.1 (4.08.01.881)");
    reg.SetString(RegistryHive::LocalMachine, key, L"Version", L"4.08");
    EXPECT_FALSE(info.GetDirectXVersion(text));
}

TEST_F(LMSystemInfoTest, WaveMapperFileVersionAndAdministrator) {
    std::wstring text;
    ASSERT_TRUE(info.GetWaveMapperDevice(text));
    EXPECT_EQ(text, L"No Wave Out device installed");
    sys.waveOut = {L""};
    ASSERT_TRUE(info.GetWaveMapperDevice(text));
    EXPECT_EQ(text, L"n.a.");
    sys.waveOut = {L"Speakers (High Definition Audio)"};
    ASSERT_TRUE(info.GetWaveMapperDevice(text));
    EXPECT_EQ(text, L"Speakers (High Definition Audio)");
    reg.SetString(RegistryHive::CurrentUser, L"Software\\Microsoft\\Multimedia\\Sound Mapper", L"Playback",
                  L"USB Headset");
    ASSERT_TRUE(info.GetWaveMapperDevice(text));
    EXPECT_EQ(text, L"USB Headset");

    EXPECT_EQ(info.GetFileVersion(L"C:\\Program\\RemoteControl.exe"), L"unknown");
    sys.modules[L"C:\\Program\\RemoteControl.exe"] = FileVersion{{2, 1, 7, 12345}};
    EXPECT_EQ(info.GetFileVersion(L"C:\\Program\\RemoteControl.exe"), L"2.01.07.12345");

    sys.os = Nt(10, 0, 19045);
    EXPECT_FALSE(info.IsAdministrator());
    sys.admin = true;
    EXPECT_TRUE(info.IsAdministrator());
    sys.admin = false;
    sys.os.platformId = kPlatformWindows9x;
    EXPECT_TRUE(info.IsAdministrator());
}

} // namespace
} // namespace lm
