// The on-screen display without its window: what it shows, where and for how long. The display is
// hidden, a one-line bar across the top of the screen that rolls away after the display time, or the
// numbered main menu over the whole screen with a clock. The key-handling thread asks for texts and the
// menu while the window lives on the user-interface thread, so COsdModel keeps the shared state behind
// its own lock and the window draws from a copy of it (Frame). Sizes follow the DPI of the monitor the
// display is on (COsdGeometry); time comes from the clock seam.
#pragma once
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "osd/OsdSettings.h"
#include "platform/Clock.h"

namespace lm {

constexpr int32_t kOsdMenuEntries = 10;
// The hide timer tests every 300 ms whether the bar has stayed long enough; the roll that hides it
// takes 150 ms. The start-up timer hides the freshly created window once more after 500 ms.
constexpr uintptr_t kOsdHideTimerId = 123;
constexpr uint32_t kOsdHideTimerPeriod = 300;
constexpr uint32_t kOsdRollMs = 150;
constexpr uintptr_t kOsdStartTimerId = 124;
constexpr uint32_t kOsdStartTimerDelay = 500;
constexpr uint32_t kOsdBaseDpi = 96;
// The language whose font the display itself draws with; previews may use the interface language.
constexpr uint16_t kOsdDefaultLanguage = 2057;

// The platform's multiply-divide: number × numerator / denominator, rounded half away from zero;
// -1 when the denominator is 0.
int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator);

struct OsdColors {
    uint32_t highlight = 0xFFFFFF; // the selected menu line
    uint32_t text = 0xF0CAA6;
    uint32_t background = 0xA56E3A;
    uint32_t gradient = 0x000000; // the side edges; equal to the background without the gradient
    friend bool operator==(const OsdColors&, const OsdColors&) = default;
};
// The colours of a settings block: the highlight is white, or the default text colour when the text
// itself is white; without the gradient the edges take the background colour.
OsdColors OsdColorsFor(const tagOSDSETTINGS& settings);

// Font faces to try for a language, best first; the last one is taken whether it exists or not.
std::vector<std::wstring> OsdFontFaces(uint16_t languageId);

struct OsdPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const OsdPoint&, const OsdPoint&) = default;
};
struct OsdRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const OsdRect&, const OsdRect&) = default;
};

// Pixel sizes at one DPI. At 96 DPI the bar is 48 pixels high; the large font is 24 points and the
// small one 16, so everything grows with the DPI and the text keeps fitting the bar.
class COsdGeometry {
public:
    explicit COsdGeometry(uint32_t dpi = kOsdBaseDpi) : dpi_(dpi != 0 ? dpi : kOsdBaseDpi) {}
    uint32_t Dpi() const { return dpi_; }
    // The DPI the menu is drawn at on a screen `screenHeight` pixels high: the monitor's own, unless
    // the ten lines and the clock would not fit at it; then the largest that fits (a small laptop
    // screen at 125 %, say), so that no line runs off the screen or under the clock.
    static uint32_t MenuDpi(uint32_t dpi, int32_t screenHeight);
    // A length given in pixels at 96 DPI.
    int32_t Scale(int32_t pixelsAt96) const;
    int32_t BarHeight() const;
    // Character heights as a font record takes them (negative): 24 points, and two thirds of that.
    int32_t LargeFontHeight() const;
    int32_t SmallFontHeight() const;
    // Distance of the menu lines: one and a half large characters.
    int32_t LineHeight() const;
    // The rectangle of menu line n (0 is the first line below the title), from a third of the screen
    // width to its right edge; lines from 10 on take the place of line 9.
    OsdRect MenuLine(int32_t line, int32_t screenWidth) const;
    OsdPoint Title(int32_t clientWidth) const;
    OsdPoint Clock(int32_t screenHeight) const;
    // Top centre of the one-line text, centred vertically for characters `charHeight` pixels high.
    OsdPoint Text(int32_t clientWidth, int32_t clientHeight, int32_t charHeight) const;

private:
    uint32_t dpi_;
};

