// The on-screen display without its window: geometry by DPI, colours, the menu, the display time on
// the fake clock, and the model shared by the key-handling, options and window threads.
#include "osd/OsdModel.h"

#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

TEST(OsdGeometryTest, BarFontsAndMenuGrowWithTheDpi) {
    // DPI, bar, large and small font, line height, clock position on a screen 1080 pixels high.
    const int32_t cases[][7] = {
        {96, 48, -32, -21, 48, 20, 980}, {144, 72, -48, -32, 72, 30, 930}, {192, 96, -64, -42, 96, 40, 880}};
    for (const auto& c : cases) {
        COsdGeometry g(static_cast<uint32_t>(c[0]));
        EXPECT_EQ((std::vector<int32_t>{g.BarHeight(), g.LargeFontHeight(), g.SmallFontHeight(),
                                        g.LineHeight(), g.Clock(1080).x, g.Clock(1080).y}),
                  (std::vector<int32_t>(c + 1, c + 7)))
            << c[0];
        EXPECT_EQ(g.MenuLine(0, 1920), (OsdRect{640, 3 * c[4], 1920, 4 * c[4]}));
    }
    // The 24-point text fits the bar at every scale.
    for (uint32_t dpi = 96; dpi <= 480; dpi += 24)
        EXPECT_LT(-COsdGeometry(dpi).LargeFontHeight(), COsdGeometry(dpi).BarHeight()) << dpi;
    // The menu keeps the monitor's scale where it fits and shrinks to the screen where it does not: at
    // 192 DPI on 1024 lines, or 125 % on a 768-line laptop screen.
    EXPECT_EQ(COsdGeometry::MenuDpi(96, 768), 96u);
    EXPECT_EQ(COsdGeometry::MenuDpi(192, 2160), 192u);
    for (auto [dpi, height] : {std::pair{192u, 1024}, std::pair{120u, 768}}) {
        const uint32_t fit = COsdGeometry::MenuDpi(dpi, height);
        const COsdGeometry g(fit);
        EXPECT_LT(fit, dpi);
        EXPECT_LE(g.MenuLine(9, 0).bottom, g.Clock(height).y) << dpi;
        EXPECT_GT(COsdGeometry(fit + 1).MenuLine(9, 0).bottom, COsdGeometry(fit + 1).Clock(height).y) << dpi;
    }
    EXPECT_EQ(MulDivRounded(-3, 1, 2), -2); // halves away from zero
    EXPECT_EQ(MulDivRounded(5, 7, 0), -1);
}

TEST(OsdStyleTest, HighlightGradientAndFontFaces) {
    tagOSDSETTINGS s;
    EXPECT_EQ(OsdColorsFor(s), (OsdColors{0xFFFFFF, 0xF0CAA6, 0xA56E3A, 0x000000}));
    // White text is highlighted in the default text colour; without the gradient the fill is uniform.
    s.textColor = 0xFFFFFF;
    s.useGradient = 0;
    EXPECT_EQ(OsdColorsFor(s), (OsdColors{0xF0CAA6, 0xFFFFFF, 0xA56E3A, 0xA56E3A}));
    EXPECT_EQ(OsdFontFaces(2052), (std::vector<std::wstring>{L"Arial Unicode MS", L"SimHei", L"Arial"}));
    EXPECT_EQ(OsdFontFaces(1028)[1], L"MingLiU");
    EXPECT_EQ(OsdFontFaces(kOsdDefaultLanguage), (std::vector<std::wstring>{L"Arial"}));
}

TEST(OsdMenuTest, NumberedLinesEmptyPlacesHighlightAndClock) {
    std::wstring text = BuildMenuText(L"Application", {L"Windows (Standard)", L"TV", L"Radio", L"", L"DVD",
                                                       L"Web", L"Photos", L"", L"Music*", L"Mail"});
    EXPECT_EQ(text, L"Application\n0. Windows (Standard)\n1. TV\n2. Radio\n\n4. DVD\n5. Web\n6. Photos\n\n"
                    L"8. Music*\n9. Mail");
    const OsdColors c;
    const COsdGeometry g(96);
    OsdMenuLayout m = LayOutMenu(text, 2, c, g, 1920, 1920, 1080);
    EXPECT_EQ(m.title.at, (OsdPoint{640, 32}));
    ASSERT_EQ(m.lines.size(), 10u);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(m.lines[k].at, (OsdPoint{640, (k + 3) * 48})) << k;
        EXPECT_EQ(m.lines[k].color, k == 2 ? c.highlight : c.text) << k;
    }
    EXPECT_EQ(m.lines[3].text, L"");
    EXPECT_EQ(m.clockColor, c.text); // the colour of the last line
    EXPECT_EQ(LayOutMenu(text, 9, c, g, 1920, 1920, 1080).clockColor, c.highlight);
    EXPECT_EQ(LayOutMenu(text + L"\n10", -1, c, g, 1920, 1920, 1080).lines[10].at, m.lines[9].at);
    tagLOCALTIME now;
    now.hour = 7;
    now.minute = 5;
    EXPECT_EQ(ClockText(L"Sunday, 6 December 2026", now), L"Sunday, 6 December 2026, 07:05");
}

