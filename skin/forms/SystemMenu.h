#pragma once
// The skinned system menu: TsCustomSysMenu is a popup menu with the six queries that decide which
// standard window commands are shown and enabled; TsSystemMenu is the form provider's, built
// from the form window's own system menu and shown from the title bar in its place. The menu is
// named "SysMenu", which makes the item painter draw the standard symbols beside its items.

#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Win.h"

#include <string>

class TsSkinProvider;

class TsCustomSysMenu : public TPopupMenu {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    using TPopupMenu::TPopupMenu;

    virtual bool VisibleClose() = 0;
    virtual bool VisibleMax() = 0;
    virtual bool VisibleMin() = 0;
    virtual bool EnabledMax() = 0;
    virtual bool EnabledMin() = 0;
    virtual bool EnabledRestore() = 0;
};

class TsSystemMenu : public TsCustomSysMenu {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Owned by the provider; builds the items at once.
    explicit TsSystemMenu(TsSkinProvider* provider);
    ~TsSystemMenu() override;

    bool VisibleClose() override;
    bool VisibleMax() override;
    bool VisibleMin() override;
    bool EnabledMax() override;
    bool EnabledMin() override;
    bool EnabledRestore() override;

    // Rebuilds the items when asked or when there is no Close item, then sets what is visible
    // and enabled.
    void UpdateItems(bool rebuild = false);
    // Puts the skin list ("SkinSelectItem", one radio item per available skin) at the top,
    // replacing an earlier one.
    void MakeSkinItems();

    int ExtraItemCount = 0;
    TsSkinProvider* Provider = nullptr;
    TCustomForm* Form = nullptr;
    TMenuItem* ItemRestore = nullptr;
    TMenuItem* ItemMove = nullptr;
    TMenuItem* ItemSize = nullptr;
    TMenuItem* ItemMinimize = nullptr;
    TMenuItem* ItemMaximize = nullptr;
    TMenuItem* ItemClose = nullptr;

private:
    bool VisibleSizingItem(TBorderIcon icon);
    void BuildItems();
    void SetItemStates();
    TMenuItem* AddStandardItem(HMENU sysMenu, const char* name, UINT command, const wchar_t* fallback,
                               TNotifyEvent click);
    void RestoreClick(TObject* sender);
    void MoveClick(TObject* sender);
    void SizeClick(TObject* sender);
    void MinimizeClick(TObject* sender);
    void MaximizeClick(TObject* sender);
    void CloseClick(TObject* sender);
    void ExtraClick(TObject* sender);
    void SkinClick(TObject* sender);
    void SendCommand(UINT command);
    bool IsMDIChild() const;
    bool IsIconicForm() const;
    bool IsZoomedForm() const;
};

// The fallback captions, used when the window's own system menu has no text for a command.
extern const wchar_t* const SysMenuRestoreText;
extern const wchar_t* const SysMenuMoveText;
extern const wchar_t* const SysMenuSizeText;
extern const wchar_t* const SysMenuMinimizeText;
extern const wchar_t* const SysMenuMaximizeText;
extern const wchar_t* const SysMenuCloseText;
extern const wchar_t* const SysMenuSkinsText;
// The marker the caption of the manager's internal skins carries.
extern const wchar_t* const SysMenuInternalSkinMarker;
