#pragma once
// The hint manager: takes over the application's hints while it is the active one. It chooses
// the application's hint window class by the shape of its HintKind, sets the hint timing, keeps
// the appearance every skinned hint window reads (TsHintKind, one of ten presets applied when
// the form has loaded), and the anchor of the last hint request. Freeing it gives the
// application its own hint window and hint event back. The hint windows are in sHintWindows.h.

#include "skin/core/sConst.h"
#include "vcl/Forms.h"

#include <memory>
#include <string>

class TsHintManager;

enum TsMousePosition { mpLeftTop, mpLeftBottom, mpRightTop, mpRightBottom };

// The user's say before a hint shows: the text, whether it shows, the request, and a frame to
// show in place of the text (the hint window frees it once painted).
using TacShowHintEvent =
    TDelegate<void(std::wstring& hintStr, bool& canShow, THintInfo& hintInfo, TFrame*& frame)>;

// ---------------------------------------------------------------------------------------------
// The look of the hint windows when they do not draw from the skin.
class TsHintKind : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsHintKind(TsHintManager* owner);
    ~TsHintKind() override;

    // True only when set and the hints are not drawn from the skin.
    bool ShadowEnabled() const;
    void SetShadowEnabled(bool value) noexcept { FShadowEnabled = value; }
    int MarginV() const noexcept { return FMarginV; }
    void SetMarginV(int value) noexcept { FMarginV = value; }
    int TexturePercent() const noexcept { return FTexturePercent; }
    void SetTexturePercent(int value) noexcept { FTexturePercent = value; }
    int ShadowBlur() const noexcept { return FShadowBlur; }
    void SetShadowBlur(int value) noexcept { FShadowBlur = value; }
    // Percent.
    int Transparency() const noexcept { return FTransparency; }
    void SetTransparency(int value) noexcept { FTransparency = value; }
    int GradientPercent() const noexcept { return FGradientPercent; }
    void SetGradientPercent(int value) noexcept { FGradientPercent = value; }
    int MarginH() const noexcept { return FMarginH; }
    void SetMarginH(int value) noexcept { FMarginH = value; }
    // Length of the pointer of the comics, ellipse and balloon shapes.
    int ExOffset() const noexcept { return FExOffset; }
    void SetExOffset(int value) noexcept { FExOffset = value; }
    int ShadowTransparency() const noexcept { return FShadowTransparency; }
    void SetShadowTransparency(int value) noexcept { FShadowTransparency = value; }
    int ShadowOffset() const noexcept { return FShadowOffset; }
    void SetShadowOffset(int value) noexcept { FShadowOffset = value; }
    int BevelWidth() const noexcept { return FBevelWidth; }
    void SetBevelWidth(int value) noexcept { FBevelWidth = value; }
    int MaxWidth() const noexcept { return FMaxWidth; }
    void SetMaxWidth(int value) noexcept { FMaxWidth = value; }
    int Radius() const noexcept { return FRadius; }
    void SetRadius(int value) noexcept { FRadius = value; }
    int Bevel() const noexcept { return FBevel; }
    void SetBevel(int value) noexcept { FBevel = value; }
    const std::string& GradientData() const noexcept { return FGradientData; }
    void SetGradientData(const std::string& value) { FGradientData = value; }
    const std::wstring& TextureFile() const noexcept { return FTextureFile; }
    void SetTextureFile(const std::wstring& value) { FTextureFile = value; }
    TColor ColorBorderTop() const noexcept { return FColorBorderTop; }
    void SetColorBorderTop(TColor value) noexcept { FColorBorderTop = value; }
    TColor ColorBorderBottom() const noexcept { return FColorBorderBottom; }
    void SetColorBorderBottom(TColor value) noexcept { FColorBorderBottom = value; }
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor value) noexcept { FColor = value; }
    // Stored skins carry it; it changes nothing.
    TColor ShadowColor() const noexcept { return FShadowColor; }
    void SetShadowColor(TColor) noexcept {}
    TFont* Font() const noexcept { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->Assign(value); }
    TPicture* Texture() const noexcept { return FTexture.get(); }
    void SetTexture(const TPicture* value) { FTexture->Assign(value); }
    TsHintStyle Style() const noexcept { return FStyle; }
    // Also gives the application the window class of the shape.
    void SetStyle(TsHintStyle value);
    // Stored skins carry it; it changes nothing.
    int Blur() const noexcept { return FBlur; }
    void SetBlur(int) noexcept {}

    TsHintManager* Owner() const noexcept { return FOwner; }

