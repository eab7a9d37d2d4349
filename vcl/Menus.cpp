#include "vcl/Menus.h"

#include "vcl/Bitmap.h"
#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/ImgList.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cwchar>
#include <utility>

template <>
struct ks::EnumTraits<TMenuBreak> {
    static constexpr const char* Names[] = {"mbNone", "mbBreak", "mbBarBreak"};
};
template <>
struct ks::EnumTraits<TMenuAnimations> {
    static constexpr const char* Names[] = {"maLeftToRight", "maRightToLeft", "maTopToBottom", "maBottomToTop", "maNone"};
};

namespace {

// ---- short cuts -----------------------------------------------------------------------------
struct KeyName {
    WORD key;
    const wchar_t* name;
};

constexpr KeyName KeyNames[] = {
    {VK_BACK, L"BkSp"}, {VK_TAB, L"Tab"}, {VK_ESCAPE, L"Esc"}, {VK_RETURN, L"Enter"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"}, {VK_NEXT, L"PgDn"}, {VK_END, L"End"},
    {VK_HOME, L"Home"}, {VK_LEFT, L"Left"}, {VK_UP, L"Up"}, {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"}, {VK_INSERT, L"Ins"}, {VK_DELETE, L"Del"},
};

struct Modifier {
    TShortCut bit;
    const wchar_t* prefix;
};

constexpr Modifier Modifiers[] = {{scShift, L"Shift+"}, {scCtrl, L"Ctrl+"}, {scAlt, L"Alt+"}};

std::wstring KeyToText(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= VK_F1 && key <= VK_F24)
        return L"F" + std::to_wstring(key - VK_F1 + 1);
    for (const KeyName& k : KeyNames)
        if (k.key == key)
            return k.name;
    return {};
}

bool StartsWithAscii(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

// ---- command numbers ------------------------------------------------------------------------
// WM_COMMAND carries 16 bits; 0 is never handed out, so "no command" stays recognisable.
class CommandPool {
public:
    UINT Allocate()
    {
        auto free = std::find(FUsed.begin() + 1, FUsed.end(), false);
        if (free == FUsed.end())
            throw EMenuError("Too many menu items");
        *free = true;
        return static_cast<UINT>(free - FUsed.begin());
    }
    void Release(UINT command) noexcept
    {
        if (command > 0 && command < FUsed.size())
            FUsed[command] = false;
    }

private:
    std::vector<bool> FUsed = std::vector<bool>(0x10000, false);
};

CommandPool& Commands()
{
    static CommandPool pool;
    return pool;
}

// Gap between the check-mark column, the caption, the short cut and the edges of an entry.
constexpr int TextGap = 6;
constexpr int LineHeight = 8;

} // namespace

std::wstring ShortCutToText(TShortCut shortCut)
{
    std::wstring key = KeyToText(static_cast<WORD>(shortCut & 0xFF));
    if (key.empty())
        return {};
    std::wstring text;
    for (const Modifier& m : Modifiers)
        if (shortCut & m.bit)
            text += m.prefix;
    return text + key;
}

TShortCut TextToShortCut(std::wstring_view text)
{
    TShortCut shift = 0;
    for (bool found = true; found;) {
        found = false;
        for (const Modifier& m : Modifiers) {
            if (StartsWithAscii(text, m.prefix)) {
                shift |= m.bit;
                text.remove_prefix(std::wcslen(m.prefix));
                found = true;
            }
        }
    }
    if (text.empty())
        return scNone;
    for (WORD key = 1; key <= 0xFF; ++key) {
        std::wstring name = KeyToText(key);
        if (!name.empty() && SameTextAscii(std::wstring_view(name), text))
            return static_cast<TShortCut>(shift | key);
    }
    return scNone;
}

std::wstring StripHotkey(std::wstring_view caption)
{
    std::wstring result;
    result.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&') {
            if (i + 1 < caption.size())
                result += caption[++i];
        } else {
            result += caption[i];
        }
    }
    return result;
}

void ks::UniqueMenu::reset(HMENU menu) noexcept
{
    if (FMenu) {
        while (GetMenuItemCount(FMenu) > 0)
            if (!RemoveMenu(FMenu, 0, MF_BYPOSITION))
                break;
        DestroyMenu(FMenu);
    }
    FMenu = menu;
}

