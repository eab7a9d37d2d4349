#pragma once
// Receivers for the tests of the skin command's senders and deliveries: a form, a panel and a
// windowless control that log each skin command they act on as "label:command", and
// WM_SETREDRAW as "label:redraw0" / "label:redraw1", in one log in the order heard. A skinned
// receiver answers SKC_IS_SKINNED and, unless it is a form, passes commands on to its children
// as skinned controls do; with a Manager it ignores commands 1 to 3 of other managers;
// SKC_GET_PROVIDER is answered with Provider; OnCommand runs after the entry is logged.

#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "vcl/Forms.h"
#include "vcl/TypInfo.h"

#include <functional>
#include <string>
#include <vector>

namespace ks::test {

inline std::vector<std::string>& CommandLog()
{
    static std::vector<std::string> log;
    return log;
}

struct Receiver {
    std::string Label;
    bool Skinned = false;
    const TsSkinManager* Manager = nullptr;
    TComponent* Provider = nullptr;
    std::function<void(TMessage&)> OnCommand;

    // True when the message is a skin command, which is then answered here.
    bool Receive(TControl& self, TMessage& m) const
    {
        if (m.Msg == WM_SETREDRAW)
            CommandLog().push_back(Label + ":redraw" + (m.WParam ? "1" : "0"));
        if (m.Msg != SM_SKINCMD)
            return false;
        const SkinCommandView view(m);
        if (view.Command() == SKC_IS_SKINNED || view.Command() == SKC_GET_PROVIDER) {
            m.Result = view.Command() == SKC_IS_SKINNED ? Skinned : reinterpret_cast<LRESULT>(Provider);
            return true;
        }
        if (Manager && !view.ConcernsManager(Manager))
            return true;
        CommandLog().push_back(Label + ":" + std::to_string(view.Command()));
        if (OnCommand)
            OnCommand(m);
        if (auto* w = dynamic_cast<TWinControl*>(&self); w && Skinned && !dynamic_cast<TCustomForm*>(w))
            BroadcastCommand(w, m);
        return true;
    }
};

template <class Base>
class Recording : public Base {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TRecording", &Base::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using Base::Base;
    Receiver R;

    void WndProc(TMessage& m) override
    {
        if (!R.Receive(*this, m))
            Base::WndProc(m);
    }
};

using TRecForm = Recording<TForm>;
using TRecPanel = Recording<TCustomControl>;
using TRecGraphic = Recording<TGraphicControl>;

template <class T>
T* MakeReceiver(TComponent* owner, TWinControl* parent, std::string label, bool skinned = false)
{
    T* receiver = Create<T>(owner);
    receiver->R.Label = std::move(label);
    receiver->R.Skinned = skinned;
    receiver->SetParent(parent);
    return receiver;
}

// A form of the application, read from no resource, with a window.
inline TRecForm* MakeForm(std::string label, bool skinned = false)
{
    ks::SetNextFormCreation({true, false, {}});
    TRecForm* form = MakeReceiver<TRecForm>(Application, nullptr, std::move(label), skinned);
    form->HandleNeeded();
    return form;
}

} // namespace ks::test
