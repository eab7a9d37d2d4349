#include "skin/forms/SystemMenu.h"

#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/Strings.h"

#include <string>

const wchar_t* const SysMenuRestoreText = L"Восстановить";
const wchar_t* const SysMenuMoveText = L"Переместить";
const wchar_t* const SysMenuSizeText = L"Размер";
const wchar_t* const SysMenuMinimizeText = L"Свернуть";
const wchar_t* const SysMenuMaximizeText = L"Развернуть";
const wchar_t* const SysMenuCloseText = L"Закрыть";
const wchar_t* const SysMenuSkinsText = L"Доступные скины";
const wchar_t* const SysMenuInternalSkinMarker = L"(внутренний)";

namespace {

// A new skin column starts at every 20th entry of the skin list.
constexpr int SkinsPerColumn = 20;

// The text of a system-menu entry, by command or by position; empty when there is none.
std::wstring MenuText(HMENU menu, UINT item, UINT flags)
{
    wchar_t buffer[256] = {};
    const int n = GetMenuStringW(menu, item, buffer, 256, flags);
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n)) : std::wstring();
}

// Caption before the tab, shortcut after it.
void SplitTab(const std::wstring& text, std::wstring& caption, TShortCut& shortCut)
{
    const size_t tab = text.find(L'\t');
    caption = text.substr(0, tab);
    shortCut = tab == std::wstring::npos ? scNone : TextToShortCut(std::wstring_view(text).substr(tab + 1));
}

// A caption that shows text as it is: a "&" of a skin's name is a character of it, not an
// accelerator mark, so it is doubled (StripHotkey undoes it).
std::wstring CaptionShowing(std::wstring_view text)
{
    std::wstring caption;
    for (wchar_t c : text) {
        if (c == L'&')
            caption += L'&';
        caption += c;
    }
    return caption;
}

TMenuItem* NewItem(TComponent* owner, const std::wstring& caption)
{
    auto* item = Create<TMenuItem>(owner);
    item->SetCaption(caption);
    return item;
}

} // namespace