// ---------------------------------------------------------------------------------------------
namespace {
const ks::PropertyInfo MenuItemProps[] = {
    ks::Prop<&TMenuItem::Break, &TMenuItem::SetBreak>("Break").DefaultIs(mbNone),
    ks::Prop<&TMenuItem::Caption, &TMenuItem::SetCaption>("Caption"),
    ks::Prop<&TMenuItem::Checked, &TMenuItem::SetChecked>("Checked").DefaultIs(false),
    ks::Prop<&TMenuItem::Default, &TMenuItem::SetDefault>("Default").DefaultIs(false),
    ks::Prop<&TMenuItem::Enabled, &TMenuItem::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex>("GroupIndex").DefaultIs(0),
    ks::Prop<&TMenuItem::ImageIndex, &TMenuItem::SetImageIndex>("ImageIndex").DefaultIs(-1),
    ks::Prop<&TMenuItem::RadioItem, &TMenuItem::SetRadioItem>("RadioItem").DefaultIs(false),
    ks::Prop<&TMenuItem::ShortCut, &TMenuItem::SetShortCut>("ShortCut").DefaultIs(0),
    ks::Prop<&TMenuItem::SubMenuImages, &TMenuItem::SetSubMenuImages>("SubMenuImages"),
    ks::Prop<&TMenuItem::Visible, &TMenuItem::SetVisible>("Visible").DefaultIs(true),
    ks::Prop<&TMenuItem::OnClick, &TMenuItem::SetOnClick>("OnClick"),
    ks::Prop<&TMenuItem::OnDrawItem, &TMenuItem::SetOnDrawItem>("OnDrawItem"),
    ks::Prop<&TMenuItem::OnAdvancedDrawItem, &TMenuItem::SetOnAdvancedDrawItem>("OnAdvancedDrawItem"),
    ks::Prop<&TMenuItem::OnMeasureItem, &TMenuItem::SetOnMeasureItem>("OnMeasureItem"),
};
const ks::PropertyInfo MenuProps[] = {
    ks::Prop<&TMenu::Images, &TMenu::SetImages>("Images"),
    ks::Prop<&TMenu::OwnerDraw, &TMenu::SetOwnerDraw>("OwnerDraw").DefaultIs(false),
};
const ks::PropertyInfo PopupMenuProps[] = {
    ks::Prop<&TPopupMenu::MenuAnimation, &TPopupMenu::SetMenuAnimation>("MenuAnimation").DefaultIs(TMenuAnimation{}),
};
} // namespace

const ks::ClassInfo TMenuItem::StaticClassInfo{"TMenuItem", &TComponent::StaticClassInfo, MenuItemProps, {}};
const ks::ClassInfo TMenu::StaticClassInfo{"TMenu", &TComponent::StaticClassInfo, MenuProps, {}};
const ks::ClassInfo TMainMenu::StaticClassInfo{"TMainMenu", &TMenu::StaticClassInfo, {}, {}};
const ks::ClassInfo TPopupMenu::StaticClassInfo{"TPopupMenu", &TMenu::StaticClassInfo, PopupMenuProps, {}};
const ks::ClassInfo& TMenuItem::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TMenu::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TMainMenu::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TPopupMenu::ClassInfo() const noexcept { return StaticClassInfo; }

// ---------------------------------------------------------------------------------------------
TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(Commands().Allocate())
{
}

TMenuItem::~TMenuItem()
{
    Commands().Release(FCommand);
}

void TMenuItem::BeforeDestruction()
{
    TMenu* menu = GetParentMenu();
    Clear();
    if (FParent)
        FParent->Remove(this);
    // An open menu may still show this submenu: it is destroyed once the menu has closed.
    if (menu && menu->FTracking && FHandle)
        menu->FRetired.push_back(FHandle.release());
    FHandle.reset();
    TComponent::BeforeDestruction();
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EMenuError(Format("Menu index out of range (%s)", {std::to_string(index)}));
    return FItems[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const noexcept
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TMenuItem::MenuIndex() const noexcept
{
    return FParent ? FParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int index)
{
    if (!FParent)
        return;
    TMenuItem* parent = FParent;
    index = std::clamp(index, 0, parent->Count() - 1);
    if (index == MenuIndex())
        return;
    parent->FItems.erase(parent->FItems.begin() + MenuIndex());
    parent->FItems.insert(parent->FItems.begin() + index, this);
    parent->ItemsChanged();
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item)
        throw EMenuError("Cannot insert a missing menu item");
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item)
            throw EMenuError("A menu item cannot hold itself");
    if (item->FMenu)
        throw EMenuError("A menu's root cannot be inserted");
    if (item->FParent == this && index == Count())
        index = Count() - 1;
    if (item->FParent)
        item->FParent->Remove(item);
    if (index < 0 || index > Count())
        throw EMenuError(Format("Menu index out of range (%s)", {std::to_string(index)}));
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    ItemsChanged();
}

