#include "support/LMRegistry.h"

#include "fakes/FakeRegistry.h"

#include <gtest/gtest.h>

#include <atomic>

namespace lm {
namespace {

// The same cases run on the test fake and on the in-memory registry of host builds.
class LMRegistryTest : public ::testing::TestWithParam<bool> {
protected:
    IRegistry& Registry() { return GetParam() ? NativeRegistry() : static_cast<IRegistry&>(fake); }
    // A base key of its own for every test, as the host registry lives for the whole process.
    std::wstring Base() {
        static std::atomic<int> n{0};
        return L"Software\\Lumora Test " + std::to_wstring(++n) + L"\\Remote Control";
    }
    test::FakeRegistry fake;
};

TEST_P(LMRegistryTest, WritesCreateMissingKeysAndReadBack) {
    CLMRegistry reg(Registry(), RegistryHive::CurrentUser, Base());
    EXPECT_FALSE(Registry().KeyExists(RegistryHive::CurrentUser, reg.FullKey(L"OSD")));
    ASSERT_TRUE(reg.WriteDword(L"OSD On", 1, L"OSD"));
    EXPECT_TRUE(Registry().KeyExists(RegistryHive::CurrentUser, reg.BaseKey() + L"\\OSD"));
    ASSERT_TRUE(reg.WriteString(L"MIDI device", L"Keyboard", L"RC"));
    ASSERT_TRUE(reg.WriteString(L"", L"default value"));

    uint32_t n = 7;
    EXPECT_TRUE(reg.ReadDword(L"osd on", n, L"osd"));
    EXPECT_EQ(n, 1u);
    std::wstring s = L"unchanged";
    EXPECT_TRUE(reg.ReadString(L"MIDI device", s, 260, L"RC"));
    EXPECT_EQ(s, L"Keyboard");
    EXPECT_TRUE(reg.ReadString(L"", s, 260));
    EXPECT_EQ(s, L"default value");

    // Values of the other kind, of the other hive or missing leave the caller's default.
    n = 7;
    s = L"unchanged";
    EXPECT_FALSE(reg.ReadDword(L"MIDI device", n, L"RC"));
    EXPECT_FALSE(reg.ReadString(L"OSD On", s, 260, L"OSD"));
    EXPECT_FALSE(reg.ReadString(L"Missing", s, 260, L"RC"));
    EXPECT_FALSE(reg.ReadString(L"MIDI device", s, 260, L"Missing"));
    CLMRegistry machine(Registry(), RegistryHive::LocalMachine, reg.BaseKey());
    EXPECT_FALSE(machine.ReadString(L"MIDI device", s, 260, L"RC"));
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(s, L"unchanged");
}

TEST_P(LMRegistryTest, StringsMustFitTheBufferWithTheirZero) {
    CLMRegistry reg(Registry(), RegistryHive::CurrentUser, Base());
    ASSERT_TRUE(reg.WriteString(L"Long", std::wstring(300, L'x')));
    ASSERT_TRUE(reg.WriteString(L"Fits", std::wstring(259, L'y')));
    ASSERT_TRUE(reg.WriteString(L"Edge", std::wstring(260, L'z')));

    wchar_t buffer[260];
    std::fill(std::begin(buffer), std::end(buffer), L'd');
    buffer[259] = L'\0';
    EXPECT_FALSE(reg.ReadString(L"Long", buffer, 260));
    EXPECT_FALSE(reg.ReadString(L"Edge", buffer, 260));
    EXPECT_EQ(std::wstring(buffer), std::wstring(259, L'd'));
    EXPECT_TRUE(reg.ReadString(L"Fits", buffer, 260));
    EXPECT_EQ(std::wstring(buffer), std::wstring(259, L'y'));

    // A buffer without room takes nothing and the call succeeds.
    buffer[0] = L'q';
    EXPECT_TRUE(reg.ReadString(L"Fits", buffer, 0));
    EXPECT_TRUE(reg.ReadString(L"Missing", buffer, -5));
    EXPECT_EQ(buffer[0], L'q');
    EXPECT_FALSE(reg.ReadString(L"Fits", static_cast<wchar_t*>(nullptr), 10));
}

TEST_P(LMRegistryTest, CountsSubKeysOfTheBaseKey) {
    CLMRegistry reg(Registry(), RegistryHive::LocalMachine, Base());
    EXPECT_EQ(reg.CountSubKeys(), -1);
    ASSERT_TRUE(reg.WriteDword(L"x", 1));
    EXPECT_EQ(reg.CountSubKeys(), 0);
    ASSERT_TRUE(reg.WriteDword(L"x", 1, L"A"));
    ASSERT_TRUE(reg.WriteDword(L"x", 1, L"B\\Deeper"));
    EXPECT_EQ(reg.CountSubKeys(), 2);
    // Another base key of the same object.
    reg.SetBaseKey(reg.BaseKey() + L"\\B");
    EXPECT_EQ(reg.CountSubKeys(), 1);
    reg.SetRootKey(RegistryHive::CurrentUser);
    EXPECT_EQ(reg.CountSubKeys(), -1);
}

TEST_P(LMRegistryTest, KeyPathsAreCutTo260Characters) {
    CLMRegistry reg(Registry());
    reg.SetBaseKey(std::wstring(300, L'b'));
    EXPECT_EQ(reg.BaseKey(), std::wstring(260, L'b'));
    reg.SetBaseKey(std::wstring(250, L'b'));
    EXPECT_EQ(reg.FullKey(), std::wstring(250, L'b'));
    EXPECT_EQ(reg.FullKey(L"OSD"), std::wstring(250, L'b') + L"\\OSD");
    EXPECT_EQ(reg.FullKey(std::wstring(20, L's')), std::wstring(250, L'b') + L"\\" + std::wstring(9, L's'));
    // Text from outside is no format.
    reg.SetBaseKey(L"Software\\%s%n");
    EXPECT_EQ(reg.FullKey(L"%d"), L"Software\\%s%n\\%d");
}

INSTANTIATE_TEST_SUITE_P(FakeAndHost, LMRegistryTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Host" : "Fake";
                         });

TEST(LMRegistryFailureTest, FailedWritesReportFalse) {
    test::FakeRegistry fake;
    CLMRegistry reg(fake, RegistryHive::CurrentUser, L"Software\\Lumora");
    fake.failWrites = true;
    EXPECT_FALSE(reg.WriteDword(L"x", 1, L"OSD"));
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));
    EXPECT_FALSE(fake.KeyExists(RegistryHive::CurrentUser, reg.BaseKey()));
}

} // namespace
} // namespace lm
