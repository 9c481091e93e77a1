#include "support/LMSystemInfo.h"

#include "Golden.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemInfo.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

OsVersion Nt(uint32_t major, uint32_t minor, uint32_t build, uint8_t type = kProductWorkstation,
             uint16_t suite = 0, const wchar_t* sp = L"", uint16_t arch = kArchAMD64) {
    OsVersion v;
    v.known = v.extended = true;
    v.major = major;
    v.minor = minor;
    v.build = build;
    v.productType = type;
    v.suiteMask = suite;
    v.servicePack = sp;
    v.processorArchitecture = arch;
    return v;
}

OsVersion With(OsVersion v, void (*change)(OsVersion&)) {
    change(v);
    return v;
}

class LMSystemInfoTest : public ::testing::Test {
protected:
    test::FakeSystemInfo sys;
    test::FakeRegistry reg;
    CLMSystemInfo info{sys, reg};
};

// Each version record (and registry state) with the text it gives.
TEST_F(LMSystemInfoTest, WindowsEditionsMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    auto add = [&](const OsVersion& v, const wchar_t* note = L"") {
        lines.push_back(FormatBounded(
            400, L"platform %u %u.%u.%u type %u suites 0x%04X arch %u%ls%ls%ls%ls%ls sp \"%ls\"%ls -> %ls",
            v.platformId, v.major, v.minor, v.build, v.productType, v.suiteMask, v.processorArchitecture,
            v.extended ? L"" : L" short-record", v.serverR2 ? L" R2" : L"", v.tabletPc ? L" tablet" : L"",
            v.mediaCenter ? L" media-center" : L"", v.starter ? L" starter" : L"", v.servicePack.c_str(),
            note, info.WindowsVersionText(v).c_str()));
    };
    const auto ws = kProductWorkstation, server = kProductServer;
    for (const OsVersion& v :
         {Nt(10, 0, 22631),
          Nt(10, 0, 22000, ws, kSuitePersonal),
          Nt(10, 0, 21999),
          Nt(6, 3, 9600),
          Nt(6, 2, 9200),
          Nt(6, 1, 7601, ws, 0, L"Service Pack 1"),
          Nt(6, 0, 6002, ws, kSuitePersonal, L"Service Pack 2"),
          Nt(10, 0, 26100, server),
          Nt(10, 0, 20348, server, kSuiteDatacenter),
          Nt(10, 0, 17763, kProductDomainController, kSuiteEnterprise),
          Nt(10, 0, 14393, server),
          Nt(6, 3, 9600, server),
          Nt(6, 1, 7601, server, kSuiteBlade),
          Nt(6, 0, 6001, server, kSuiteEnterprise, L"Service Pack 1"),
          With(Nt(10, 0, 19045), [](OsVersion& v) { v.mediaCenter = v.tabletPc = v.starter = true; }),
          Nt(5, 1, 2600, ws, 0, L"Service Pack 3", kArchX86),
          With(Nt(5, 1, 2600, ws, 0, L"", kArchX86), [](OsVersion& v) { v.mediaCenter = true; }),
          With(Nt(5, 1, 2600, ws, 0, L"", kArchX86), [](OsVersion& v) { v.mediaCenter = v.tabletPc = true; }),
          With(Nt(5, 1, 2600, ws, 0, L"", kArchX86), [](OsVersion& v) { v.starter = true; }),
          Nt(5, 1, 0x0A280A28, ws, 0, L"", kArchX86), // the build is the low word
          Nt(5, 2, 3790, ws, 0, L"Service Pack 2"),
          With(Nt(5, 2, 3790, server, kSuiteDatacenter, L"", kArchIA64),
               [](OsVersion& v) { v.serverR2 = true; }),
          Nt(5, 2, 3790, server, kSuiteEnterprise),
          Nt(5, 2, 3790, server, kSuiteBlade, L"", kArchX86),
          Nt(5, 2, 3790, server, 0, L"", kArchX86),
          Nt(5, 0, 2195, server, kSuiteEnterprise, L"Service Pack 4"),
          Nt(5, 0, 2195, ws),
          Nt(4, 0, 1381, ws),
          Nt(4, 0, 1381, server, kSuiteEnterprise)})
        add(v);
    OsVersion w9x = Nt(4, 0, 950);
    w9x.platformId = kPlatformWindows9x;
    for (auto [minor, letter] : {std::pair{0u, L" C"}, {0u, L""}, {10u, L" A "}, {10u, L""}, {90u, L""}}) {
        w9x.minor = minor;
        w9x.servicePack = letter;
        add(w9x);
    }
    w9x.platformId = kPlatformWin32s;
    add(w9x);
    // Without the extended record the product type comes from the registry; Service Pack 6 with the
    // hot fix is 6a.
    OsVersion nt4 = With(Nt(4, 0, 1381, ws, 0, L"Service Pack 6"), [](OsVersion& v) { v.extended = false; });
    add(nt4, L" registry none");
    for (const wchar_t* type : {L"WinNT", L"LanmanNT", L"ServerNT"}) {
        reg.SetString(RegistryHive::LocalMachine, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                      L"ProductType", type);
        add(nt4, (std::wstring(L" registry ") + type).c_str());
    }
    reg.CreateKey(RegistryHive::LocalMachine,
                  L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
    add(nt4, L" registry ServerNT and hot fix");
    EXPECT_TRUE(test::MatchesGolden("system-info", lines));
}

TEST_F(LMSystemInfoTest, TheWindowsTextIsCutAndKeptWhenNothingIsKnown) {
    std::wstring text = L"kept";
    EXPECT_FALSE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"kept");
    sys.os = Nt(10, 0, 19045, kProductWorkstation, 0, std::wstring(400, L'S').c_str());
    ASSERT_TRUE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"Windows 10 Professional " + std::wstring(231, L'S'));
}