void TMenuItem::Remove(TMenuItem* item)
{
    int index = IndexOf(item);
    if (index < 0)
        return;
    FItems.erase(FItems.begin() + index);
    item->FParent = nullptr;
    ItemsChanged();
}

void TMenuItem::Delete(int index)
{
    Items(index)->Free();
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        FItems.back()->Free();
}

TMenu* TMenuItem::GetParentMenu() const noexcept
{
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

// Every setter stores, then lets the menu that shows the item rebuild its entry.
void TMenuItem::SetCaption(const std::wstring& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    MenuChanged(false);
}

void TMenuItem::SetChecked(bool value)
{
    if (value == FChecked)
        return;
    FChecked = value;
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool value)
{
    if (value == FDefault)
        return;
    // A menu has one default entry: the system keeps only the last one marked.
    if (value && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this)
                sibling->FDefault = false;
    FDefault = value;
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool value)
{
    if (value == FRadioItem)
        return;
    FRadioItem = value;
    MenuChanged(false);
}

void TMenuItem::SetBreak(TMenuBreak value)
{
    if (value == FBreak)
        return;
    FBreak = value;
    MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (value == FShortCut)
        return;
    FShortCut = value;
    MenuChanged(false);
}

TBitmap* TMenuItem::Bitmap()
{
    if (!FBitmap)
        FBitmap = std::make_unique<TBitmap>();
    return FBitmap.get();
}

bool TMenuItem::HasBitmap() const noexcept
{
    return FBitmap && !FBitmap->Empty();
}

void TMenuItem::SetBitmap(const TBitmap* value)
{
    if (value)
        Bitmap()->Assign(value);
    else
        FBitmap.reset();
    MenuChanged(false);
}

void TMenuItem::SetImageIndex(int value)
{
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int value)
{
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    MenuChanged(false);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* value)
{
    if (ReplaceReference(FSubMenuImages, value))
        MenuChanged(true);
}

void TMenuItem::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FSubMenuImages)
        FSubMenuImages = nullptr;
}

HMENU TMenuItem::Handle()
{
    if (!FHandle) {
        HMENU menu = FMenu ? FMenu->CreateMenuHandle() : CreatePopupMenu();
        if (!menu)
            throw EMenuError("The system refused to create a menu");
        FHandle.reset(menu);
        RebuildHandle();
    }
    return FHandle.get();
}

void TMenuItem::MenuChanged(bool rebuild)
{
    if (FParent && FParent->FHandle)
        FParent->RebuildHandle();
    if (rebuild && FHandle)
        RebuildHandle();
    // A menu merged into another bar never gets a handle of its own but still shows.
    TMenu* menu = GetParentMenu();
    if (menu && (menu->Items()->HandleAllocated() || menu->MergedInto()))
        menu->MenuChanged();
}

void TMenuItem::ItemsChanged()
{
    // The parent's entry changes too when this item gains its first or loses its last item:
    // the entry gets or loses its submenu.
    MenuChanged(true);
}

