// Synthesised input and the pointer: keyboard state and layout, input injection (SendInput), the
// pointer's position and shape.
#pragma once
#include <cstdint>

namespace lm {

// Virtual-key codes the executors press themselves.
enum : uint16_t { kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkCapital = 0x14 };
// KEYEVENTF_* bits.
enum : uint32_t { kKeyEventKeyUp = 0x0002, kKeyEventUnicode = 0x0004 };
// MOUSEEVENTF_* bits.
enum : uint32_t {
    kMouseMove = 0x0001,
    kMouseLeftDown = 0x0002,
    kMouseLeftUp = 0x0004,
    kMouseRightDown = 0x0008,
    kMouseRightUp = 0x0010,
    kMouseMiddleDown = 0x0020,
    kMouseMiddleUp = 0x0040,
};

// One input record of SendInput: a key (virtual key, or a character with kKeyEventUnicode in the scan
// field) or a mouse event. Time and extra data are always 0.
struct tagINPUTRECORD {
    enum class Kind : uint8_t { Keyboard, Mouse };
    Kind kind = Kind::Keyboard;
    uint16_t vk = 0;
    uint16_t scan = 0;
    int32_t dx = 0;
    int32_t dy = 0;
    uint32_t flags = 0;

    static tagINPUTRECORD Key(uint16_t vk, bool up) {
        return {Kind::Keyboard, vk, 0, 0, 0, up ? kKeyEventKeyUp : 0u};
    }
    static tagINPUTRECORD Unicode(uint16_t unit, bool up) {
        return {Kind::Keyboard, 0, unit, 0, 0, kKeyEventUnicode | (up ? kKeyEventKeyUp : 0u)};
    }
    static tagINPUTRECORD Mouse(uint32_t flags, int32_t dx = 0, int32_t dy = 0) {
        return {Kind::Mouse, 0, 0, dx, dy, flags};
    }
    friend bool operator==(const tagINPUTRECORD&, const tagINPUTRECORD&) = default;
};

enum class CursorShape { None, Arrow, Other };

class IInput {
public:
    virtual ~IInput() = default;
    // GetKeyState of the calling thread: bit 0 is the toggle state, bit 15 the pressed state.
    virtual uint16_t KeyState(int32_t vk) = 0;
    // VkKeyScanW: virtual key in the low byte, shift state in the high byte; 0xFFFF when none.
    virtual uint16_t CharToVirtualKey(wchar_t ch) = 0;
    // SendInput with one record; the number of records inserted.
    virtual uint32_t SendInput(const tagINPUTRECORD& input) = 0;

    virtual bool SetCursorPos(int32_t x, int32_t y) = 0;
    // Shape set through the calling thread (GetCursor / SetCursor).
    virtual CursorShape Cursor() = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // Width and height of a maximised window on the primary screen.
    virtual void MaximizedSize(int32_t& cx, int32_t& cy) = 0;
};

IInput& NativeInput();

} // namespace lm