class OsdModelTest : public ::testing::Test {
protected:
    void ShowMenu(COsdModel& m) {
        tagOSDMENU menu;
        menu.title = L"Application";
        menu.entries = {L"Windows (Standard)", L"TV"};
        m.SetMenu(menu);
        m.ShowMenu();
    }
    test::FakeClock clock;
    tagOSDSETTINGS settings; // 2 s
};

TEST_F(OsdModelTest, ATextStaysTheDisplayTimeAndGoesAtTheNextTick) {
    COsdModel m(clock, settings);
    clock.Set(1000);
    ASSERT_TRUE(m.ShowText(L"Volume +"));
    EXPECT_EQ(m.Frame().state, OsdState::Bar);
    // Ticks every 300 ms, out of step with the text: gone by the end of the roll after the first tick
    // past 2 s.
    uint32_t t = 1000 + 137;
    while (!m.HideDue())
        clock.Set(t += kOsdHideTimerPeriod);
    EXPECT_GT(t, 3000u);
    EXPECT_LE(t + kOsdRollMs, 3000u + kOsdHideTimerPeriod + kOsdRollMs);
    EXPECT_EQ(m.Frame().state, OsdState::Hidden);

    // The same text again draws nothing new but starts the time again, also across the counter's wrap.
    clock.Set(0xFFFFFC00u);
    m.ShowText(L"Mute");
    clock.Advance(1500);
    bool changed = true;
    ASSERT_TRUE(m.ShowText(L"Mute", &changed));
    EXPECT_FALSE(changed);
    clock.Advance(2000);
    EXPECT_FALSE(m.HideDue());
    clock.Advance(1);
    EXPECT_TRUE(m.HideDue());
    // A display time whose milliseconds pass 32 bits is not cut short.
    settings.time = 4294968;
    m.ApplySettings(settings);
    m.ShowText(L"long");
    clock.Advance(3 * 86400 * 1000u);
    EXPECT_FALSE(m.HideDue());
}

TEST_F(OsdModelTest, NoTextsWithoutDisplayTimeOrWhileTheMenuIsShown) {
    settings.time = 0;
    COsdModel m(clock, settings);
    EXPECT_FALSE(m.ShowText(L"never"));
    EXPECT_EQ(m.Frame(), OsdFrame{});
    settings.time = 2;
    m.ApplySettings(settings);
    m.SetMenuShown(true);
    ShowMenu(m);
    OsdFrame menu = m.Frame();
    EXPECT_EQ(menu.state, OsdState::Menu);
    EXPECT_FALSE(m.ShowText(L"ignored"));
    EXPECT_EQ(m.Frame(), menu);
    clock.Advance(60000);
    EXPECT_FALSE(m.HideDue());
    m.Escape(); // clears the display's own flag
    EXPECT_FALSE(m.MenuShown());
    EXPECT_EQ(m.Frame().state, OsdState::Hidden);
}

TEST_F(OsdModelTest, SelectionMovesRoundTheTenEntries) {
    COsdModel m(clock, settings);
    EXPECT_EQ(m.SetSelection(3), -1);
    ShowMenu(m);
    EXPECT_EQ(m.Frame().selectedLine, 3);
    EXPECT_EQ(m.SetSelection(9), 3);
    EXPECT_EQ(m.StepSelection(true), 0);
    EXPECT_EQ(m.StepSelection(false), 9);
    m.SetSelection(-1);
    EXPECT_EQ(m.StepSelection(false), 9);
    m.SetSelection(12);
    EXPECT_EQ(m.StepSelection(true), 0);
    EXPECT_EQ(m.Frame().selectedLine, 0);
}

// Under ThreadSanitizer this finds state that the threads share without the lock.
TEST_F(OsdModelTest, KeyThreadOptionsPageAndWindowShareTheModel) {
    tagOSDSETTINGS other;
    other.textColor = 0xFFFFFF;
    other.useGradient = 0;
    COsdModel m(clock, settings);
    std::atomic<bool> done{false};
    std::thread keys([&] {
        for (int i = 0; i < 3000; ++i) {
            m.ShowText(i % 2 ? L"Volume +" : L"Channel 12");
            if (i % 100 == 0) {
                ShowMenu(m);
                m.StepSelection(true);
                m.Hide();
            }
        }
        done = true;
    });
    std::thread options([&] {
        for (int i = 0; !done; ++i)
            m.ApplySettings(i % 2 ? other : settings);
    });
    while (!done) {
        OsdFrame f = m.Frame();
        ASSERT_TRUE(f.colors == OsdColorsFor(settings) || f.colors == OsdColorsFor(other));
        m.HideDue();
        clock.Advance(7);
    }
    keys.join();
    options.join();
}

} // namespace
} // namespace lm
