#pragma once
// The objects the skin manager streams from its form resource besides its own properties: the
// internal skins (TsStoredSkins, each with its packed archive as the binary property "Data" and,
// for skins stored the older way, collections of section values, images and patterns), the
// animation options (TacAnimEffects) and the texts of the 18 foreign-control class lists
// (ThirdPartyList) that become the manager's parsed lists.

#include "skin/core/sConst.h"
#include "skin/core/sMaskData.h"
#include "vcl/Bitmap.h"
#include "vcl/Collections.h"
#include "vcl/Jpeg.h"
#include "vcl/Streams.h"
#include "vcl/Strings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class TsSkinManager;

// ---- Skins stored the older way: one item per section, image and pattern -----------------------

class TsSkinGeneral : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    const std::string& SectionName() const noexcept { return F.SectionName; }
    void SetSectionName(const std::string& v) { F.SectionName = v; }
    const std::string& ParentClass() const noexcept { return F.ParentClass; }
    void SetParentClass(const std::string& v) { F.ParentClass = v; }
    TColor Color() const noexcept { return F.Color; }
    void SetColor(TColor v) noexcept { F.Color = v; }
    bool ReservedBoolean() const noexcept { return F.ReservedBoolean; }
    void SetReservedBoolean(bool v) noexcept { F.ReservedBoolean = v; }
    // Five colours separated by blanks (text, then contours left, top, right, bottom).
    const std::string& FontColor() const noexcept { return FFontColor; }
    void SetFontColor(const std::string& v) { FFontColor = v; }
    const std::string& HotFontColor() const noexcept { return FHotFontColor; }
    void SetHotFontColor(const std::string& v) { FHotFontColor = v; }
    int Transparency() const noexcept { return F.Transparency; }
    void SetTransparency(int v) noexcept { F.Transparency = v; }
    int GlowCount() const noexcept { return F.GlowCount; }
    void SetGlowCount(int v) noexcept { F.GlowCount = v; }
    int GlowMargin() const noexcept { return F.GlowMargin; }
    void SetGlowMargin(int v) noexcept { F.GlowMargin = v; }
    int GradientPercent() const noexcept { return F.GradientPercent; }
    void SetGradientPercent(int v) noexcept { F.GradientPercent = v; }
    const std::string& GradientData() const noexcept { return F.GradientData; }
    void SetGradientData(const std::string& v) { F.GradientData = v; }
    int ImagePercent() const noexcept { return F.ImagePercent; }
    void SetImagePercent(int v) noexcept { F.ImagePercent = v; }
    bool ShowFocus() const noexcept { return F.ShowFocus; }
    void SetShowFocus(bool v) noexcept { F.ShowFocus = v; }
    bool FadingEnabled() const noexcept { return F.FadingEnabled; }
    void SetFadingEnabled(bool v) noexcept { F.FadingEnabled = v; }
    int FadingIterations() const noexcept { return F.FadingIterations; }
    void SetFadingIterations(int v) noexcept { F.FadingIterations = v; }
    TColor HotColor() const noexcept { return F.HotColor; }
    void SetHotColor(TColor v) noexcept { F.HotColor = v; }
    int HotTransparency() const noexcept { return F.HotTransparency; }
    void SetHotTransparency(int v) noexcept { F.HotTransparency = v; }
    int HotGradientPercent() const noexcept { return F.HotGradientPercent; }
    void SetHotGradientPercent(int v) noexcept { F.HotGradientPercent = v; }
    const std::string& HotGradientData() const noexcept { return F.HotGradientData; }
    void SetHotGradientData(const std::string& v) { F.HotGradientData = v; }
    int HotImagePercent() const noexcept { return F.HotImagePercent; }
    void SetHotImagePercent(int v) noexcept { F.HotImagePercent = v; }
    const std::string& Name() const noexcept { return FName; }
    void SetName(const std::string& v) { FName = v; }
    bool GiveOwnFont() const noexcept { return F.GiveOwnFont; }
    void SetGiveOwnFont(bool v) noexcept { F.GiveOwnFont = v; }

