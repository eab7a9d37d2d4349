#pragma once
// The skin command message: the one channel between the skinned windows and controls of the
// process. SM_SKINCMD carries a command number in the high word of WParam and a small argument
// (0 or 1) in its low word; LParam carries the command's value; the answer travels in the
// result. A receiver that does not know a command, or is not skinned, leaves the result 0, and
// a window nobody skins answers 0 from its default handling, so every command whose answer
// matters reads 0 as the safe "no": not skinned, no provider, no colour, not updating.
//
// Rules every receiver keeps:
// - Commands 1 to 3 concern the receivers of one skin manager: they are acted on only when
//   LParam is the receiver's manager (its own, or the default one when it has none), so two
//   managers in one process leave each other's controls alone.
// - A receiver that answers a query marks the message handled so that the default handling
//   does not overwrite the result; one that only changes its state lets the message go on.
// - Commands 24, 25 and 34 carry a pointer into the sender's memory, valid only during the
//   send. 0xA100 is an ordinary application message that any program can send or post, so a
//   receiver reads such a pointer only through SkinCommandView::Pointer, which hands it out
//   only while a sender of this thread is sending exactly that pointer. The senders of
//   skin/core/SkinSenders.h mark their sends so; never send these commands with a bare
//   SendMessage.

#include "vcl/Messages.h"
#include "vcl/Win.h"

class TsSkinManager;

// In the application range; the same number in every window of the process.
inline constexpr UINT SM_SKINCMD = 0xA100;

// Command numbers, with what travels in LParam and what comes back. 15, 33, 38 to 50, 53 to 59
// and everything above 61 are not assigned; the shared receiver of skinned controls ignores
// numbers above 60.
inline constexpr WORD SKC_NEW_SKIN = 1;             // manager; that manager loaded a new skin
inline constexpr WORD SKC_REMOVE_SKIN = 2;          // manager; that manager removes its skin
inline constexpr WORD SKC_REFRESH = 3;              // manager; repaint with the manager's skin
inline constexpr WORD SKC_GET_PROVIDER = 4;         // 0; answers the form's provider or 0
inline constexpr WORD SKC_CHILD_PAINT = 5;          // 0; a child adapter is about to paint (relayed)
inline constexpr WORD SKC_PARENT_UPDATED = 6;       // 0; the parent finished an update
inline constexpr WORD SKC_IS_SKINNED = 7;           // 0; answers 1 from everything skinned
inline constexpr WORD SKC_SET_UPDATING = 8;         // 0; update lock := argument (a popup menu window answers shown)
inline constexpr WORD SKC_SET_TRANSPARENT = 9;      // 0; parent-background flag := argument
inline constexpr WORD SKC_IS_UPDATING = 10;         // 0; answers 1 while updating
inline constexpr WORD SKC_IS_CACHE_OUTDATED = 11;   // 0; answers the clipped-by-parent flag
inline constexpr WORD SKC_PARENT_BG_CHANGED = 12;   // 0; a see-through receiver marks its background changed
inline constexpr WORD SKC_SECTION_CHANGED = 13;     // 0; receivers of the changed section invalidate
inline constexpr WORD SKC_MENU_SHOWN = 14;          // 0; a visible popup menu window sets its shown flag
inline constexpr WORD SKC_STOP_FADE = 16;           // 0; stop a running fade
inline constexpr WORD SKC_SET_BG_CHANGED = 17;      // 0; background-changed flag := true
inline constexpr WORD SKC_REPAINT_NOW = 18;         // 0; rebuild the image and repaint now
inline constexpr WORD SKC_IS_BG_COMPLEX = 19;       // 0; answers 1 when the background is more than a colour
inline constexpr WORD SKC_CHECK_BG = 20;            // 0; re-evaluate the dependence on the parent
inline constexpr WORD SKC_GET_BG_COLOR = 21;        // 0xFF00FF or 0; answers the background colour
inline constexpr WORD SKC_SET_CACHE_OUTDATED = 22;  // 0; clipped-by-parent flag := true
inline constexpr WORD SKC_PREPARE_CACHE = 23;       // 0; build the cache image now
inline constexpr WORD SKC_FADE_FRAME = 24;          // frame bitmap (pointer); non-zero when shown by the receiver
inline constexpr WORD SKC_ADAPT_CHILD = 25;         // control to adapt (pointer) or 0
inline constexpr WORD SKC_GET_SKIN_INDEX = 26;      // 0; answers section index + 1
inline constexpr WORD SKC_GET_CAPTION_HEIGHT = 27;  // 0; answers the caption band's height
inline constexpr WORD SKC_ADAPT_CHILD_WINDOWS = 28; // 0; the dialog adapter adapts its children
inline constexpr WORD SKC_HOT_ENTER = 29;           // manager; the window becomes the hot window
inline constexpr WORD SKC_HOT_LEAVE = 30;           // manager; the window stops being hot
inline constexpr WORD SKC_UPDATE_BEGUN = 31;        // 0; notification
inline constexpr WORD SKC_UPDATE_ENDED = 32;        // 0; notification
inline constexpr WORD SKC_GET_BG_INFO = 34;         // BackgroundInfo record (pointer), filled by the receiver
inline constexpr WORD SKC_CACHE_INIT = 35;          // 0; notification before the cache is repainted
inline constexpr WORD SKC_GET_STATE = 36;           // 0 answers the state word, 1 recomputes it down the tree
inline constexpr WORD SKC_UPDATE_BORDERS = 37;      // 0; the provider refreshes its border window, shown with argument 1
inline constexpr WORD SKC_BEFORE_SCROLL = 51;       // MakeLong(code, message); 1: the position goes in LParam
inline constexpr WORD SKC_AFTER_SCROLL = 52;        // as 51; resume redraw
inline constexpr WORD SKC_GET_APPLICATION = 60;     // 0; answers the application object
inline constexpr WORD SKC_GET_CLIENT_OFFSET = 61;   // 0; answers MakeLong(x, y)

