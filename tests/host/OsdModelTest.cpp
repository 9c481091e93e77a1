// The on-screen display without its window: geometry at several DPIs, colours, the menu's text and
// layout, the selection, and the display time on the fake clock.
#include "osd/OsdModel.h"

#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

struct GeometryCase {
    uint32_t dpi;
    int32_t bar, large, small, line;
    OsdRect line0;  // on a screen 1920 pixels wide
    OsdPoint title; // in a client 1920 pixels wide
    OsdPoint clock; // on a screen 1080 pixels high
};

TEST(OsdGeometryTest, EverythingGrowsWithTheDpiAndTheTextFitsTheBar) {
    const GeometryCase cases[] = {
        {96, 48, -32, -21, 48, {640, 144, 1920, 192}, {640, 32}, {20, 980}},
        {144, 72, -48, -32, 72, {640, 216, 1920, 288}, {640, 48}, {30, 930}},
        {192, 96, -64, -42, 96, {640, 288, 1920, 384}, {640, 64}, {40, 880}},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.dpi);
        COsdGeometry g(c.dpi);
        EXPECT_EQ(g.BarHeight(), c.bar);
        EXPECT_EQ(g.LargeFontHeight(), c.large);
        EXPECT_EQ(g.SmallFontHeight(), c.small);
        EXPECT_EQ(g.LineHeight(), c.line);
        EXPECT_EQ(g.MenuLine(0, 1920), c.line0);
        EXPECT_EQ(g.Title(1920), c.title);
        EXPECT_EQ(g.Clock(1080), c.clock);
        // Line 9 is the last place; later lines are drawn over it.
        EXPECT_EQ(g.MenuLine(9, 1920).top, 12 * c.line);
        EXPECT_EQ(g.MenuLine(12, 1920), g.MenuLine(9, 1920));
        EXPECT_EQ(g.Text(1920, c.bar, 37), (OsdPoint{960, (c.bar - 37) / 2}));
    }
    // At every setting from 100 % to 500 % a 24-point character is lower than the bar.
    for (uint32_t dpi = 96; dpi <= 480; dpi += 24)
        EXPECT_LT(-COsdGeometry(dpi).LargeFontHeight(), COsdGeometry(dpi).BarHeight()) << dpi;
    EXPECT_EQ(COsdGeometry(0).Dpi(), 96u);

    // The platform's rounding: halves away from zero.
    EXPECT_EQ(MulDivRounded(24, 100, 72), 33);
    EXPECT_EQ(MulDivRounded(24, 105, 72), 35);
    EXPECT_EQ(MulDivRounded(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRounded(3, 1, -2), -2);
    EXPECT_EQ(MulDivRounded(5, 7, 0), -1);
}

TEST(OsdStyleTest, HighlightGradientAndFontFaceRules) {
    tagOSDSETTINGS s;
    OsdColors c = OsdColorsFor(s);
    EXPECT_EQ(c, (OsdColors{0xFFFFFF, 0xF0CAA6, 0xA56E3A, 0x000000}));
    // White text is highlighted in the default text colour.
    s.textColor = 0xFFFFFF;
    EXPECT_EQ(OsdColorsFor(s).highlight, 0xF0CAA6u);
    // Without the gradient both edges take the background colour: the fill is uniform.
    s.textColor = 0x00FF00;
    s.gradientColor = 0x123456;
    s.useGradient = 0;
    c = OsdColorsFor(s);
    EXPECT_EQ(c.highlight, 0xFFFFFFu);
    EXPECT_EQ(c.gradient, 0xA56E3Au);
    s.useGradient = 2;
    EXPECT_EQ(OsdColorsFor(s).gradient, 0x123456u);

    EXPECT_EQ(OsdFontFaces(2052), (std::vector<std::wstring>{L"Arial Unicode MS", L"SimHei", L"Arial"}));
    EXPECT_EQ(OsdFontFaces(1028), (std::vector<std::wstring>{L"Arial Unicode MS", L"MingLiU", L"Arial"}));
    EXPECT_EQ(OsdFontFaces(kOsdDefaultLanguage), (std::vector<std::wstring>{L"Arial"}));
    EXPECT_EQ(OsdFontFaces(1031), (std::vector<std::wstring>{L"Arial"}));
}

