// The keyboard's Caps Lock and Num Lock state, where the display server tells it.
#pragma once

namespace tavil {

struct TKeyboardLocks {
    bool Known = false;  // false: the display server does not tell (Wayland, offscreen)
    bool CapsLock = false;
    bool NumLock = false;
};

// Asks the display server (one round trip on X11). Cheap enough for a status bar's timer.
TKeyboardLocks ReadKeyboardLocks();

}  // namespace tavil