void TMenuItem::RebuildHandle()
{
    // The entries are brought in line in place rather than removed and added again: the menu
    // may be open, and the system keeps per entry which one is selected and which submenu is
    // shown from it. An entry taken out and put back loses that, and the system then never
    // closes the submenu it showed.
    HMENU menu = FHandle.get();
    TMenu* owner = GetParentMenu();
    const bool ownerDraw = owner && owner->OwnerDraw();
    std::vector<TMenuItem*> shown;
    if (auto* bar = dynamic_cast<TMainMenu*>(FMenu); bar && bar->Merged()) {
        shown = bar->BarItems();
    } else {
        for (TMenuItem* item : FItems)
            if (item->FVisible)
                shown.push_back(item);
    }
    // A frame's menu bar holds the platform's own entries for a maximised MDI child: its system
    // menu first and its buttons last, all bitmaps, which no item of ours is. They stay where
    // the platform put them; the items are laid out between them.
    const int lead = LeadingSystemEntries(menu);
    // While the menu is open, entries keep their places: the system tracks the selected entry
    // and the submenu it shows by position, and a submenu whose entry moved is never closed.
    // Entries come, go and move once the menu has closed.
    if (owner && owner->FTracking) {
        bool same = OwnEntryCount(menu) == static_cast<int>(shown.size());
        for (size_t i = 0; same && i < shown.size(); ++i)
            same = EntryIs(menu, lead + static_cast<int>(i), *shown[i]);
        if (!same) {
            owner->FRebuildPending = true;
            return;
        }
    }
    // Entries of items that are gone or hidden go first (a submenu is only detached).
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        const UINT id = EntryId(menu, position);
        if (!SystemEntry(menu, position) &&
            std::none_of(shown.begin(), shown.end(), [id](const TMenuItem* i) { return i->FCommand == id; }))
            RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        const int position = lead + static_cast<int>(i);
        if (position < GetMenuItemCount(menu) && EntryIs(menu, position, *shown[i])) {
            shown[i]->UpdateEntry(menu, position, ownerDraw);
            continue;
        }
        // A moved entry leaves its old place before it is put at the new one.
        for (int later = GetMenuItemCount(menu) - 1; later > position; --later)
            if (EntryIs(menu, later, *shown[i]))
                RemoveMenu(menu, static_cast<UINT>(later), MF_BYPOSITION);
        shown[i]->InsertEntry(menu, position, ownerDraw);
    }
    for (int position = GetMenuItemCount(menu) - 1; position >= lead + static_cast<int>(shown.size()); --position)
        if (!SystemEntry(menu, position))
            RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

std::wstring TMenuItem::EntryText() const
{
    std::wstring text = FCaption;
    std::wstring shortCut = ShortCutToText(FShortCut);
    if (!shortCut.empty())
        text += L"\t" + shortCut;
    return text;
}

MENUITEMINFOW TMenuItem::EntryInfo(std::wstring& text, bool ownerDraw)
{
    text = EntryText();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    info.wID = FCommand;
    if (IsLine()) {
        info.fType = MFT_SEPARATOR;
    } else {
        // The text is kept even for owner-drawn entries: keyboard mnemonics and painters read it.
        info.fMask |= MIIM_STRING;
        info.dwTypeData = text.data();
    }
    if (ownerDraw)
        info.fType |= MFT_OWNERDRAW;
    if (FRadioItem)
        info.fType |= MFT_RADIOCHECK;
    if (FBreak == mbBreak)
        info.fType |= MFT_MENUBREAK;
    else if (FBreak == mbBarBreak)
        info.fType |= MFT_MENUBARBREAK;
    info.fState = (FChecked ? MFS_CHECKED : 0u) | (FDefault ? MFS_DEFAULT : 0u) | (FEnabled ? 0u : MFS_DISABLED);
    info.hSubMenu = FItems.empty() ? nullptr : Handle();
    return info;
}

void TMenuItem::InsertEntry(HMENU menu, int position, bool ownerDraw)
{
    std::wstring text;
    MENUITEMINFOW info = EntryInfo(text, ownerDraw);
    if (!InsertMenuItemW(menu, static_cast<UINT>(position), TRUE, &info))
        throw EMenuError("The system refused a menu entry");
}

void TMenuItem::UpdateEntry(HMENU menu, int position, bool ownerDraw)
{
    std::wstring text;
    MENUITEMINFOW wanted = EntryInfo(text, ownerDraw);
    MENUITEMINFOW current{};
    current.cbSize = sizeof current;
    current.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &current)) {
        RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
        InsertEntry(menu, position, ownerDraw);
        return;
    }
    // The selection mark belongs to the open menu, not to the item.
    wanted.fState |= current.fState & MFS_HILITE;
    wanted.fMask = MIIM_STRING | MIIM_FTYPE;
    if (IsLine())
        wanted.fMask = MIIM_FTYPE;
    if (current.fState != wanted.fState)
        wanted.fMask |= MIIM_STATE;
    if (current.hSubMenu != wanted.hSubMenu)
        wanted.fMask |= MIIM_SUBMENU;
    if (!SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &wanted))
        throw EMenuError("The system refused a menu entry");
}

int TMenuItem::LeadingSystemEntries(HMENU bar)
{
    return bar && SystemEntry(bar, 0) ? 1 : 0;
}

