#include "osd/OsdModel.h"

#include "base/Text.h"

#include <cstdlib>

namespace lm {

namespace {

// The longest menu entry and clock part, as the fixed texts of the command records.
constexpr size_t kEntryChars = 255;
constexpr size_t kClockChars = 127;

} // namespace

int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0)
        return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t half = std::llabs(denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

OsdColors OsdColorsFor(const tagOSDSETTINGS& settings) {
    OsdColors c;
    c.text = settings.textColor;
    c.highlight = settings.textColor == 0xFFFFFF ? 0xF0CAA6 : 0xFFFFFF;
    c.background = settings.backgroundColor;
    c.gradient = settings.useGradient != 0 ? settings.gradientColor : settings.backgroundColor;
    return c;
}

std::vector<std::wstring> OsdFontFaces(uint16_t languageId) {
    switch (languageId) {
    case 2052: // Simplified Chinese
        return {L"Arial Unicode MS", L"SimHei", L"Arial"};
    case 1028: // Traditional Chinese
        return {L"Arial Unicode MS", L"MingLiU", L"Arial"};
    default:
        return {L"Arial"};
    }
}

int32_t COsdGeometry::Scale(int32_t pixelsAt96) const {
    return MulDivRounded(pixelsAt96, static_cast<int32_t>(dpi_), static_cast<int32_t>(kOsdBaseDpi));
}

uint32_t COsdGeometry::MenuDpi(uint32_t dpi, int32_t screenHeight) {
    constexpr uint32_t kSmallest = 48;
    uint32_t fit = dpi != 0 ? dpi : kOsdBaseDpi;
    for (; fit > kSmallest; --fit) {
        const COsdGeometry g(fit);
        // The last line's bottom stays above the clock.
        if (g.MenuLine(kOsdMenuEntries - 1, 0).bottom <= g.Clock(screenHeight).y)
            break;
    }
    return fit;
}

int32_t COsdGeometry::BarHeight() const {
    return Scale(48);
}

int32_t COsdGeometry::LargeFontHeight() const {
    return -MulDivRounded(24, static_cast<int32_t>(dpi_), 72);
}

int32_t COsdGeometry::SmallFontHeight() const {
    return LargeFontHeight() * 2 / 3;
}

int32_t COsdGeometry::LineHeight() const {
    return std::abs(LargeFontHeight()) * 3 / 2;
}

OsdRect COsdGeometry::MenuLine(int32_t line, int32_t screenWidth) const {
    int32_t place = line < kOsdMenuEntries ? line : kOsdMenuEntries - 1;
    int32_t h = LineHeight();
    OsdRect r;
    r.left = screenWidth / 3;
    r.top = (place + 3) * h;
    r.right = screenWidth;
    r.bottom = r.top + h;
    return r;
}

OsdPoint COsdGeometry::Title(int32_t clientWidth) const {
    return {clientWidth / 3, std::abs(LargeFontHeight())};
}

OsdPoint COsdGeometry::Clock(int32_t screenHeight) const {
    return {Scale(20), screenHeight - Scale(100)};
}

OsdPoint COsdGeometry::Text(int32_t clientWidth, int32_t clientHeight, int32_t charHeight) const {
    return {clientWidth / 2, (clientHeight - charHeight) / 2};
}

std::wstring BuildMenuText(const std::wstring& title,
                           const std::array<std::wstring, kOsdMenuEntries>& entries) {
    std::wstring text = title;
    for (int32_t i = 0; i < kOsdMenuEntries; ++i) {
        text += L'\n';
        if (!entries[i].empty())
            text += std::to_wstring(i) + L". " + CutTo(entries[i], kEntryChars);
    }
    return text;
}

std::wstring ClockText(const std::wstring& longDate, const tagLOCALTIME& now) {
    return CutTo(longDate, kClockChars) + L", " +
           FormatBounded(kClockChars, L"%02d:%02d", now.hour, now.minute);
}

OsdMenuLayout LayOutMenu(const std::wstring& menuText, int32_t selectedLine, const OsdColors& colors,
                         const COsdGeometry& geometry, int32_t clientWidth, int32_t screenWidth,
                         int32_t screenHeight) {
    OsdMenuLayout layout;
    size_t end = menuText.find(L'\n');
    layout.title = {menuText.substr(0, end), geometry.Title(clientWidth), colors.text};
    uint32_t color = colors.text;
    for (int32_t k = 0; end != std::wstring::npos; ++k) {
        size_t start = end + 1;
        end = menuText.find(L'\n', start);
        color = k == selectedLine ? colors.highlight : colors.text;
        OsdRect place = geometry.MenuLine(k, screenWidth);
        layout.lines.push_back({menuText.substr(start, end == std::wstring::npos ? end : end - start),
                                {place.left, place.top},
                                color});
    }
    layout.clockAt = geometry.Clock(screenHeight);
    layout.clockColor = color;
    return layout;
}

COsdModel::COsdModel(IClock& clock, const tagOSDSETTINGS& settings) : clock_(clock), settings_(settings) {
    frame_.colors = OsdColorsFor(settings);
}

bool COsdModel::ShowText(const std::wstring& text, bool* changed) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (settings_.time < 1 || menuShown_)
        return false;
    OsdFrame before = frame_;
    frame_.menuMode = false;
    frame_.selectedLine = -1;
    frame_.text = text;
    frame_.state = OsdState::Bar;
    if (changed)
        *changed = frame_.text != before.text || before.menuMode || before.selectedLine != -1;
    lastText_ = clock_.TickCount();
    return true;
}

