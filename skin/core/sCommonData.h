#pragma once
// TsCommonData: the skin data every skinned control, adapter and form provider owns. It ties its
// owner to a section of a skin manager, keeps the indexes looked up for that section, the owner's
// off-screen cache bitmap and the flags that say whether that image is still valid, and answers
// the questions children ask about the background behind them. The two shared handlers at the
// end are what every skinned owner calls from its window procedure.
//
// Transparency is a weight wherever it is used here: the section table is open to the program,
// so a value outside 0..100 is taken as the nearer limit and a colour never wraps.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/Controls.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <memory>
#include <string>
#include <string_view>

class TsSkinManager;
struct TsGeneralData;

// What a child asks of its parent with SKC_GET_BG_INFO; the parent fills it, the child keeps the
// memory.
struct BackgroundInfo {
    // The parent's cache bitmap (kind 2); borrowed.
    TBitmap* Bmp = nullptr;
    // The colour behind the child (kind 1); TransparentKeyColor for none.
    TColor Color = TransparentKeyColor;
    // Where the child's area lies in Bmp.
    TPoint Offset{0, 0};
    // The child's rectangle; the target area when painting is requested.
    TRect R;
    // 0 nobody answered, 1 a colour, 2 the cache bitmap.
    uint8_t BackgroundKind = 0;
    // The parent paints the background into TargetDC at R itself.
    bool PaintRequested = false;
    HDC TargetDC = nullptr;
};

inline constexpr uint8_t BgKindNone = 0;
inline constexpr uint8_t BgKindColor = 1;
inline constexpr uint8_t BgKindBitmap = 2;

// SkinStateWord bit: the background is a plain colour of the owner's own, so children need not
// copy from its image.
inline constexpr uint16_t StatePlainBackground = 1;
// BackgroundFlags bits.
inline constexpr uint16_t BgVariesHorizontally = 1;
inline constexpr uint16_t BgVariesVertically = 2;
inline constexpr uint16_t BgHasTexture = 4;

class TsCommonData : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // owner: the control, provider or adapter the object belongs to (not owned). Looks nothing
    // up; the owner sets ControlKind and maybe SkinSection next.
    TsCommonData(TObject* owner, bool createCacheBitmap);
    ~TsCommonData() override;
    TsCommonData(const TsCommonData&) = delete;
    TsCommonData& operator=(const TsCommonData&) = delete;

    // ---- published
    bool CustomColor() const noexcept { return FCustomColor; }
    void SetCustomColor(bool value);
    bool CustomFont() const noexcept { return FCustomFont; }
    void SetCustomFont(bool value);
    // The own manager, else DefaultSkinManager; may be nullptr.
    TsSkinManager* SkinManager() const noexcept;
    // Setting the default manager leaves no own manager, so the form does not store it. A manager
    // that is freed is forgotten at once, whether or not its removal broadcast reached the owner.
    void SetSkinManager(TsSkinManager* value);
    TsSkinManager* OwnSkinManager() const noexcept { return FOwnSkinManager; }
    // Stored upper case; "UNKNOWN" when set empty.
    const std::string& SkinSection() const noexcept { return FSkinSection; }
    void SetSkinSection(const std::string& value);

    // ---- state read and written by the painters and the owner
    int GlowSlot = -1;
    bool UpdateLock = false;
    int BorderIndex = -1;
    // -1 = not skinned.
    int SkinIndex = -1;
    int TextureIndex = -1;
    int HotTextureIndex = -1;
    bool ParentBackgroundAlways = false;
    bool BackgroundChanged = true;
    bool ClippedByParent = true;
    TControl* OwnerControl = nullptr;
    TObject* OwnerObject = nullptr;
    std::unique_ptr<TBitmap> CacheBitmap;
    int ControlKind = 0;
    bool HasFocus = false;
    bool MouseIsAbove = false;
    uint16_t SkinStateWord = 0;
    uint16_t BackgroundFlags = 0;

    // ---- skin resolution
    void RefreshIndexes();
    void UpdateBackgroundFlags();
    // The section of ControlKind when none is named, else RefreshIndexes.
    void DefaultSection();
    // Called by the owner at the end of its load (or right after construction at run time).
    void Loaded();
    bool IsSkinActive(bool checkLoaded = true) const noexcept;
    bool SkinIsTransparent() const noexcept;
    // The section record; nullptr unless SkinIndex is inside the manager's table.
    const TsGeneralData* Section() const noexcept;

    // ---- update lock and cache
    bool Updating() const;
    void SetUpdating(bool value) noexcept { UpdateLock = value; }
    // Neither counts nesting.
    void BeginUpdate();
    void EndUpdate();
    void Invalidate();
    // The cache sized as the owner control; a size the system cannot give leaves it 0 x 0.
    void EnsureCacheBitmap();
    void PrepareCacheBmp();
    int MaxBorderWidthOf() const noexcept;

    // ---- background
    // The colour the owner shows when the skin does not apply.
    TColor OwnerColor() const noexcept;
    bool HasOwnBackground() const;
    void RefreshControlState(bool allChildren);
    bool ParentCacheUsed() const;
    bool IsControlHot() const noexcept;
    bool NeedsRepaint() const;
    bool AskParentComplex() const;
    TColor QueryBackgroundColor(bool hot, HWND window) const;
    void AnswerBackgroundInfo(BackgroundInfo& info, bool hot, HWND window) const;
    // SKC_GET_BG_COLOR as children ask it: a 256-based blend, unlike QueryBackgroundColor's
    // percent, because stored skins were made to look right with it.
    TColor AnswerBackgroundColor() const;
    // SKC_IS_BG_COMPLEX.
    bool BackgroundIsComplex() const;
    // The background behind the owner control as the painters take it: what its parent answers
    // (the parent's cache bitmap at the parent's offset, not moved by the owner's position), or,
    // while the skin is not active or there is no parent, no bitmap and the own background
    // colour.
    CacheInfo QueryBackgroundInfo() const;
    // The same for a window, asked of its parent window; NoBackgroundCacheInfo without one.
    CacheInfo QueryBackgroundInfoWnd(HWND window) const;

    // ---- glow
    // Shows the halo of the section's "GLOW" image around the owner while the mouse is over it
    // and its left button is not down on it (a repaint keeps a halo already shown), else hides
    // it; nothing unless the manager allows glowing and the section's GLOW is at least 1.
    // Without an owner control, shows the halo around window. A halo shown before is hidden
    // first, so none is ever left behind.
    void RefreshGlowEffect(bool repaint, HWND window = nullptr);
    // Hides the halo GlowSlot names, unless the glows were all freed since it was shown (its id
    // may then name another owner's halo); GlowSlot becomes -1.
    void HideGlow();