const ks::ClassInfo TsCustomSysMenu::StaticClassInfo{"TsCustomSysMenu", &TPopupMenu::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsCustomSysMenu::ClassInfo() const noexcept { return StaticClassInfo; }

const ks::ClassInfo TsSystemMenu::StaticClassInfo{"TsSystemMenu", &TsCustomSysMenu::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSystemMenu::ClassInfo() const noexcept { return StaticClassInfo; }

TsSystemMenu::TsSystemMenu(TsSkinProvider* provider)
    : TsCustomSysMenu(provider), Provider(provider), Form(provider ? provider->Form : nullptr)
{
    SetName("SysMenu");
    UpdateItems(true);
}

TsSystemMenu::~TsSystemMenu() = default;

bool TsSystemMenu::IsMDIChild() const
{
    return Form && Form->FormStyle() == fsMDIChild;
}

bool TsSystemMenu::IsIconicForm() const
{
    return Form && Form->HandleAllocated() && IsIconic(Form->HandleIfAllocated());
}

bool TsSystemMenu::IsZoomedForm() const
{
    return Form && Form->HandleAllocated() && IsZoomed(Form->HandleIfAllocated());
}

// ---- the six queries

bool TsSystemMenu::VisibleClose()
{
    return Provider && Provider->SysMenuStyleRemoved;
}

// The minimise and maximise items: shown for minimised forms and MDI children, never for
// dialog, borderless and tool-window forms, else as the form's border icons say.
bool TsSystemMenu::VisibleSizingItem(TBorderIcon icon)
{
    if (!VisibleClose() || !Form)
        return false;
    if (IsIconicForm() || IsMDIChild())
        return true;
    switch (Form->BorderStyle()) {
    case bsDialog:
    case bsNone:
    case bsSizeToolWin:
    case bsToolWindow:
        return false;
    default:
        break;
    }
    return Form->BorderIcons().Contains(icon);
}

bool TsSystemMenu::VisibleMax()
{
    return VisibleSizingItem(biMaximize);
}

bool TsSystemMenu::VisibleMin()
{
    return VisibleSizingItem(biMinimize);
}

bool TsSystemMenu::EnabledMax()
{
    if (!Form)
        return false;
    if (!IsMDIChild()) {
        if (IsZoomedForm() || Form->WindowState() == wsMaximized)
            return false;
        if (Form->BorderStyle() != bsSingle && Form->BorderStyle() != bsSizeable)
            return false;
    }
    return Form->BorderIcons().Contains(biMaximize);
}

bool TsSystemMenu::EnabledMin()
{
    return Form && Form->BorderIcons().Contains(biMinimize) && !IsIconicForm();
}

bool TsSystemMenu::EnabledRestore()
{
    if (!Form)
        return false;
    const bool notNormal = Form->WindowState() != wsNormal || IsZoomedForm() || IsIconicForm();
    return (Form->BorderIcons().Contains(biMaximize) && notNormal) || IsIconicForm();
}

// ---- items

TMenuItem* TsSystemMenu::AddStandardItem(HMENU sysMenu, const char* name, UINT command, const wchar_t* fallback,
                                         TNotifyEvent click)
{
    std::wstring caption;
    TShortCut shortCut = scNone;
    SplitTab(MenuText(sysMenu, command, MF_BYCOMMAND), caption, shortCut);
    if (caption.empty())
        caption = fallback;
    TMenuItem* item = NewItem(this, caption);
    item->SetName(name);
    item->SetTag(static_cast<int>(command));
    item->SetShortCut(shortCut);
    item->SetOnClick(click);
    Items()->Add(item);
    return item;
}

void TsSystemMenu::BuildItems()
{
    Items()->Clear();
    ItemRestore = ItemMove = ItemSize = ItemMinimize = ItemMaximize = ItemClose = nullptr;
    ExtraItemCount = 0;
    const HWND wnd = Form ? Form->HandleIfAllocated() : nullptr;
    const HMENU sysMenu = wnd ? GetSystemMenu(wnd, FALSE) : nullptr;
    if (!sysMenu)
        return;
    ItemRestore = AddStandardItem(sysMenu, "acIR", SC_RESTORE, SysMenuRestoreText,
                                  TNotifyEvent(this, &TsSystemMenu::RestoreClick));
    ItemMove = AddStandardItem(sysMenu, "acIM", SC_MOVE, SysMenuMoveText, TNotifyEvent(this, &TsSystemMenu::MoveClick));
    ItemSize = AddStandardItem(sysMenu, "acIS", SC_SIZE, SysMenuSizeText, TNotifyEvent(this, &TsSystemMenu::SizeClick));
    ItemMinimize = AddStandardItem(sysMenu, "acIN", SC_MINIMIZE, SysMenuMinimizeText,
                                   TNotifyEvent(this, &TsSystemMenu::MinimizeClick));
    ItemMaximize = AddStandardItem(sysMenu, "acIX", SC_MAXIMIZE, SysMenuMaximizeText,
                                   TNotifyEvent(this, &TsSystemMenu::MaximizeClick));
    Items()->Add(NewItem(this, L"-"));

    const int count = GetMenuItemCount(sysMenu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(sysMenu, i);
        // Separators and submenus have no command; the standard commands are 0xF000 and above.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= 0xF000)
            continue;
        std::wstring caption;
        TShortCut shortCut = scNone;
        SplitTab(MenuText(sysMenu, static_cast<UINT>(i), MF_BYPOSITION), caption, shortCut);
        TMenuItem* item = NewItem(this, caption);
        item->SetTag(static_cast<int>(id));
        item->SetShortCut(shortCut);
        item->SetOnClick(TNotifyEvent(this, &TsSystemMenu::ExtraClick));
        Items()->Add(item);
        ++ExtraItemCount;
    }
    if (ExtraItemCount > 0)
        Items()->Add(NewItem(this, L"-"));
    ItemClose = AddStandardItem(sysMenu, "acIC", SC_CLOSE, SysMenuCloseText, TNotifyEvent(this, &TsSystemMenu::CloseClick));
}

void TsSystemMenu::SetItemStates()
{
    if (!ItemClose || !Form)
        return;
    const TFormBorderStyle style = Form->BorderStyle();
    const bool singleOrSizeable = style == bsSingle || style == bsSizeable;
    ItemRestore->SetVisible(VisibleClose() && (IsMDIChild() || singleOrSizeable));
    ItemRestore->SetEnabled(EnabledRestore());
    ItemMove->SetVisible(true);
    ItemMove->SetEnabled(!IsZoomedForm() && Form->WindowState() != wsMaximized);
    ItemSize->SetVisible(IsMDIChild() || (style != bsNone && style != bsDialog && style != bsToolWindow));
    ItemSize->SetEnabled(style != bsSingle && !IsIconicForm());
    ItemMinimize->SetVisible(VisibleMin());
    ItemMinimize->SetEnabled(EnabledMin());
    ItemMaximize->SetVisible(VisibleMax());
    ItemMaximize->SetEnabled(EnabledMax());
    ItemClose->SetVisible(VisibleClose());
    ItemClose->SetEnabled(true);
}

void TsSystemMenu::UpdateItems(bool rebuild)
{
    if (rebuild || !ItemClose)
        BuildItems();
    SetItemStates();
}

void TsSystemMenu::MakeSkinItems()
{
    // An earlier list goes first: its items and the divider under it.
    for (int i = Items()->Count() - 1; i >= 0; --i) {
        TMenuItem* item = Items()->Items(i);
        if (item->Name() == "SkinSelectItem") {
            Items()->Delete(i);
            if (i < Items()->Count() && Items()->Items(i)->IsLine())
                Items()->Delete(i);
        }
    }
    TsSkinManager* manager = Provider ? Provider->ProviderSkinManager() : nullptr;
    if (!manager)
        return;
    TWideStringList names;
    manager->ListSkinNames(names, 2);
    TMenuItem* root = NewItem(this, SysMenuSkinsText);
    root->SetName("SkinSelectItem");
    for (int i = 0; i < names.Count(); ++i) {
        TMenuItem* item = NewItem(this, CaptionShowing(names.Strings(i)));
        item->SetName("SkinSelectItem" + std::to_string(i));
        item->SetRadioItem(true);
        item->SetChecked(names.Strings(i) == manager->SkinName());
        if (i > 0 && i % SkinsPerColumn == 0)
            item->SetBreak(mbBarBreak);
        item->SetOnClick(TNotifyEvent(this, &TsSystemMenu::SkinClick));
        root->Add(item);
    }
    Items()->Insert(0, root);
    Items()->Insert(1, NewItem(this, L"-"));
}

// ---- clicks

// The command's repaint runs the form's OnPaint, which may free the provider and this menu with
// it: a click that reads the menu afterwards holds the provider until it is done.
void TsSystemMenu::SendCommand(UINT command)
{
    if (Form && Form->HandleAllocated())
        SendMessageW(Form->HandleIfAllocated(), WM_SYSCOMMAND, command, 0);
}

void TsSystemMenu::RestoreClick(TObject*)
{
    const TsSkinProvider::Hold hold(Provider);
    SendCommand(SC_RESTORE);
    UpdateItems(false);
}

void TsSystemMenu::MoveClick(TObject*)
{
    SendCommand(SC_MOVE);
}

void TsSystemMenu::SizeClick(TObject*)
{
    SendCommand(SC_SIZE);
}

void TsSystemMenu::MinimizeClick(TObject*)
{
    const TsSkinProvider::Hold hold(Provider);
    if (Form && Application && Form == Application->MainForm()) {
        Application->Minimize();
        UpdateItems(false);
    } else
        SendCommand(SC_MINIMIZE);
}

void TsSystemMenu::MaximizeClick(TObject*)
{
    const TsSkinProvider::Hold hold(Provider);
    SendCommand(SC_MAXIMIZE);
    UpdateItems(false);
}

void TsSystemMenu::CloseClick(TObject*)
{
    SendCommand(SC_CLOSE);
}

void TsSystemMenu::ExtraClick(TObject* sender)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (item && Form && Form->HandleAllocated())
        PostMessageW(Form->HandleIfAllocated(), WM_SYSCOMMAND, static_cast<WPARAM>(item->Tag()), 0);
}

void TsSystemMenu::SkinClick(TObject* sender)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    TsSkinManager* manager = Provider ? Provider->ProviderSkinManager() : nullptr;
    if (!item || !manager)
        return;
    // Undoes the doubling of the name's own "&" and drops an accelerator mark added to it.
    std::wstring name = StripHotkey(item->Caption());
    // The marker of an internal skin and the blank before it are not part of its name.
    if (const size_t marker = name.find(SysMenuInternalSkinMarker); marker != std::wstring::npos) {
        name.erase(marker);
        while (!name.empty() && name.back() == L' ')
            name.pop_back();
    }
    manager->SetSkinName(name);
}
