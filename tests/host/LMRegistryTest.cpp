#include "support/LMRegistry.h"

#include "fakes/FakeRegistry.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

class LMRegistryTest : public ::testing::Test {
protected:
    test::FakeRegistry registry;
    CLMRegistry reg{registry, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
};

TEST_F(LMRegistryTest, WritesCreateMissingKeysAndReadsLeaveDefaultsWhenNothingFits) {
    ASSERT_TRUE(reg.WriteDword(L"OSD On", 1, L"OSD"));
    EXPECT_TRUE(registry.KeyExists(RegistryHive::CurrentUser, reg.BaseKey() + L"\\OSD"));
    ASSERT_TRUE(reg.WriteString(L"MIDI device", L"Keyboard", L"RC"));
    ASSERT_TRUE(reg.WriteString(L"", L"default value"));
    uint32_t n = 7;
    std::wstring s;
    EXPECT_TRUE(reg.ReadDword(L"osd on", n, L"osd"));
    EXPECT_EQ(n, 1u);
    EXPECT_TRUE(reg.ReadString(L"MIDI device", s, 260, L"RC"));
    EXPECT_EQ(s, L"Keyboard");
    EXPECT_TRUE(reg.ReadString(L"", s, 260));
    EXPECT_EQ(s, L"default value");

    // Values of the other kind, of the other hive or missing leave the caller's default.
    n = 7;
    s = L"unchanged";
    EXPECT_FALSE(reg.ReadDword(L"MIDI device", n, L"RC"));
    EXPECT_FALSE(reg.ReadString(L"OSD On", s, 260, L"OSD"));
    EXPECT_FALSE(reg.ReadString(L"MIDI device", s, 260, L"Missing"));
    CLMRegistry machine(registry, RegistryHive::LocalMachine, reg.BaseKey());
    EXPECT_FALSE(machine.ReadString(L"MIDI device", s, 260, L"RC"));
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(s, L"unchanged");

    // A text must fit the buffer with its terminating zero.
    ASSERT_TRUE(reg.WriteString(L"Long", std::wstring(300, L'x')));
    ASSERT_TRUE(reg.WriteString(L"Edge", std::wstring(260, L'z')));
    ASSERT_TRUE(reg.WriteString(L"Fits", std::wstring(259, L'y')));
    wchar_t buffer[260] = L"default";
    EXPECT_FALSE(reg.ReadString(L"Long", buffer, 260));
    EXPECT_FALSE(reg.ReadString(L"Edge", buffer, 260));
    EXPECT_STREQ(buffer, L"default");
    EXPECT_TRUE(reg.ReadString(L"Fits", buffer, 260));
    EXPECT_EQ(std::wstring(buffer), std::wstring(259, L'y'));
    // A buffer without room takes nothing and the call succeeds.
    buffer[0] = L'q';
    EXPECT_TRUE(reg.ReadString(L"Fits", buffer, 0));
    EXPECT_TRUE(reg.ReadString(L"Missing", buffer, -5));
    EXPECT_EQ(buffer[0], L'q');
    EXPECT_FALSE(reg.ReadString(L"Fits", static_cast<wchar_t*>(nullptr), 10));
}

TEST_F(LMRegistryTest, CountsSubKeysOfTheBaseKey) {
    EXPECT_EQ(reg.CountSubKeys(), -1);
    ASSERT_TRUE(reg.WriteDword(L"x", 1));
    EXPECT_EQ(reg.CountSubKeys(), 0);
    ASSERT_TRUE(reg.WriteDword(L"x", 1, L"A"));
    ASSERT_TRUE(reg.WriteDword(L"x", 1, L"B\\Deeper"));
    EXPECT_EQ(reg.CountSubKeys(), 2);
    reg.SetBaseKey(reg.BaseKey() + L"\\B");
    EXPECT_EQ(reg.CountSubKeys(), 1);
    reg.SetRootKey(RegistryHive::LocalMachine);
    EXPECT_EQ(reg.CountSubKeys(), -1);
}

TEST_F(LMRegistryTest, KeyPathsAreCutTo260CharactersAndFailedWritesReportFalse) {
    reg.SetBaseKey(std::wstring(300, L'b'));
    EXPECT_EQ(reg.BaseKey(), std::wstring(260, L'b'));
    reg.SetBaseKey(std::wstring(250, L'b'));
    EXPECT_EQ(reg.FullKey(L"OSD"), std::wstring(250, L'b') + L"\\OSD");
    EXPECT_EQ(reg.FullKey(std::wstring(20, L's')), std::wstring(250, L'b') + L"\\" + std::wstring(9, L's'));
    // Text from outside is no format.
    reg.SetBaseKey(L"Software\\%s%n");
    EXPECT_EQ(reg.FullKey(L"%d"), L"Software\\%s%n\\%d");

    registry.failWrites = true;
    EXPECT_FALSE(reg.WriteDword(L"x", 1, L"OSD"));
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));
    EXPECT_FALSE(registry.KeyExists(RegistryHive::CurrentUser, reg.BaseKey()));
}

} // namespace
} // namespace lm