bool TMenuItem::SystemEntry(HMENU menu, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_BITMAP);
}

int TMenuItem::OwnEntryCount(HMENU menu)
{
    int count = 0;
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position)
        count += SystemEntry(menu, position) ? 0 : 1;
    return count;
}

bool TMenuItem::EntryIs(HMENU menu, int position, const TMenuItem& item)
{
    return EntryId(menu, position) == item.FCommand;
}

UINT TMenuItem::EntryId(HMENU menu, int position)
{
    // GetMenuItemID answers -1 for an entry with a submenu; the entry's own number is asked.
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ? info.wID : 0;
}

void TMenuItem::Click()
{
    // A copy: the handler may free this item, and with it the delegate being called.
    const TNotifyEvent handler = FOnClick;
    if (handler)
        handler(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height)
{
    if (FOnMeasureItem) {
        // The handler sizes the entry. Wine: the check-mark metrics the default needs are worked
        // out from the menu font at every call, which would cost more than the handler itself.
        width = 0;
        height = 0;
        FOnMeasureItem(this, &canvas, width, height);
        return;
    }
    if (IsLine()) {
        width = TextGap;
        height = LineHeight;
    } else {
        // Measured with the font alone selected: a menu asks for every entry as it opens, and
        // preparing the whole canvas for each text costs several times the measuring itself.
        const HDC dc = canvas.Handle();
        const HGDIOBJ previous = SelectObject(dc, canvas.Font().Handle());
        const auto extent = [dc](const std::wstring& text) {
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            return size;
        };
        const SIZE caption = extent(StripHotkey(FCaption));
        const std::wstring shortCut = ShortCutToText(FShortCut);
        width = GetSystemMetrics(SM_CXMENUCHECK) + TextGap + caption.cx + TextGap;
        if (!shortCut.empty())
            width += extent(shortCut).cx + 3 * TextGap;
        height = std::max<int>(caption.cy + 4, GetSystemMetrics(SM_CYMENUCHECK));
        SelectObject(dc, previous);
    }
}

void TMenuItem::AdvancedDrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel)
{
    if (FOnAdvancedDrawItem)
        FOnAdvancedDrawItem(this, &canvas, rect, state);
    else if (FOnDrawItem)
        FOnDrawItem(this, &canvas, rect, state.Contains(odSelected));
    else
        DrawDefault(canvas, rect, state, topLevel);
}

void TMenuItem::DrawDefault(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel)
{
    bool selected = state.Contains(odSelected) && !IsLine();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(selected ? clHighlight : clMenu);
    canvas.FillRect(rect);
    HDC dc = canvas.Handle();
    if (IsLine()) {
        RECT line{rect.Left + 1, rect.Top + rect.Height() / 2 - 1, rect.Right - 1, rect.Top + rect.Height() / 2 + 1};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    TColor textColor = !FEnabled ? clGrayText : selected ? clHighlightText : clMenuText;
    canvas.Font().SetColor(textColor);
    if (FDefault)
        canvas.Font().SetStyle(canvas.Font().Style() | TFontStyles{fsBold});
    int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    TRect text = rect;
    text.Left += topLevel ? TextGap : checkWidth + TextGap;
    text.Right -= TextGap;
    if (FChecked && !topLevel) {
        // A tick in the text colour, centred in the check-mark column.
        canvas.Pen().SetColor(textColor);
        int x = rect.Left + (checkWidth - 8) / 2 + 2;
        int y = rect.Top + rect.Height() / 2;
        for (int dy = 0; dy < 2; ++dy) {
            TPoint tick[] = {{x, y - 1 + dy}, {x + 2, y + 1 + dy}, {x + 7, y - 4 + dy}};
            Polyline(canvas.Handle(), reinterpret_cast<const POINT*>(tick), 3);
        }
    }
    SetBkMode(canvas.Handle(), TRANSPARENT);
    UINT flags = DT_SINGLELINE | DT_VCENTER | (state.Contains(odNoAccel) ? DT_HIDEPREFIX : 0u);
    canvas.DrawText(FCaption, text, flags | DT_LEFT);
    std::wstring shortCut = ShortCutToText(FShortCut);
    if (!shortCut.empty())
        canvas.DrawText(shortCut, text, flags | DT_RIGHT | DT_NOPREFIX);
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (FParent && FParent->FMenu)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* parent)
{
    if (auto* menu = dynamic_cast<TMenu*>(parent))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(this);
    else
        throw EMenuError("A menu item must lie inside a menu or another menu item");
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent*)
{
    for (TMenuItem* item : FItems)
        proc(item);
}

TMenuItem* TMenuItem::Find(UINT_PTR value, TFindItemKind kind)
{
    bool match = false;
    switch (kind) {
    case fkCommand:
        match = FCommand == value;
        break;
    case fkHandle:
        match = FHandle && reinterpret_cast<UINT_PTR>(FHandle.get()) == value;
        break;
    case fkShortCut:
        match = FShortCut != scNone && FShortCut == value;
        break;
    }
    if (match)
        return this;
    for (TMenuItem* item : FItems)
        if (TMenuItem* found = item->Find(value, kind))
            return found;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
TMenu::TMenu(TComponent* owner) : TComponent(owner)
{
    FItems = Create<TMenuItem>(this);
    FItems->FMenu = this;
}

TMenu::~TMenu()
{
    *FAlive = false;
    for (HMENU retired : FRetired)
        ks::UniqueMenu().reset(retired);
}

void TMenu::SetImages(TCustomImageList* value)
{
    if (ReplaceReference(FImages, value) && FItems->HandleAllocated())
        MenuChanged();
}

void TMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FImages)
        FImages = nullptr;
}

