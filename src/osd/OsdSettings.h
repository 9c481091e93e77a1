// The settings block of the on-screen display: six 32-bit values, kept with the program's settings and
// handed to the display as one block. Colours are 0x00BBGGRR.
#pragma once
#include <cstdint>

namespace lm {

struct tagOSDSETTINGS {
    uint32_t on = 1;                     // show the display
    uint32_t time = 2;                   // seconds a text stays; below 1 no text is shown
    uint32_t textColor = 0xF0CAA6;       //
    uint32_t backgroundColor = 0xA56E3A; // the middle of the bar
    uint32_t gradientColor = 0x000000;   // the side edges of the bar
    uint32_t useGradient = 1;            // 0 draws a uniform background
    friend bool operator==(const tagOSDSETTINGS&, const tagOSDSETTINGS&) = default;
};

} // namespace lm
