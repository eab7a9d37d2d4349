#pragma once
// The skinned memo: the platform memo skinned through an edit adapter. It does not paint its
// own frame: while a skin is active it holds a TacEditWnd, which paints the section "EDIT" into
// the frame, keeps the memo's colours in step with the skin and gives it skinned scroll bars.
// The memo itself answers the skin commands, holds its painting while its skin data updates and
// raises OnVScroll and OnScrollCaret. Without an active skin it is the plain memo it derives
// from.

#include "skin/core/sConst.h"
#include "vcl/Messages.h"
#include "vcl/StdCtrls.h"

#include <memory>

class TacMainWnd;
namespace ks {
class SkinCommandView;
}
class TsBoundLabel;
class TsCommonData;

class TsMemo : public TMemo {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsMemo(TComponent* owner);
    ~TsMemo() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel.get(); }
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    // After each vertical scroll message.
    TNotifyEvent OnVScroll() const noexcept { return FOnVScroll; }
    void SetOnVScroll(TNotifyEvent handler) noexcept { FOnVScroll = handler; }
    // After EM_SCROLLCARET.
    TNotifyEvent OnScrollCaret() const noexcept { return FOnScrollCaret; }
    void SetOnScrollCaret(TNotifyEvent handler) noexcept { FOnScrollCaret = handler; }
    // The attached edit adapter; nullptr while no skin is active.
    TacMainWnd* ListSW() const noexcept { return FListSW; }

    void AfterConstruction() override;
    void Loaded() override;
    void WndProc(TMessage& message) override;

private:
    // The skin commands the memo answers itself; false for those that go on.
    bool SkinCommand(ks::SkinCommandView view);
    bool Answer(ks::SkinCommandView view, LRESULT value);
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    void WMPaint(TWMPaint view);
    void Notify(const TNotifyEvent& event);
    void RefreshBars();
    void AfterPlatform(const TMessage& m);
    void KeepLabelInStep(const TMessage& m);
    void FreeAdapter() noexcept;

    std::unique_ptr<TsCommonData> FSkinData;
    TsDisabledKind FDisabledKind{dkBlended};
    TNotifyEvent FOnVScroll;
    TNotifyEvent FOnScrollCaret;
    std::unique_ptr<TsBoundLabel> FBoundLabel;
    TacMainWnd* FListSW = nullptr;
};

// Makes TsMemo known to the form reader.
void InitializeSMemoUnit();