void TMenu::SetOwnerDraw(bool value)
{
    if (value == FOwnerDraw)
        return;
    FOwnerDraw = value;
    if (!FItems->HandleAllocated())
        return;
    // Every submenu carries the flag in its entries.
    RebuildTree(FItems);
    MenuChanged();
}

void TMenu::RebuildTree(TMenuItem* item)
{
    if (item->HandleAllocated())
        item->RebuildHandle();
    for (int i = 0; i < item->Count(); ++i)
        RebuildTree(item->Items(i));
}

void TMenu::TrackingEnded()
{
    FTracking = false;
    if (std::exchange(FRebuildPending, false) && FItems->HandleAllocated()) {
        RebuildTree(FItems);
        MenuChanged();
    }
    for (HMENU retired : std::exchange(FRetired, {}))
        ks::UniqueMenu().reset(retired);
}

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind)
{
    if (TMenuItem* item = FItems->Find(value, kind))
        return item;
    TMenu* merged = MergedMenu();
    return merged ? merged->FindItem(value, kind) : nullptr;
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = FindItem(command, fkCommand);
    if (!item || item == FItems)
        return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU submenu)
{
    TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(submenu), fkHandle);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TMenu::HandleMenuMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND: { TWMCommand v(message); return WMCommand(v); }
    case WM_INITMENUPOPUP: { TWMInitMenuPopup v(message); return WMInitMenuPopup(v); }
    case WM_MEASUREITEM: { TWMMeasureItem v(message); return WMMeasureItem(v); }
    case WM_DRAWITEM: { TWMDrawItem v(message); return WMDrawItem(v); }
    default: return false;
    }
}

bool TMenu::WMCommand(TWMCommand& m)
{
    // Menus send notification code 0 and no control window.
    if (m.NotifyCode() != 0 || m.Ctl())
        return false;
    return DispatchCommand(m.ItemID());
}

bool TMenu::WMInitMenuPopup(TWMInitMenuPopup& m)
{
    return !m.SystemMenu() && DispatchPopup(m.MenuPopup());
}

bool TMenu::WMMeasureItem(TWMMeasureItem& m)
{
    MEASUREITEMSTRUCT& mis = m.MeasureItemStruct();
    if (mis.CtlType != ODT_MENU || !FindItem(mis.itemID, fkCommand))
        return false;
    MeasureItem(mis);
    m.SetResult(TRUE);
    return true;
}

bool TMenu::WMDrawItem(TWMDrawItem& m)
{
    const DRAWITEMSTRUCT& dis = m.DrawItemStruct();
    if (dis.CtlType != ODT_MENU || !FindItem(dis.itemID, fkCommand))
        return false;
    DrawItem(dis);
    m.SetResult(TRUE);
    return true;
}

void TMenu::MeasureItem(MEASUREITEMSTRUCT& mis)
{
    TMenuItem* item = FindItem(mis.itemID, fkCommand);
    ks::WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    canvas.Font().Assign(Screen->MenuFont());
    int width = 0;
    int height = 0;
    item->MeasureItem(canvas, width, height);
    canvas.SetHandle(nullptr);
    mis.itemWidth = static_cast<UINT>(std::max(width, 0));
    mis.itemHeight = static_cast<UINT>(std::max(height, 0));
}

