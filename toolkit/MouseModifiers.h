#pragma once
// Which mouse buttons and keys were held during a mouse event.

namespace tolvane {

struct MouseModifiers {
    bool L = false; // left button
    bool R = false; // right button
    bool S = false; // Shift
    bool C = false; // Ctrl
    bool A = false; // Alt

    // Fine adjustment is asked for with either Ctrl or Shift.
    constexpr bool Fine() const { return S || C; }
};

} // namespace tolvane
