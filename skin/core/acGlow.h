#pragma once
// Glow effects: the halo a skin draws around a hot control or title-bar button. A halo is painted
// from a skin image into a 32-bit bitmap with per-pixel alpha and shown in a borderless layered
// window of its own around the control, one that the mouse passes through. Glows are addressed
// by ids, indexes into GlowEffects: an id stays valid until HideGlowEffect of it or
// FreeAllGlowEffects, ids are not reused meanwhile (hidden entries stay as empty slots), and
// FreeAllGlowEffects starts the numbering again at 0. Without layered windows nothing is shown.
// Nothing here raises. User-interface thread only.

#include "skin/core/ComponentWatch.h"
#include "vcl/Bitmap.h"
#include "vcl/Controls.h"
#include "vcl/Win.h"

#include <memory>
#include <string_view>
#include <vector>

class TForm;
class TsSkinManager;

// The tag of a glow window, so that walks over the program's forms can leave it out.
inline constexpr int GlowFormTag = -98;

class TacGlowEffect : public TObject {
public:
    TacGlowEffect();
    // Gives the form its own window procedure back; the form is freed at once when the manager
    // is being destroyed (or gone), else hidden and released once the messages queued now are
    // handled.
    ~TacGlowEffect() override;
    const char* ClassName() const noexcept override { return "TacGlowEffect"; }

    // Replaces Bitmap by a width x height halo: fully transparent, with the glow image MaskIndex
    // of Manager painted over all of it (state 0, no centre), as premultiplied colour and alpha.
    // Sizes below 1 give an empty bitmap.
    virtual void PrepareBitmap(int width, int height);

    // Holds the glow image; not owned.
    TsSkinManager* Manager = nullptr;
    // The glow image in Manager's image table; -1 none.
    int MaskIndex = -1;
    // Pixels by which the halo is pulled in on each side.
    int Margin = 0;
    // The glow window; owned.
    TForm* Form = nullptr;
    // The halo while it is prepared; freed once the window holds the picture.
    std::unique_ptr<TBitmap> Bitmap;
    // The form's window procedure before the effect put its own in front.
    TWndMethod OldWndProc;

private:
    friend int ShowGlowEffect(const TRect&, const TRect&, std::string_view, std::string_view, int, int, HWND,
                              TsSkinManager*);
    // Makes, places and shows the window; false when nothing of the halo is left to show.
    bool ShowHalo(const TRect& r, TRect visibleR, HWND parentWnd);
    void NewWndProc(TMessage& message);

    // The manager and the form may be freed by others first.
    ks::ComponentWatch FWatch;
};

// The glows shown, by id; empty entries are hidden glows.
extern std::vector<std::unique_ptr<TacGlowEffect>> GlowEffects;
// What UpdateLayeredWindow is given: source over, per-pixel alpha, constant alpha 255.
extern BLENDFUNCTION GlowBlend;

// Shows a halo around the screen rectangle r, of which visibleR (relative to r's top-left, as a
// control's clip box gives it) is the visible part, from the image key + "0" of the section
// (looked up without the parent section); skinManager nullptr means DefaultSkinManager; a
// parentWnd that stays on top makes the halo stay on top. alpha is not used (callers pass 255).
// Returns the new id, or -1 without layered windows, without such an image, or when nothing of
// the halo is visible.
int ShowGlowEffect(const TRect& r, const TRect& visibleR, std::string_view sectionName, std::string_view key,
                   int margin, int alpha, HWND parentWnd, TsSkinManager* skinManager);
// Frees the glow id; ids out of range and glows already hidden are ignored.
void HideGlowEffect(int id);
// Frees every glow and empties the list.
void FreeAllGlowEffects();
// Bumped by FreeAllGlowEffects: an id taken before it may now name another glow.
unsigned GlowEffectsGeneration() noexcept;

// Unit shut-down: frees every glow and its window at once (no message loop runs any more).
void FinalizeAcGlowUnit();
