#pragma once
// The skin command message: one window message, SM_SKINCMD, whose WParam carries a command
// number in its high word and a small argument in its low word; LParam carries the command's
// value (the sending skin manager for commands 1 to 3); the answer travels in the result. A
// receiver that does not know a command leaves the result 0, so 0 always reads as "no".

#include "vcl/Messages.h"
#include "vcl/Win.h"

// In the application message range; the same number in every window of the process.
inline constexpr UINT SM_SKINCMD = 0xA100;

inline constexpr WORD SKC_NEW_SKIN = 1;
inline constexpr WORD SKC_REMOVE_SKIN = 2;
inline constexpr WORD SKC_REFRESH = 3;
inline constexpr WORD SKC_GET_PROVIDER = 4;
inline constexpr WORD SKC_IS_SKINNED = 7;
inline constexpr WORD SKC_STOP_FADE = 16;
inline constexpr WORD SKC_REPAINT_NOW = 18;
inline constexpr WORD SKC_HOT_ENTER = 29;
inline constexpr WORD SKC_HOT_LEAVE = 30;

// The record a skin command travels in: WParam = MakeLong(argument, command).
inline TMessage SkinCommand(WORD command, LPARAM value, WORD argument = 0) noexcept
{
    return {SM_SKINCMD, static_cast<WPARAM>(MAKELONG(argument, command)), value, 0};
}

// Sends the message to the window of every form of the screen, last to first, and then to
// every child window of each, so that every skinned window of the application hears it. Forms
// being destroyed or still loading are skipped. Sent, not posted: each receiver has finished
// before the next one is asked.
void BroadcastToAllForms(TMessage& message);