TEST(OsdMenuTest, NumberedLinesEmptyPlacesHighlightAndClock) {
    std::array<std::wstring, kOsdMenuEntries> entries = {L"Windows (Standard)",
                                                         L"Media Player",
                                                         L"TV",
                                                         L"",
                                                         L"Radio",
                                                         L"DVD",
                                                         L"Photos",
                                                         L"",
                                                         L"Music*",
                                                         L"Web"};
    std::wstring text = BuildMenuText(L"Application", entries);
    EXPECT_EQ(text,
              L"Application\n0. Windows (Standard)\n1. Media Player\n2. TV\n\n4. Radio\n5. DVD\n6. Photos\n"
              L"\n8. Music*\n9. Web");

    OsdColors colors;
    COsdGeometry g(96);
    OsdMenuLayout layout = LayOutMenu(text, 2, colors, g, 1920, 1920, 1080);
    EXPECT_EQ(layout.title.text, L"Application");
    EXPECT_EQ(layout.title.at, (OsdPoint{640, 32}));
    ASSERT_EQ(layout.lines.size(), 10u);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(layout.lines[k].at, (OsdPoint{640, (k + 3) * 48}));
        EXPECT_EQ(layout.lines[k].color, k == 2 ? colors.highlight : colors.text);
    }
    EXPECT_EQ(layout.lines[2].text, L"2. TV");
    EXPECT_EQ(layout.lines[3].text, L"");
    EXPECT_EQ(layout.lines[9].text, L"9. Web");
    EXPECT_EQ(layout.clockAt, (OsdPoint{20, 980}));
    EXPECT_EQ(layout.clockColor, colors.text);
    // The clock takes the colour of the last line.
    EXPECT_EQ(LayOutMenu(text, 9, colors, g, 1920, 1920, 1080).clockColor, colors.highlight);
    // A title alone; more than ten lines overwrite the tenth one's place.
    EXPECT_TRUE(LayOutMenu(L"Title", 0, colors, g, 1920, 1920, 1080).lines.empty());
    layout = LayOutMenu(text + L"\nextra\nmore", -1, colors, g, 1920, 1920, 1080);
    ASSERT_EQ(layout.lines.size(), 12u);
    EXPECT_EQ(layout.lines[11].text, L"more");
    EXPECT_EQ(layout.lines[11].at, layout.lines[9].at);

    LocalTime now;
    now.hour = 7;
    now.minute = 5;
    EXPECT_EQ(ClockText(L"Sunday, 6 December 2026", now), L"Sunday, 6 December 2026, 07:05");
    EXPECT_EQ(ClockText(L"", now), L", 07:05");
}

class OsdModelTest : public ::testing::Test {
protected:
    OsdMenu Menu() {
        OsdMenu m;
        m.title = L"Application";
        m.entries = {L"Windows (Standard)", L"Media Player"};
        return m;
    }
    test::FakeClock clock;
    tagOSDSETTINGS settings;
};

