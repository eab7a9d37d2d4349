#pragma once
// Keys put into the thread's queue with a modifier held in the thread's key state, as the
// keyboard would leave it, whatever window is in front: the message loop's translations (MDI
// keys, accelerators) read that state.
#include "vcl/Forms.h"
#include "vcl/Win.h"

namespace ks::test {

inline void PressWithControl(HWND target, WORD key)
{
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    SetKeyboardState(keys);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    Application->ProcessMessages();
    keys[VK_CONTROL] &= 0x7F;
    SetKeyboardState(keys);
    Application->ProcessMessages();
}

} // namespace ks::test