void TMenu::DrawItem(const DRAWITEMSTRUCT& dis)
{
    TMenuItem* item = FindItem(dis.itemID, fkCommand);
    ks::SavedDC saved(dis.hDC);
    TCanvas canvas;
    canvas.SetHandle(dis.hDC);
    canvas.Font().Assign(Screen->MenuFont());
    TRect rect{dis.rcItem.left, dis.rcItem.top, dis.rcItem.right, dis.rcItem.bottom};
    bool topLevel = dynamic_cast<TMainMenu*>(this) && item->Parent() == FItems;
    item->AdvancedDrawItem(canvas, rect, TOwnerDrawState::FromBits(dis.itemState), topLevel);
    canvas.SetHandle(nullptr);
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    FItems->GetChildren(proc, root);
}

// ---------------------------------------------------------------------------------------------
HMENU TMainMenu::CreateMenuHandle()
{
    return CreateMenu();
}

void TMainMenu::SetWindowHandle(HWND wnd)
{
    if (FWindowHandle && FWindowHandle != wnd && IsWindow(FWindowHandle))
        SetMenu(FWindowHandle, nullptr);
    FWindowHandle = wnd;
    if (wnd)
        SetMenu(wnd, Handle());
}

void TMainMenu::MenuChanged()
{
    // A merged menu's items live on the other bar.
    if (FMergedInto) {
        if (FMergedInto->Items()->HandleAllocated())
            FMergedInto->Items()->RebuildHandle();
        FMergedInto->MenuChanged();
    }
    if (!FWindowHandle)
        return;
    // The form (and whatever took over its window procedure) hears of the change first, so
    // that new items are set up before the system lays the bar out again.
    SendMessageW(FWindowHandle, CM_MENUCHANGED, 0, 0);
    DrawMenuBar(FWindowHandle);
}

std::vector<TMenuItem*> TMainMenu::BarItems() const
{
    std::vector<TMenuItem*> bar;
    for (int i = 0; i < Items()->Count(); ++i)
        if (TMenuItem* item = Items()->Items(i); item->Visible())
            bar.push_back(item);
    if (!FMerged)
        return bar;
    for (int i = 0; i < FMerged->Items()->Count(); ++i) {
        TMenuItem* item = FMerged->Items()->Items(i);
        if (!item->Visible())
            continue;
        const int group = item->GroupIndex();
        // Own items of the group are replaced; the merged item goes after every lower group.
        std::erase_if(bar, [&](const TMenuItem* own) { return own->Parent() == Items() && own->GroupIndex() == group; });
        auto at = std::find_if(bar.begin(), bar.end(), [&](const TMenuItem* other) { return other->GroupIndex() > group; });
        bar.insert(at, item);
    }
    return bar;
}

void TMainMenu::Merge(TMainMenu* menu)
{
    if (menu == FMerged || menu == this)
        return;
    if (FMerged) {
        FMerged->FMergedInto = nullptr;
        FMerged->RemoveFreeNotification(this);
        RemoveFreeNotification(FMerged);
    }
    FMerged = menu;
    if (FMerged) {
        if (FMerged->FMergedInto)
            FMerged->FMergedInto->Unmerge(FMerged);
        FMerged->FMergedInto = this;
        FMerged->FreeNotification(this);
        FreeNotification(FMerged);
    }
    if (Items()->HandleAllocated())
        Items()->RebuildHandle();
    MenuChanged();
}

void TMainMenu::Unmerge(TMainMenu* menu)
{
    if (menu && menu == FMerged)
        Merge(nullptr);
}

void TMainMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FMergedInto)
        FMergedInto = nullptr;
    if (component == FMerged) {
        FMerged = nullptr;
        if (Items()->HandleAllocated() && !ComponentState().Contains(csDestroying))
            Items()->RebuildHandle();
        MenuChanged();
    }
}

// ---------------------------------------------------------------------------------------------
TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner)
{
    PopupList().Add(this);
}

TPopupMenu::~TPopupMenu()
{
    PopupList().Remove(this);
}

HWND TPopupMenu::WindowHandle()
{
    return FWindowHandle ? FWindowHandle : PopupList().Window();
}

HMENU TPopupMenu::CreateMenuHandle()
{
    return CreatePopupMenu();
}