// The menu text: the title, then per entry a line break, its number from 0, ". " and its text, or the
// line break alone for an empty entry.
std::wstring BuildMenuText(const std::wstring& title,
                           const std::array<std::wstring, kOsdMenuEntries>& entries);
// The clock line: the long date, ", " and the time as hours and minutes.
std::wstring ClockText(const std::wstring& longDate, const tagLOCALTIME& now);

struct OsdTextLine {
    std::wstring text;
    OsdPoint at;
    uint32_t color = 0;
};
// Where and in which colour each part of a menu is drawn. The title is the text up to the first line
// break; each line after it is drawn in the highlight colour when it is the selected one. The clock
// takes the colour of the last line.
struct OsdMenuLayout {
    OsdTextLine title;
    std::vector<OsdTextLine> lines;
    OsdPoint clockAt;
    uint32_t clockColor = 0;
};
OsdMenuLayout LayOutMenu(const std::wstring& menuText, int32_t selectedLine, const OsdColors& colors,
                         const COsdGeometry& geometry, int32_t clientWidth, int32_t screenWidth,
                         int32_t screenHeight);

enum class OsdState { Hidden, Bar, Menu };

// The menu fields the command handler fills; the subtitle and the descriptions are kept for it and
// not drawn.
struct tagOSDMENU {
    std::wstring title;
    std::wstring subtitle;
    std::array<std::wstring, kOsdMenuEntries> entries;
    std::array<std::wstring, kOsdMenuEntries> descriptions;
};

// What the window draws.
struct OsdFrame {
    OsdState state = OsdState::Hidden;
    bool menuMode = false;
    std::wstring text = L"OSD";
    int32_t selectedLine = -1; // the menu line in the highlight colour, -1 for none
    OsdColors colors;
    friend bool operator==(const OsdFrame&, const OsdFrame&) = default;
};

class COsdModel {
public:
    COsdModel(IClock& clock, const tagOSDSETTINGS& settings);

    // --- Any thread ---
    // A one-line text in the bar. Nothing happens while the display time is below 1 s or the menu is
    // shown (false); otherwise the display goes to the bar and its time starts again, and `changed`
    // tells whether the drawing differs from before.
    bool ShowText(const std::wstring& text, bool* changed = nullptr);
    // The menu from the title and entries, with the selected entry highlighted, whatever the display
    // time and the menu-shown flag. True when the drawing differs from before.
    bool ShowMenu();
    // Highlights menu line index (-1 for none) and makes it the selected entry; returns the entry that
    // was selected before.
    int32_t SetSelection(int32_t index);
    // Moves the highlight one entry forward or back, round the ten entries; without a selection
    // forward selects the first entry and back the last. Returns the entry now selected.
    int32_t StepSelection(bool forward);
    // New settings; true when a colour of the drawing changed.
    bool ApplySettings(const tagOSDSETTINGS& settings);
    // The command handler's hiding.
    void Hide();
    void SetMenu(const tagOSDMENU& menu);
    tagOSDMENU Menu() const;
    void SetMenuShown(bool shown);
    bool MenuShown() const;
    int32_t SelectedEntry() const;
    tagOSDSETTINGS Settings() const;
    OsdFrame Frame() const;

    // --- The window's thread ---
    // Escape: clears the display's menu-shown flag (not the handler's) and hides.
    void Escape();
    // The hide timer's test: true when the display is up, the menu is not marked shown and more than
    // the display time has passed since the last text; the display then counts as hidden.
    bool HideDue();

private:
    IClock& clock_;
    mutable std::mutex mutex_;
    tagOSDSETTINGS settings_;
    OsdFrame frame_;
    tagOSDMENU menu_;
    bool menuShown_ = false;
    int32_t selectedEntry_ = -1;
    uint32_t lastText_ = 0;
};

} // namespace lm