private:
    struct Fields {
        std::string SectionName;
        std::string ParentClass;
        TColor Color = 0;
        bool ReservedBoolean = false;
        int Transparency = 0;
        int GlowCount = 0;
        int GlowMargin = 0;
        int GradientPercent = 0;
        std::string GradientData;
        int ImagePercent = 0;
        bool ShowFocus = false;
        bool FadingEnabled = false;
        int FadingIterations = 0;
        TColor HotColor = 0;
        int HotTransparency = 0;
        int HotGradientPercent = 0;
        std::string HotGradientData;
        int HotImagePercent = 0;
        bool GiveOwnFont = false;
    } F;
    std::string FFontColor;
    std::string FHotFontColor;
    std::string FName;
};

// The fields of one image record, with its own bitmap when it has one.
class TsSkinImage : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    const std::string& SectionName() const noexcept { return FSectionName; }
    void SetSectionName(const std::string& v) { FSectionName = v; }
    TBitmap* Image() const noexcept { return FImage.get(); }
    // Copies the bitmap.
    void SetImage(const TBitmap* v) { FImage->Assign(v); }
    const std::string& Name() const noexcept { return FName; }
    void SetName(const std::string& v);
    const std::string& PropertyName() const noexcept { return FPropertyName; }
    void SetPropertyName(const std::string& v) { FPropertyName = v; }
    int Left() const noexcept { return FLeft; }
    void SetLeft(int v) noexcept { FLeft = v; }
    int Top() const noexcept { return FTop; }
    void SetTop(int v) noexcept { FTop = v; }
    int Right() const noexcept { return FRight; }
    void SetRight(int v) noexcept { FRight = v; }
    int Bottom() const noexcept { return FBottom; }
    void SetBottom(int v) noexcept { FBottom = v; }
    int ImageCount() const noexcept { return FImageCount; }
    void SetImageCount(int v) noexcept { FImageCount = v; }
    int MaskType() const noexcept { return FMaskType; }
    void SetMaskType(int v) noexcept { FMaskType = v; }
    int BorderWidth() const noexcept { return FBorderWidth; }
    void SetBorderWidth(int v) noexcept { FBorderWidth = v; }
    int StretchMode() const noexcept { return FStretchMode; }
    void SetStretchMode(int v) noexcept { FStretchMode = v; }
    TacImgType ImgType() const noexcept { return FImgType; }
    void SetImgType(TacImgType v) noexcept { FImgType = v; }
    int WL() const noexcept { return FWL; }
    void SetWL(int v) noexcept { FWL = v; }
    int WR() const noexcept { return FWR; }
    void SetWR(int v) noexcept { FWR = v; }
    int WT() const noexcept { return FWT; }
    void SetWT(int v) noexcept { FWT = v; }
    int WB() const noexcept { return FWB; }
    void SetWB(int v) noexcept { FWB = v; }

private:
    std::string FSectionName;
    std::unique_ptr<TBitmap> FImage = std::make_unique<TBitmap>();
    std::string FName;
    std::string FPropertyName;
    int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    int FImageCount = 0, FMaskType = 0, FBorderWidth = 0, FStretchMode = 0;
    TacImgType FImgType = itisaBorder;
    int FWL = 0, FWR = 0, FWT = 0, FWB = 0;
};

class TsSkinPattern : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    const std::string& SectionName() const noexcept { return FSectionName; }
    void SetSectionName(const std::string& v) { FSectionName = v; }
    TJPEGImage* Image() const noexcept { return FImage.get(); }
    void SetImage(const TJPEGImage* v) { FImage->Assign(v); }
    const std::string& Name() const noexcept { return FName; }
    void SetName(const std::string& v);
    const std::string& PropertyName() const noexcept { return FPropertyName; }
    void SetPropertyName(const std::string& v) { FPropertyName = v; }

private:
    std::string FSectionName;
    std::unique_ptr<TJPEGImage> FImage = std::make_unique<TJPEGImage>();
    std::string FName;
    std::string FPropertyName;
};

// The three collections answer the stored skin that holds them as their owner.
template <class Item>
class TsStoredCollection : public TOwnedCollection {
public:
    explicit TsStoredCollection(TPersistent* owner) : TOwnedCollection(owner, &NewCollectionItem<Item>) {}
    Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
};

