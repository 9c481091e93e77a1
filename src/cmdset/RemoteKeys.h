// The common key IDs of every receiver. The numbers are stored in command-set files and never change.
// 0..127 are the note numbers of a MIDI keyboard, 140..324 the keys of the remote controls; a key ID
// exists when its English name is not empty (see KeyNames.h).
#pragma once
#include <cstdint>

namespace lm {

enum tagRCKEYS_ALL : int32_t {
    RCKEY_NONE = -1,

    RCKEY_NOTE_FIRST = 0, // C0
    RCKEY_NOTE_C5 = 60,
    RCKEY_NOTE_LAST = 127, // G10

    RCKEY_POWER = 140,
    RCKEY_FULLSCREEN = 141,
    RCKEY_TIMER = 142,
    RCKEY_MOSAIC = 143,
    RCKEY_STILL = 144,

    RCKEY_MENU = 160,
    RCKEY_TELETEXT = 161,
    RCKEY_EPG = 162,
    RCKEY_PROGINFO = 163,

    RCKEY_UP = 180,
    RCKEY_DOWN = 181,
    RCKEY_LEFT = 182,
    RCKEY_RIGHT = 183,
    RCKEY_OK = 184,
    RCKEY_BACK = 185,
    RCKEY_OK2 = 186,
    RCKEY_BACK2 = 187,
    RCKEY_DELETE = 188,

    RCKEY_0 = 200,
    RCKEY_1 = 201,
    RCKEY_2 = 202,
    RCKEY_3 = 203,
    RCKEY_4 = 204,
    RCKEY_5 = 205,
    RCKEY_6 = 206,
    RCKEY_7 = 207,
    RCKEY_8 = 208,
    RCKEY_9 = 209,
    RCKEY_DIGITS = 210, // "-/--"

    RCKEY_PROG_DOWN = 220,
    RCKEY_PROG_UP = 221,
    RCKEY_LAST_CHANNEL = 222,
    RCKEY_AV = 223,

    RCKEY_VOL_DOWN = 240,
    RCKEY_VOL_UP = 241,
    RCKEY_MUTE = 242,
    RCKEY_AUDIO = 243,

    RCKEY_PLAY = 260,
    RCKEY_STOP = 261,
    RCKEY_PAUSE = 262,
    RCKEY_RECORD = 263,
    RCKEY_FREW = 264,
    RCKEY_FFWD = 265,
    RCKEY_PREV = 266,
    RCKEY_NEXT = 267,
    RCKEY_PREV_FREW = 268, // short press: previous, long press: rewind
    RCKEY_NEXT_FFWD = 269, // short press: next, long press: fast forward

    RCKEY_RED = 280,
    RCKEY_GREEN = 281,
    RCKEY_YELLOW = 282,
    RCKEY_BLUE = 283,

    RCKEY_DVD_MENU = 301,
    RCKEY_SUBTITLES = 302,
    RCKEY_TV = 303,
    RCKEY_DVD = 304,
    RCKEY_VIDEO = 305,
    RCKEY_MUSIC = 306,
    RCKEY_PICTURE = 307,
    RCKEY_ANGLE = 308,

    RCKEY_RED_TIMER = 320,
    RCKEY_GREEN_FULLSCREEN = 321,
    RCKEY_YELLOW_AUDIO = 322,
    RCKEY_BLUE_MOSAIC = 323,
    RCKEY_BLUE_ANGLE = 324,

    RCKEY_COUNT = 325, // number of key IDs, 0..324
};

// A value inside the table of key IDs (whether or not a key carries it).
constexpr bool IsKeyIdInRange(int32_t key) {
    return key >= 0 && key < RCKEY_COUNT;
}

// The digit keys 200..209; the multi-tap text input works on these only.
constexpr bool IsDigitKey(int32_t key) {
    return key >= RCKEY_0 && key <= RCKEY_9;
}
constexpr int DigitOfKey(int32_t key) {
    return IsDigitKey(key) ? key - RCKEY_0 : -1;
}

// The keys that move through the on-screen main menu.
constexpr bool IsOsdMenuKey(int32_t key) {
    return (key >= RCKEY_UP && key <= RCKEY_BACK2) || IsDigitKey(key) ||
           (key >= RCKEY_PLAY && key <= RCKEY_PAUSE) || key == RCKEY_PREV || key == RCKEY_NEXT;
}

// The Power and Menu keys are always saved without repetition.
constexpr bool IsNeverRepeatedKey(int32_t key) {
    return key == RCKEY_POWER || key == RCKEY_MENU;
}

} // namespace lm
