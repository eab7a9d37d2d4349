#pragma once
// The skinned labels. They keep no skin data of their own: on every paint the text takes the
// font colour of the section behind the label (or of a section the label names, which may also
// paint the label's background), and disabled text is mixed with the background behind it.
// Labels always follow DefaultSkinManager. TsBoundLabel is the caption an edit carries beside
// itself; it lives here with the label class it creates.

#include "skin/core/sConst.h"
#include "vcl/StdCtrls.h"

#include <memory>
#include <string>

class TsCommonData;

class TsCustomLabel : public TCustomLabel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsCustomLabel(TComponent* owner);

    // A section of DefaultSkinManager's skin whose font colour the text takes; above index 0 it
    // also paints the background. Empty by default.
    const std::string& SkinSection() const noexcept { return FSkinSection; }
    void SetSkinSection(const std::string& value);

    // The font to paint with: Font, its colour taken from the skin while one is active.
    virtual TFont* GetCurrentFont();

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void DoDrawText(TRect& rect, UINT flags) override;

private:
    std::string FSkinSection;
};

class TsLabel : public TsCustomLabel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsLabel(TComponent* owner);

    // Off: the label keeps its own font colour under any skin.
    bool UseSkinColor() const noexcept { return FUseSkinColor; }
    void SetUseSkinColor(bool value) noexcept { FUseSkinColor = value; }

    TFont* GetCurrentFont() override;

protected:
    void WndProc(TMessage& message) override;

private:
    bool FUseSkinColor = true;
};

class TsBoundLabel;

// The label a TsBoundLabel shows beside its edit.
class TsEditLabel : public TsLabel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TsEditLabel(TComponent* owner, TsBoundLabel* boundLabel);
    ~TsEditLabel() override;

    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel; }

private:
    friend class TsBoundLabel;
    TsBoundLabel* FBoundLabel;
};

// The caption an edit control shows beside itself, placed by Layout. The edit owns it; the
// label it shows is owned by the edit as a component and exists only while Active.
class TsBoundLabel : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // skinData's OwnerControl is the edit; both outlive this object.
    TsBoundLabel(TComponent* owner, TsCommonData* skinData);
    ~TsBoundLabel() override;
    TsBoundLabel(const TsBoundLabel&) = delete;
    TsBoundLabel& operator=(const TsBoundLabel&) = delete;

    bool Active() const noexcept { return FActive; }
    void SetActive(bool value);
    // Empty: the edit's name is shown.
    const std::wstring& Caption() const noexcept { return FCaption; }
    void SetCaption(const std::wstring& value);
    int Indent() const noexcept { return FIndent; }
    void SetIndent(int value);
    // The label's font while it exists, else the one kept for it.
    TFont* Font() const noexcept;
    void SetFont(const TFont* value);
    TsCaptionLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TsCaptionLayout value);
    // 0: no limit; else the label wraps its words in this width.
    int MaxWidth() const noexcept { return FMaxWidth; }
    void SetMaxWidth(int value);
    bool UseSkinColor() const noexcept;
    void SetUseSkinColor(bool value);

    TsEditLabel* TheLabel() const noexcept { return FTheLabel; }
    // Places the label beside the edit by Layout, Indent and MaxWidth.
    void AlignLabel();

private:
    friend class TsEditLabel;
    TControl* Edit() const noexcept;
    void UpdateAlignment();

    int FMaxWidth = 0;
    std::wstring FCaption;
    TsCaptionLayout FLayout = sclLeft;
    std::unique_ptr<TFont> FFont;
    int FIndent = 0;
    bool FActive = false;
    TsEditLabel* FTheLabel = nullptr;
    TComponent* FOwner;
    TsCommonData* FSkinData;
};

// Makes TsLabel known to the form reader.
void InitializeSLabelUnit();