TEST_F(OsdModelTest, ATextStaysTheDisplayTimeAndGoesAtTheNextTick) {
    COsdModel m(clock, settings); // 2 s
    clock.Set(1000);
    bool changed = false;
    ASSERT_TRUE(m.ShowText(L"Volume +", &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(m.Frame().state, OsdState::Bar);
    EXPECT_EQ(m.Frame().text, L"Volume +");

    // The hide timer ticks every 300 ms, out of step with the text: the bar stays 2 s and is gone by
    // the end of the roll that starts at the first tick after that.
    uint32_t rolledAt = 0;
    for (uint32_t t = 1000 + 137; t < 10000 && rolledAt == 0; t += kOsdHideTimerPeriod) {
        clock.Set(t);
        if (m.HideDue())
            rolledAt = t;
    }
    EXPECT_GT(rolledAt, 3000u);
    EXPECT_LE(rolledAt + kOsdRollMs, 3000u + kOsdHideTimerPeriod + kOsdRollMs);
    EXPECT_EQ(m.Frame().state, OsdState::Hidden);
    EXPECT_FALSE(m.HideDue());

    // The same text again changes no drawing but starts the time again.
    clock.Set(20000);
    ASSERT_TRUE(m.ShowText(L"Mute"));
    clock.Set(21500);
    ASSERT_TRUE(m.ShowText(L"Mute", &changed));
    EXPECT_FALSE(changed);
    clock.Set(23500);
    EXPECT_FALSE(m.HideDue());
    clock.Set(23501);
    EXPECT_TRUE(m.HideDue());

    // Across the wrap of the millisecond counter.
    clock.Set(0xFFFFFF00u);
    ASSERT_TRUE(m.ShowText(L"Wrap"));
    clock.Set(0x400);
    EXPECT_FALSE(m.HideDue());
    clock.Set(0xFFFFFF00u + 2001);
    EXPECT_TRUE(m.HideDue());
}

TEST_F(OsdModelTest, DisplayTimeAndMenuFlagDecideWhatIsShown) {
    settings.time = 0;
    COsdModel m(clock, settings);
    EXPECT_FALSE(m.ShowText(L"never"));
    EXPECT_EQ(m.Frame(), OsdFrame{});
    m.SetMenu(Menu());
    EXPECT_TRUE(m.ShowMenu());
    EXPECT_EQ(m.Frame().state, OsdState::Menu);
    EXPECT_FALSE(m.ShowMenu()); // nothing new to draw

    // A display time of billions of seconds is not cut short by a 32-bit product.
    settings.time = 0xFFFFFFFFu;
    m.ApplySettings(settings);
    ASSERT_TRUE(m.ShowText(L"long"));
    clock.Advance(3 * 86400 * 1000u);
    EXPECT_FALSE(m.HideDue());

    // While the menu is marked shown, texts are ignored and the timer leaves it up.
    settings.time = 2;
    m.ApplySettings(settings);
    m.SetMenuShown(true);
    m.ShowMenu();
    OsdFrame menu = m.Frame();
    EXPECT_FALSE(m.ShowText(L"ignored"));
    EXPECT_EQ(m.Frame(), menu);
    clock.Advance(60000);
    EXPECT_FALSE(m.HideDue());
    // Escape clears the display's own flag and hides.
    m.Escape();
    EXPECT_FALSE(m.MenuShown());
    EXPECT_EQ(m.Frame().state, OsdState::Hidden);
    // A menu nobody marked as shown goes like a text.
    m.ShowMenu();
    clock.Advance(10);
    EXPECT_TRUE(m.HideDue());
    m.ShowText(L"x");
    m.Hide();
    EXPECT_EQ(m.Frame().state, OsdState::Hidden);
}

TEST_F(OsdModelTest, SelectionMovesRoundTheTenEntries) {
    COsdModel m(clock, settings);
    m.SetMenu(Menu());
    EXPECT_EQ(m.SetSelection(3), -1);
    m.ShowMenu();
    OsdFrame f = m.Frame();
    EXPECT_TRUE(f.menuMode);
    EXPECT_EQ(f.selectedLine, 3);
    EXPECT_EQ(f.text, L"Application\n0. Windows (Standard)\n1. Media Player\n\n\n\n\n\n\n\n");
    EXPECT_EQ(m.SetSelection(9), 3);
    EXPECT_EQ(m.StepSelection(true), 0);
    EXPECT_EQ(m.StepSelection(false), 9);
    EXPECT_EQ(m.StepSelection(false), 8);
    EXPECT_EQ(m.Frame().selectedLine, 8);
    // Without a selection, forward starts at the first entry and back at the last.
    m.SetSelection(-1);
    EXPECT_EQ(m.StepSelection(false), 9);
    m.SetSelection(12);
    EXPECT_EQ(m.StepSelection(true), 0);
    // A text leaves no line selected, but the menu remembers its entry.
    m.ShowText(L"OK");
    EXPECT_EQ(m.Frame().selectedLine, -1);
    EXPECT_FALSE(m.Frame().menuMode);
    EXPECT_EQ(m.SelectedEntry(), 0);
}

// The key-handling thread shows texts and menus while the options page changes the settings and the
// window's thread draws and runs the hide timer; run under ThreadSanitizer this finds unguarded state.
TEST_F(OsdModelTest, KeyThreadOptionsPageAndWindowShareTheModel) {
    tagOSDSETTINGS other;
    other.textColor = 0xFFFFFF;
    other.backgroundColor = 0x112233;
    other.useGradient = 0;
    other.time = 1;
    COsdModel m(clock, settings);
    std::atomic<bool> done{false};
    std::thread keys([&] {
        for (int i = 0; i < 3000; ++i) {
            m.ShowText(i % 2 ? L"Volume +" : L"Channel 12");
            if (i % 100 == 0) {
                m.SetMenu(Menu());
                m.SetMenuShown(true);
                m.ShowMenu();
                m.StepSelection(true);
                m.SetMenuShown(false);
                m.Hide();
            }
        }
        done = true;
    });
    std::thread options([&] {
        for (int i = 0; !done; ++i)
            m.ApplySettings(i % 2 ? other : settings);
    });
    const OsdColors a = OsdColorsFor(settings), b = OsdColorsFor(other);
    while (!done) {
        OsdFrame f = m.Frame();
        ASSERT_TRUE(f.colors == a || f.colors == b);
        ASSERT_TRUE(f.menuMode ? f.text.rfind(L"Application\n", 0) == 0
                               : f.text.find(L' ') != std::wstring::npos || f.text == L"OSD");
        m.HideDue();
        clock.Advance(7);
    }
    keys.join();
    options.join();
}

} // namespace
} // namespace lm