class TsSkinGenerals : public TsStoredCollection<TsSkinGeneral> {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsStoredCollection::TsStoredCollection;
};

class TsSkinImages : public TsStoredCollection<TsSkinImage> {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsStoredCollection::TsStoredCollection;
};

class TsSkinPatterns : public TsStoredCollection<TsSkinPattern> {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsStoredCollection::TsStoredCollection;
};

// ---- Internal skins -----------------------------------------------------------------------------

class TsStoredSkin : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TsStoredSkin();
    ~TsStoredSkin() override;

    const std::wstring& Name() const noexcept { return FName; }
    void SetName(const std::wstring& v);
    TsSkinGenerals* GeneralData() const noexcept { return FGeneralData.get(); }
    TsSkinImages* Images() const noexcept { return FImages.get(); }
    TsSkinPatterns* Patterns() const noexcept { return FPatterns.get(); }
    TBitmap* MasterBitmap() const noexcept { return FMasterBitmap.get(); }
    TColor Shadow1Color() const noexcept { return FShadow1Color; }
    void SetShadow1Color(TColor v) noexcept { FShadow1Color = v; }
    int Shadow1Offset() const noexcept { return FShadow1Offset; }
    void SetShadow1Offset(int v) noexcept { FShadow1Offset = v; }
    int Shadow1Blur() const noexcept { return FShadow1Blur; }
    void SetShadow1Blur(int v) noexcept { FShadow1Blur = v; }
    int Shadow1Transparency() const noexcept { return FShadow1Transparency; }
    void SetShadow1Transparency(int v) noexcept { FShadow1Transparency = v; }
    TColor BorderColor() const noexcept { return FBorderColor; }
    void SetBorderColor(TColor v) noexcept { FBorderColor = v; }
    double Version() const noexcept { return FVersion; }
    void SetVersion(double v) noexcept { FVersion = v; }
    const std::string& Author() const noexcept { return FAuthor; }
    void SetAuthor(const std::string& v) { FAuthor = v; }
    const std::string& Description() const noexcept { return FDescription; }
    void SetDescription(const std::string& v) { FDescription = v; }

    // The packed archive; empty for a skin stored the older way.
    TMemoryStream& Data() noexcept { return *FData; }

    // From another stored skin: its data, name, collections, master bitmap and global values.
    void Assign(const TPersistent* source) override;

protected:
    void DefineProperties(TFiler& filer) override;

private:
    std::wstring FName;
    std::unique_ptr<TsSkinGenerals> FGeneralData;
    std::unique_ptr<TsSkinImages> FImages;
    std::unique_ptr<TsSkinPatterns> FPatterns;
    std::unique_ptr<TBitmap> FMasterBitmap;
    TColor FShadow1Color = 0;
    int FShadow1Offset = 0;
    int FShadow1Blur = -1;
    int FShadow1Transparency = 0;
    TColor FBorderColor = clFuchsia;
    double FVersion = 0;
    std::string FAuthor;
    std::string FDescription;
    std::unique_ptr<TMemoryStream> FData;
};

class TsStoredSkins : public TOwnedCollection {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // manager: the skin manager, answered as the collection's owner.
    explicit TsStoredSkins(TPersistent* manager);

    TsStoredSkin* Items(int index) const { return static_cast<TsStoredSkin*>(TCollection::Items(index)); }
    // Position of the first skin of exactly that name, or -1.
    int IndexOf(std::wstring_view name) const noexcept;
    // The form resource fills the collection in place; a whole collection assigned to it is
    // ignored, as stored forms rely on.
    void Assign(const TPersistent* source) override;
};

// ---- Animation options --------------------------------------------------------------------------

class TacBtnEffects : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacBtnEffects(TsSkinManager* manager) : FManager(manager) {}
    TacBtnEvents Events() const noexcept { return FEvents; }
    void SetEvents(TacBtnEvents v) noexcept { FEvents = v; }
    TsSkinManager* Manager() const noexcept { return FManager; }

private:
    TsSkinManager* FManager;
    TacBtnEvents FEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
};