private:
    class ManagerWatch;
    friend struct CommonSkinHandlers;
    void WatchOwnManager(TsSkinManager* manager);
    bool OwnerReady() const noexcept;
    bool OwnerBeingDestroyed() const noexcept;
    void SendSkinStateToOwner(TsSkinManager* manager);
    void ApplyEditColours();
    void RemoveSkin(TsSkinManager* manager);
    void RefreshSkin();

    // GlowEffectsGeneration() when GlowSlot was taken.
    unsigned FGlowGeneration = 0;
    std::string FSkinSection;
    bool FCustomFont = false;
    bool FCustomColor = false;
    TsSkinManager* FOwnSkinManager = nullptr;
    // Made with the first own manager; freed with this object.
    ManagerWatch* FManagerWatch = nullptr;
};

// The section index the control's parent offers for fonts: the parent's (or, through parents of
// TRANSPARENCY above 50, an ancestor's) index when that section of manager (the control's own)
// gives its own font, else defaultIndex. defaultIndex for a control without a parent or without
// a manager.
int GetParentSkinIndex(TControl* control, int defaultIndex, TsSkinManager* manager);

// Copies target of the owner's cache bitmap, from source on, to target of dc around the children
// that paint themselves over it: every visible windowless, opaque or designed child control of
// container overlapping target, its rectangle moved by (dx, dy). With updateFrame the frame's
// corners are restored in the cache first. dc is left as it was; nothing without a cache.
void CopyCacheExceptControls(TWinControl* container, TsCommonData& skinData, TPoint source, int dx, int dy,
                             bool updateFrame, HDC dc, const TRect& target);
// The same around the visible child windows of parent (their rectangles relative to parent,
// moved by (dx, dy)), copied from source's top-left corner. Of a group box only its frame is left
// out: its caption band and the default manager's GROUPBOX border widths; without a default
// manager a group box is copied over.
void CopyCacheExceptWindows(HWND parent, TsCommonData& skinData, const TRect& source, int dy, int dx,
                            bool updateFrame, HDC dc, const TRect& target);

// The section whose look just changed, in upper case; receivers of SKC_SECTION_CHANGED of that
// section repaint. Empty outside ChangedSectionScope.
const std::string& ChangedSectionName() noexcept;
// Names the changed section for the time of one SKC_SECTION_CHANGED broadcast.
class ChangedSectionScope {
public:
    explicit ChangedSectionScope(std::string_view section);
    ~ChangedSectionScope();
    ChangedSectionScope(const ChangedSectionScope&) = delete;
    ChangedSectionScope& operator=(const ChangedSectionScope&) = delete;

private:
    std::string FPrevious;
};

// The shared handler of SM_SKINCMD: true when the command was a query answered in
// message.Result; state-changing commands answer false so the owner's default handling runs.
bool CommonSkinCommand(TMessage& message, TsCommonData* skinData);
// The shared handler of the platform messages that change focus, hover, size, position and
// visibility; true only when the message was swallowed or answered.
bool RouteSkinMessage(TMessage& message, TsCommonData* skinData);
