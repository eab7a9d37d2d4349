#pragma once
// TacSpeedButtonHandler: skins a windowless class-library speed button (TSpeedButton) that has
// no skin of its own. It takes over the button's WindowProc and paints the button from the
// skin whenever its parent asks it to paint; everything else goes on to the button.
//
// The handler is made and freed by its creator (a form's control adapter). It puts the button's
// WindowProc back only while it is still the handler's own and the button is still there: a
// button freed first, or one whose WindowProc someone replaced later, is left alone.

#include "skin/core/ComponentWatch.h"
#include "vcl/Classes.h"
#include "vcl/Controls.h"

#include <memory>
#include <string_view>

class TsCommonData;
class TsSkinManager;
class TSpeedButton;
class TBitmap;
struct CacheInfo;

class TacSpeedButtonHandler : public TObject {
public:
    const char* ClassName() const noexcept override { return "TacSpeedButtonHandler"; }

    // skinData is the creator's and outlives the handler; manager nullptr takes the skin
    // data's. section is set on the skin data when it names none.
    TacSpeedButtonHandler(TSpeedButton* button, TsSkinManager* manager, TsCommonData* skinData,
                          std::string_view section);
    ~TacSpeedButtonHandler() override;
    TacSpeedButtonHandler(const TacSpeedButtonHandler&) = delete;
    TacSpeedButtonHandler& operator=(const TacSpeedButtonHandler&) = delete;

    // The button's window procedure while the handler holds it.
    virtual void WndProc(TMessage& message);

    // 2 down (or exclusive), 1 hot, 0 otherwise.
    int ButtonState() const;
    // The whole button into the skin data's cache bitmap; false when there is nothing to paint.
    bool PrepareCache();

    TSpeedButton* Button = nullptr;
    TWndMethod SavedWindowProc;
    TsSkinManager* SkinManager = nullptr;
    TsCommonData* SkinData = nullptr;
    // The button is gone (or given back): nothing of it is touched any more.
    bool Destroyed = false;

    // False once the button has been freed.
    bool ButtonAlive() const;

private:
    // The handlers of WndProc; each returns whether the message was consumed.
    bool WMPaint(TMessage& m);
    bool HoverChange(TMessage& m, bool entered);
    bool SkinCommand(TMessage& m);
    void PassOn(TMessage& m);
    void RepaintIfVisible();
    void PaintCaption(TBitmap& cache, int state, TSize glyph);
    void PaintGlyph(TBitmap& cache, int state, const CacheInfo& behind);
    TSize GlyphSize() const;
    TSize CaptionSize(TBitmap& cache) const;

    ks::ComponentWatch FWatch;
    // Expires when the handler is deleted; held across calls into the application.
    std::shared_ptr<const void> FLife = std::make_shared<char>();
};
