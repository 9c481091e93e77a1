#include "support/LMSystemInfo.h"

#include "Golden.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemInfo.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace lm {
namespace {

enum : unsigned { kR2 = 1, kTablet = 2, kMedia = 4, kStarter = 8, kShortRecord = 16 };

// The extended record of a 64-bit workstation.
tagOSVERSION Nt(uint32_t major, uint32_t minor, uint32_t build, const std::wstring& sp = L"") {
    tagOSVERSION v;
    v.known = v.extended = true;
    v.major = major, v.minor = minor, v.build = build;
    v.servicePack = sp;
    v.processorArchitecture = kArchAMD64;
    return v;
}

class LMSystemInfoTest : public ::testing::Test {
protected:
    test::FakeSystemInfo sys;
    test::FakeRegistry reg;
    CLMSystemInfo info{sys, reg};
};

// The version records (and registry states) of the golden file with the texts they give.
TEST_F(LMSystemInfoTest, WindowsEditionsMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : test::GoldenCases("system-info")) {
        const std::wstring input = line.substr(0, line.find(L" -> "));
        tagOSVERSION v = Nt(0, 0, 0);
        unsigned flags = 0;
        wchar_t productType[32] = L"", sp[128] = L"";
        std::swscanf(input.c_str(),
                     L"platform %u version %u.%u.%u type %hhu suites %hx arch %hu flags %u registry %31ls sp "
                     L"\"%127l[^\"]",
                     &v.platformId, &v.major, &v.minor, &v.build, &v.productType, &v.suiteMask,
                     &v.processorArchitecture, &flags, productType, sp);
        v.servicePack = sp;
        v.extended = !(flags & kShortRecord);
        v.serverR2 = flags & kR2, v.tabletPc = flags & kTablet, v.mediaCenter = flags & kMedia;
        v.starter = flags & kStarter;
        test::FakeRegistry registry;
        const std::wstring type = productType;
        if (type != L"-")
            registry.SetString(RegistryHive::LocalMachine,
                               L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", L"ProductType",
                               type.substr(0, type.find(L'+')));
        if (type.find(L"+hotfix") != std::wstring::npos)
            registry.CreateKey(RegistryHive::LocalMachine,
                               L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
        lines.push_back(input + L" -> " + CLMSystemInfo(sys, registry).WindowsVersionText(v));
    }
    EXPECT_TRUE(test::MatchesGolden("system-info", lines));
}

TEST_F(LMSystemInfoTest, TheWindowsTextIsCutAndKeptWhenNothingIsKnown) {
    std::wstring text = L"kept";
    EXPECT_FALSE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"kept");
    sys.os = Nt(10, 0, 19045, std::wstring(400, L'S'));
    ASSERT_TRUE(info.GetWindowsVersion(text));
    EXPECT_EQ(text, L"Windows 10 Professional " + std::wstring(231, L'S'));
}

TEST_F(LMSystemInfoTest, DirectXFromDiagnosticsModulesOrRegistry) {
    std::wstring text;
    auto dx = [&] { return info.GetDirectXVersion(text) ? text : L"(none)"; };
    sys.os = Nt(10, 0, 19045);
    sys.dxdiag = tagDXVERSION{9, 0, L'C'};
    EXPECT_EQ(dx(), L"9.0c");
    sys.dxdiag = tagDXVERSION{12, 1, L' '};
    EXPECT_EQ(dx(), L"12.1");
    // Without the diagnostic object the newest module decides.
    sys.dxdiag.reset();
    EXPECT_EQ(dx(), L"(none)");
    sys.modules[L"ddraw.dll"] = tagFILEVERSION{{4, 7, 0, 700}};
    sys.modules[L"dinput.dll"] = tagFILEVERSION{{4, 7, 0, 716}};
    EXPECT_EQ(dx(), L"7.0a");
    sys.modules[L"d3d8.dll"] = tagFILEVERSION{{4, 8, 1, 881}};
    EXPECT_EQ(dx(), L"8.1");
    sys.modules[L"dpnet.dll"] = tagFILEVERSION{{4, 9, 0, 134}};
    EXPECT_EQ(dx(), L"8.2");
    sys.modules[L"d3d9.dll"] = tagFILEVERSION{{10, 0, 19041, 1}};
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
    auto wave = [&] {
        std::wstring text;
        return info.GetWaveMapperDevice(text) ? text : L"(failed)";
    };
    EXPECT_EQ(wave(), L"No Wave Out device installed");
    sys.waveOut = {L""};
    EXPECT_EQ(wave(), L"n.a.");
    sys.waveOut = {L"Speakers (High Definition Audio)"};
    EXPECT_EQ(wave(), L"Speakers (High Definition Audio)");
    reg.SetString(RegistryHive::CurrentUser, L"Software\\Microsoft\\Multimedia\\Sound Mapper", L"Playback",
                  L"USB Headset");
    EXPECT_EQ(wave(), L"USB Headset");

    EXPECT_EQ(info.GetFileVersion(L"C:\\Program\\RemoteControl.exe"), L"unknown");
    sys.modules[L"C:\\Program\\RemoteControl.exe"] = tagFILEVERSION{{2, 1, 7, 12345}};
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