// The record a skin command travels in: WParam = MakeLong(argument, command).
inline TMessage SkinCommand(WORD command, LPARAM value, WORD argument = 0) noexcept
{
    return {SM_SKINCMD, static_cast<WPARAM>(MAKELONG(argument, command)), value, 0};
}

namespace ks {

// Commands whose LParam points into the sender's memory.
constexpr bool CarriesPointer(WORD command) noexcept
{
    return command == SKC_FADE_FRAME || command == SKC_ADAPT_CHILD || command == SKC_GET_BG_INFO;
}

// Marks the pointer of one skin command as being sent by this thread for the life of the
// scope; messages that are not pointer-carrying skin commands are not marked. Scopes nest.
class PointerSendScope {
public:
    PointerSendScope(UINT msg, WPARAM wParam, LPARAM lParam);
    ~PointerSendScope();
    PointerSendScope(const PointerSendScope&) = delete;
    PointerSendScope& operator=(const PointerSendScope&) = delete;

private:
    bool FMarked = false;
};

// A skin command as its receiver reads it.
class SkinCommandView : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD Command() const noexcept { return M.WParamHi(); }
    WORD Argument() const noexcept { return M.WParamLo(); }
    // False only for commands 1 to 3 that another manager sent; manager is the receiver's
    // manager (its own, or the default one).
    bool ConcernsManager(const TsSkinManager* manager) const noexcept;
    // The manager that sent command 1, 2 or 3 (compare with ConcernsManager before use).
    TsSkinManager* Manager() const noexcept { return reinterpret_cast<TsSkinManager*>(M.LParam); }
    // The command's value when it is a number.
    LPARAM Value() const noexcept { return M.LParam; }
    // The pointer of command 24, 25 or 34 while a sender of this thread is sending it;
    // nullptr for a message posted, sent from another thread or process, or of another
    // command.
    template <class T>
    T* Pointer() const noexcept
    {
        return static_cast<T*>(TrustedPointer());
    }

private:
    void* TrustedPointer() const noexcept;
};

} // namespace ks