class TacFormAnimation : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    bool Active() const noexcept { return FActive; }
    void SetActive(bool v) noexcept { FActive = v; }
    // Milliseconds.
    uint16_t Time() const noexcept { return FTime; }
    void SetTime(uint16_t v) noexcept { FTime = v; }
    TacAnimType Mode() const noexcept { return FMode; }
    void SetMode(TacAnimType v) noexcept { FMode = v; }

protected:
    bool FActive = true;
    uint16_t FTime = 0;
    TacAnimType FMode = atAero;
};

class TacFormShow : public TacFormAnimation {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
};

class TacPageChange : public TacFormAnimation {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
};

class TacDialogShow : public TacFormAnimation {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
};

class TacSkinChanging : public TacFormAnimation {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TacSkinChanging()
    {
        FTime = 100;
        FMode = atFading;
    }
};

class TacAnimEffects : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacAnimEffects(TsSkinManager* manager);
    ~TacAnimEffects() override;

    TacBtnEffects* Buttons() const noexcept { return FButtons.get(); }
    TacDialogShow* DialogShow() const noexcept { return FDialogShow.get(); }
    TacFormShow* FormShow() const noexcept { return FFormShow.get(); }
    TacPageChange* PageChange() const noexcept { return FPageChange.get(); }
    TacSkinChanging* SkinChanging() const noexcept { return FSkinChanging.get(); }
    TsSkinManager* Manager() const noexcept { return FManager; }

private:
    TsSkinManager* FManager;
    std::unique_ptr<TacBtnEffects> FButtons;
    std::unique_ptr<TacDialogShow> FDialogShow;
    std::unique_ptr<TacFormShow> FFormShow;
    std::unique_ptr<TacPageChange> FPageChange;
    std::unique_ptr<TacSkinChanging> FSkinChanging;
};

// ---- Menu options ---------------------------------------------------------------------------------

// Options of the skinned menus; the menu painter reads them.
class TacMenuSupport : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TacMenuSupport();
    ~TacMenuSupport() override;

    // The section the icon column of menus is painted with; "ICOLINE" once the manager loads.
    const std::string& IcoLineSkin() const noexcept { return FIcoLineSkin; }
    void SetIcoLineSkin(const std::string& v) { FIcoLineSkin = v; }
    bool UseExtraLine() const noexcept { return FUseExtraLine; }
    void SetUseExtraLine(bool v) noexcept { FUseExtraLine = v; }
    int ExtraLineWidth() const noexcept { return FExtraLineWidth; }
    void SetExtraLineWidth(int v) noexcept { FExtraLineWidth = v; }
    TFont* ExtraLineFont() const noexcept { return FExtraLineFont.get(); }

private:
    std::string FIcoLineSkin;
    bool FUseExtraLine = false;
    int FExtraLineWidth = 32;
    std::unique_ptr<TFont> FExtraLineFont;
};

// ---- Foreign-control class lists ---------------------------------------------------------------

// Kind indexes of the lists: the position of each list in the manager's parsed lists.
enum TacThirdKind {
    tkEdit, tkButton, tkBitBtn, tkCheckBox, tkComboBox, tkGrid, tkGroupBox, tkListView, tkPanel,
    tkTreeView, tkWWEdit, tkGridEh, tkVirtualTree, tkPageControl, tkTabControl, tkToolBar,
    tkStatusBar, tkSpeedButton
};

class ThirdPartyList : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // One class name per line.
    template <int Kind>
    const std::string& Text() const noexcept { return FTexts[Kind]; }
    template <int Kind>
    void SetText(const std::string& v) { FTexts[Kind] = v; }

    const std::string& TextOf(int kind) const { return FTexts.at(static_cast<size_t>(kind)); }
    void SetTextOf(int kind, const std::string& v) { FTexts.at(static_cast<size_t>(kind)) = v; }

private:
    std::array<std::string, ThirdKindCount> FTexts;
};

using TacThirdLists = std::array<TStringList, ThirdKindCount>;

// Each list from its text; an empty text, or every text with reset, takes its kind's default
// first. A text of one blank is not empty: it stays and makes a list of one blank line.
void CopyForeignClassLists(ThirdPartyList& texts, TacThirdLists& lists, bool reset);
// Each text from its list's lines.
void StoreForeignClassLists(ThirdPartyList& texts, const TacThirdLists& lists);