TEST_F(LMSystemInfoTest, DirectXFromDiagnosticsModulesOrRegistry) {
    std::wstring text;
    auto dx = [&] { return info.GetDirectXVersion(text) ? text : L"(none)"; };
    sys.os = Nt(10, 0, 19045);
    sys.dxdiag = DirectXVersion{9, 0, L'C'};
    EXPECT_EQ(dx(), L"9.0c");
    sys.dxdiag = DirectXVersion{12, 1, L' '};
    EXPECT_EQ(dx(), L"12.1");
    // Without the diagnostic object the newest module decides.
    sys.dxdiag.reset();
    EXPECT_EQ(dx(), L"(none)");
    sys.modules[L"ddraw.dll"] = FileVersion{{4, 7, 0, 700}};
    sys.modules[L"dinput.dll"] = FileVersion{{4, 7, 0, 716}};
    EXPECT_EQ(dx(), L"7.0a");
    sys.modules[L"d3d8.dll"] = FileVersion{{4, 8, 1, 881}};
    EXPECT_EQ(dx(), L"8.1");
    sys.modules[L"dpnet.dll"] = FileVersion{{4, 9, 0, 134}};
    EXPECT_EQ(dx(), L"8.2");
    sys.modules[L"d3d9.dll"] = FileVersion{{10, 0, 19041, 1}};
    EXPECT_EQ(dx(), L"9.0c");

    // Older systems keep the version in the registry.
    sys.os = Nt(5, 1, 2600);
    text = L"kept";
    EXPECT_EQ(dx(), L"(none)");
    EXPECT_EQ(text, L"kept");
    const std::pair<const wchar_t*, const wchar_t*> versions[] = {{L"4.09.00.0904", L"9.0c (4.09.00.904)"},
                                                                  {L"4.09.00.0902", L"9.0b (4.09.00.902)"},
                                                                  {L"4.08.01.0881", L"8.1 (4.08.01.881)"},
                                                                  {L"4.08", L"(none)"}};
    for (auto [value, expected] : versions) {
        reg.SetString(RegistryHive::LocalMachine, L"SOFTWARE\\Microsoft\\DirectX", L"Version", value);
        EXPECT_EQ(dx(), expected);
    }
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