bool COsdModel::ShowMenu() {
    std::lock_guard<std::mutex> lock(mutex_);
    OsdFrame before = frame_;
    frame_.menuMode = true;
    frame_.selectedLine = selectedEntry_;
    frame_.text = BuildMenuText(menu_.title, menu_.entries);
    frame_.state = OsdState::Menu;
    return frame_.text != before.text || !before.menuMode || before.selectedLine != frame_.selectedLine;
}

int32_t COsdModel::SetSelection(int32_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    frame_.menuMode = true;
    frame_.selectedLine = index;
    int32_t previous = selectedEntry_;
    selectedEntry_ = index;
    return previous;
}

int32_t COsdModel::StepSelection(bool forward) {
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t current = selectedEntry_;
    bool none = current < 0 || current >= kOsdMenuEntries;
    if (forward)
        selectedEntry_ = none ? 0 : (current + 1) % kOsdMenuEntries;
    else
        selectedEntry_ = none ? kOsdMenuEntries - 1 : (current + kOsdMenuEntries - 1) % kOsdMenuEntries;
    frame_.menuMode = true;
    frame_.selectedLine = selectedEntry_;
    return selectedEntry_;
}

bool COsdModel::ApplySettings(const tagOSDSETTINGS& settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_ = settings;
    OsdColors colors = OsdColorsFor(settings);
    bool changed = colors != frame_.colors;
    frame_.colors = colors;
    return changed;
}

void COsdModel::Hide() {
    std::lock_guard<std::mutex> lock(mutex_);
    frame_.state = OsdState::Hidden;
}

void COsdModel::SetMenu(const tagOSDMENU& menu) {
    std::lock_guard<std::mutex> lock(mutex_);
    menu_ = menu;
}

tagOSDMENU COsdModel::Menu() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return menu_;
}

void COsdModel::SetMenuShown(bool shown) {
    std::lock_guard<std::mutex> lock(mutex_);
    menuShown_ = shown;
}

bool COsdModel::MenuShown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return menuShown_;
}

int32_t COsdModel::SelectedEntry() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selectedEntry_;
}

tagOSDSETTINGS COsdModel::Settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_;
}

OsdFrame COsdModel::Frame() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frame_;
}

void COsdModel::Escape() {
    std::lock_guard<std::mutex> lock(mutex_);
    menuShown_ = false;
    frame_.state = OsdState::Hidden;
}

bool COsdModel::HideDue() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frame_.state == OsdState::Hidden || menuShown_)
        return false;
    // In 64 bits: a display time of billions of seconds must not wrap to a short one.
    uint64_t shown = static_cast<uint32_t>(clock_.TickCount() - lastText_);
    if (shown <= static_cast<uint64_t>(settings_.time) * 1000)
        return false;
    frame_.state = OsdState::Hidden;
    return true;
}

} // namespace lm