private:
    TPersistent* GetOwner() const override;

    TsHintManager* FOwner;
    bool FShadowEnabled = false;
    int FMarginV = 10;
    int FTexturePercent = 0;
    int FShadowBlur = 0;
    int FTransparency = 0;
    int FGradientPercent = 0;
    int FMarginH = 15;
    int FExOffset = 32;
    int FShadowTransparency = 0;
    int FShadowOffset = 0;
    int FBevelWidth = 1;
    int FMaxWidth = 200;
    int FRadius = 20;
    int FBevel = 0;
    std::string FGradientData;
    std::wstring FTextureFile;
    TColor FColorBorderTop = 0;
    TColor FColorBorderBottom = 0;
    TColor FColor = 0;
    TColor FShadowColor = 0;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPicture> FTexture;
    TsHintStyle FStyle = hsEllipse;
    int FBlur = 0;
};

// ---------------------------------------------------------------------------------------------
class TsHintManager : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsHintManager(TComponent* owner);
    ~TsHintManager() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Milliseconds a hint stays; the application's HintHidePause.
    int PauseHide() const noexcept { return FPauseHide; }
    void SetPauseHide(int value);
    // Hint texts carry formatting tags (sHtmlParse.h).
    bool HTMLMode() const noexcept { return FHTMLMode; }
    void SetHTMLMode(bool value) noexcept { FHTMLMode = value; }
    // Applied to HintKind when the form has loaded and when UseSkinData is switched off.
    TsHintsPredefinitions Predefinitions() const noexcept { return FPredefinitions; }
    void SetPredefinitions(TsHintsPredefinitions value) noexcept { FPredefinitions = value; }
    TacShowHintEvent OnShowHint() const noexcept { return FOnShowHint; }
    void SetOnShowHint(TacShowHintEvent handler) noexcept { FOnShowHint = handler; }
    TsHintKind* HintKind() const noexcept { return FHintKind.get(); }
    // Which corner of the hint lies at the anchor.
    TsMousePosition DefaultMousePos() const noexcept { return FDefaultMousePos; }
    void SetDefaultMousePos(TsMousePosition value) noexcept { FDefaultMousePos = value; }
    bool Animated() const noexcept { return FAnimated; }
    void SetAnimated(bool value) noexcept { FAnimated = value; }
    const std::string& SkinSection() const noexcept { return FSkinSection; }
    void SetSkinSection(const std::string& value) { FSkinSection = value; }
    // Draw the hints from the skin section rather than from HintKind.
    bool UseSkinData() const noexcept { return FUseSkinData; }
    void SetUseSkinData(bool value);

    // The anchor kept from the last hint request; X = -1 means none.
    TPoint HintPos{-1, -1};
    // The hint windows' work bitmap (24-bit): measuring canvas, screen copy, shadow image.
    TBitmap* HintBitmap() const noexcept { return FHintBitmap.get(); }

    // Makes the application's hint windows of the class of style.
    void SetHintWindowClass(TsHintStyle style);
    // The application's hint event while this manager is installed.
    void AppShowHint(std::wstring& hintStr, bool& canShow, THintInfo& hintInfo);
    void ApplyPredefinitions();
    // The hints are drawn from the skin: this manager is active and draws from a section the
    // default skin manager has.
    bool IsSkinned() const;

protected:
    void Loaded() override;

private:
    int FPauseHide = 5000;
    bool FHTMLMode = false;
    TsHintsPredefinitions FPredefinitions = shEllipse;
    TacShowHintEvent FOnShowHint;
    std::unique_ptr<TsHintKind> FHintKind;
    TsMousePosition FDefaultMousePos = mpLeftTop;
    bool FAnimated = true;
    std::string FSkinSection;
    bool FUseSkinData = false;
    std::unique_ptr<TBitmap> FHintBitmap;
};

// The manager whose settings the skinned hint windows read; nullptr while the platform's own
// window is in use.
extern TsHintManager* ActiveHintManager;
// A frame an OnShowHint handler gave as the next hint's content; the hint window frees it once
// painted. Cleared when the frame is freed elsewhere.
extern TFrame* HintFrame;

// The frame given as the next hint's content, watched so that it never dangles; nullptr frees
// nothing.
void SetHintFrame(TFrame* frame);
// The frame waiting to be shown; nullptr when none, or when it was freed elsewhere.
TFrame* WaitingHintFrame();
// Frees the frame waiting to be shown, if any.
void FreeHintFrame();

// Makes TsHintManager known to the form reader.
void InitializeSHintManagerUnit();
