#pragma once
// The small persistent objects a form provider publishes for its title bar: TsTitleIcon (an
// icon image drawn instead of the form's icon), TsTitleButtons with its items TsTitleButton
// (buttons the application adds to the title bar, hit code HTUDBTN + index) and TacAddedTitle
// (a text shown after the caption). They hold data and tell the provider when the frame must
// be repainted; the provider draws and hit-tests them.

#include "skin/forms/sSkinProvider.h"
#include "vcl/Collections.h"
#include "vcl/Controls.h"

#include <memory>
#include <string>

class TBitmap;
class TFont;
class THintWindow;

class TsTitleIcon : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TsTitleIcon();
    ~TsTitleIcon() override;

    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    // Copies the picture.
    void SetGlyph(const TBitmap* value);
    // 0: the glyph's own size.
    int Height() const noexcept { return FHeight; }
    void SetHeight(int value) noexcept { FHeight = value; }
    int Width() const noexcept { return FWidth; }
    void SetWidth(int value) noexcept { FWidth = value; }

private:
    std::unique_ptr<TBitmap> FGlyph;
    int FHeight = 0;
    int FWidth = 0;
};

class TsTitleButton : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TsTitleButton();
    ~TsTitleButton() override;

    bool UseSkinData() const noexcept { return FUseSkinData; }
    void SetUseSkinData(bool value) noexcept { FUseSkinData = value; }
    const std::string& Name() const noexcept { return FName; }
    void SetName(const std::string& value);
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(const TBitmap* value);
    TMouseEvent OnMouseUp() const noexcept { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent handler) noexcept { FOnMouseUp = handler; }
    TMouseEvent OnMouseDown() const noexcept { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent handler) noexcept { FOnMouseDown = handler; }
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value) noexcept { FEnabled = value; }
    const std::wstring& Hint() const noexcept { return FHint; }
    void SetHint(const std::wstring& value) { FHint = value; }
    bool Visible() const noexcept { return FVisible; }
    // A change repaints the provider's frame.
    void SetVisible(bool value);

    // Called by the provider with the cursor position; each calls its event when assigned.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // The provider that owns the collection; nullptr outside one.
    TsSkinProvider* Provider() const noexcept;

    // The hint shown for the button (owned); nullptr until a hint is shown.
    THintWindow* HintWnd = nullptr;
    TitleButtonRec BtnData;

protected:
    // Copies everything but Visible onto another title button.
    void AssignTo(TPersistent* dest) const override;
    std::string GetDisplayName() const override { return FName; }

private:
    bool FUseSkinData = true;
    std::string FName;
    std::unique_ptr<TBitmap> FGlyph;
    TMouseEvent FOnMouseUp;
    TMouseEvent FOnMouseDown;
    bool FEnabled = true;
    std::wstring FHint;
    bool FVisible = true;
};

class TsTitleButtons : public TCollection {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsTitleButtons(TsSkinProvider* provider);
    ~TsTitleButtons() override;

    // Raises EListError outside 0 .. Count()-1.
    TsTitleButton* Items(int index) const;

    TsSkinProvider* Provider = nullptr;

protected:
    TPersistent* GetOwner() const override;
};

class TacAddedTitle : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TacAddedTitle();
    ~TacAddedTitle() override;

    const std::wstring& Text() const noexcept { return FText; }
    // Both setters repaint the provider's frame unless it is loading.
    void SetText(const std::wstring& value);
    TFont* Font() const noexcept { return FFont.get(); }
    void SetFont(const TFont* value);

    TsSkinProvider* Provider = nullptr;

private:
    void Changed();

    std::wstring FText;
    std::unique_ptr<TFont> FFont;
};

// The font colour of an added title that has none of its own.
inline constexpr TColor AddedTitleNoColor = 0x1FFFFFFF;