void TPopupMenu::SetPopupComponent(TComponent* component)
{
    ReplaceReference(FPopupComponent, component);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == FPopupComponent)
        FPopupComponent = nullptr;
}

// Whether the menu reads right to left where it shows: a right-to-left menu where the system
// lays text out so, or one shown for a mirrored window, whose own menus the system mirrors.
bool TPopupMenu::ShownRightToLeft() const
{
    if (BiDiMode() == bdRightToLeft && ks::Sys().IsMiddleEastLocale())
        return true;
    // A windowless control shows in its parent's window.
    for (TControl* control = dynamic_cast<TControl*>(FPopupComponent); control; control = control->Parent())
        if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->HandleAllocated())
            return ks::IsMirrored(windowed->Handle());
    return ks::IsMirrored(FWindowHandle);
}

void TPopupMenu::Popup(int x, int y)
{
    // The leading edge goes at the point: a mirrored menu's right edge, and its submenus then
    // open leftwards as well.
    UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON;
    if (ShownRightToLeft())
        flags |= TPM_LAYOUTRTL;
    if (FMenuAnimation.Contains(maNone))
        flags |= TPM_NOANIMATION;
    HMENU menu = Handle();
    HWND owner = WindowHandle();
    // The menu may be freed while it is open (by a timer or a message handler).
    const std::shared_ptr<bool> alive = FAlive;
    FTracking = true;
    ks::ScopeExit ended{[this, alive] {
        if (!*alive)
            return;
        TrackingEnded();
        DropStaleSelection();
    }};
    TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

void TMenu::DropStaleSelection()
{
    // Wine keeps the entry that was selected when the popup closed as the menu's selection,
    // still marked hilited. Once entries are removed it points past the menu's end, and the
    // next showing clears its mark there: a write into freed memory. A fresh handle has no
    // selection; the items and their submenus are put into it again.
    HMENU menu = FItems->FHandle.get();
    if (!menu)
        return;
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) && (info.fState & MFS_HILITE)) {
            FItems->FHandle.reset();
            FItems->Handle();
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
TPopupList& PopupList()
{
    static TPopupList list;
    return list;
}

HWND TPopupList::Window()
{
    if (!FWindow)
        FWindow = AllocateHWnd(TWndMethod(this, &TPopupList::WndProc));
    return FWindow;
}

void TPopupList::Add(TPopupMenu* menu)
{
    if (std::find(FMenus.begin(), FMenus.end(), menu) == FMenus.end())
        FMenus.push_back(menu);
}

void TPopupList::Remove(TPopupMenu* menu)
{
    std::erase(FMenus, menu);
    ReleaseWindowIfUnused();
}

void TPopupList::ReleaseWindowIfUnused() noexcept
{
    // Never under the window's own message: the last menu may be freed by its own click.
    if (FMenus.empty() && FDispatchDepth == 0 && FWindow)
        DeallocateHWnd(std::exchange(FWindow, nullptr));
}

void TPopupList::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND: MenuMessage(message); break;
    case WM_INITMENUPOPUP: MenuMessage(message); break;
    case WM_MEASUREITEM: MenuMessage(message); break;
    case WM_DRAWITEM: MenuMessage(message); break;
    default: DefaultHandler(message); break;
    }
}

void TPopupList::MenuMessage(TMessage& message)
{
    ++FDispatchDepth;
    ks::ScopeExit leave{[this] {
        --FDispatchDepth;
        ReleaseWindowIfUnused();
    }};
    if (!Offer(nullptr, message))
        DefaultHandler(message);
}

bool TPopupList::MenuMessageOf(HWND wnd, TMessage& message)
{
    ++FDispatchDepth;
    ks::ScopeExit leave{[this] {
        --FDispatchDepth;
        ReleaseWindowIfUnused();
    }};
    return wnd && Offer(wnd, message);
}

bool TPopupList::Offer(HWND wnd, TMessage& message)
{
    // A copy, because a click may free menus.
    std::vector<TPopupMenu*> menus = FMenus;
    for (TPopupMenu* menu : menus)
        if (std::find(FMenus.begin(), FMenus.end(), menu) != FMenus.end() &&
            menu->FWindowHandle == wnd && menu->HandleMenuMessage(message))
            return true;
    return false;
}

void TPopupList::DefaultHandler(TMessage& message)
{
    message.Result = DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
}
