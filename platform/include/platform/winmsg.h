// Every window-message, virtual-key and mouse-flag number the programs use, in one place, numbered as
// the framework numbers them so that values stored or exchanged elsewhere keep their meaning.
#pragma once

#include <cstdint>

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

enum : UINT {
    WM_SIZE = 0x0005,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_HELP = 0x0053,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
};

// Mouse-message flags in wParam.
enum : UINT {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Virtual keys. Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').
enum : UINT {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12, // Alt
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_0 = 0x30,
    VK_9 = 0x39,
    VK_A = 0x41,
    VK_Z = 0x5A,
    VK_F1 = 0x70,
    VK_F12 = 0x7B,
};

// Scroll-bar requests in the low word of WM_HSCROLL / WM_VSCROLL.
enum : UINT { SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4 };

// One wheel notch.
inline constexpr int WHEEL_DELTA = 120;

// Mouse messages carry the client pixel in lParam: x in the low 16 bits, y in the high 16 (signed).
inline LPARAM MAKELPARAM(int x, int y) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}
inline int GET_X_LPARAM(LPARAM l) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(l & 0xFFFF));
}
inline int GET_Y_LPARAM(LPARAM l) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((l >> 16) & 0xFFFF));
}
// WM_MOUSEWHEEL: the signed rotation in the high word of wParam, the key flags in the low word.
inline WPARAM MAKEWHEELWPARAM(int delta, UINT keys) {
    return static_cast<WPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16) |
                               (keys & 0xFFFF));
}
inline int GET_WHEEL_DELTA_WPARAM(WPARAM w) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((w >> 16) & 0xFFFF));
}
