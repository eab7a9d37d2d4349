#include "skin/core/sMessages.h"

#include "vcl/Forms.h"

namespace {

BOOL CALLBACK SendToChild(HWND child, LPARAM data)
{
    auto* message = reinterpret_cast<TMessage*>(data);
    SendMessageW(child, message->Msg, message->WParam, message->LParam);
    return TRUE;
}

} // namespace

void BroadcastToAllForms(TMessage& message)
{
    if (!Screen)
        return;
    // Receivers may close forms while they are told, so the count is read again at each step.
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        if (i >= Screen->FormCount())
            continue;
        TCustomForm* form = Screen->Forms(i);
        const TComponentState state = form->ComponentState();
        if (state.Contains(csDestroying) || state.Contains(csLoading))
            continue;
        HWND window = form->Handle();
        message.Result = SendMessageW(window, message.Msg, message.WParam, message.LParam);
        EnumChildWindows(window, &SendToChild, reinterpret_cast<LPARAM>(&message));
    }
}
