#include "skin/forms/acCtrlAdapter.h"

#include "skin/adapters/BarAdapters.h"
#include "skin/adapters/ComboAdapters.h"
#include "skin/adapters/GridAdapters.h"
#include "skin/adapters/ListViewAdapter.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/SpeedButtonAdapter.h"
#include "skin/adapters/TabAdapters.h"
#include "skin/adapters/TreeViewAdapters.h"
#include "skin/adapters/acButtonAdapters.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/adapters/acStaticAdapters.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/SkinSenders.h"
#include "skin/controls/sLabel.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/forms/sFrameAdapter.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Buttons.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "vcl/SysUtils.h"

namespace {

// Controls and components with this tag are the engine's own and never skinned.
constexpr int NeverSkinTag = -98;
// A label with this tag keeps its own look.
constexpr int KeepLookTag = 98;

bool AnswersSkinned(TWinControl* control)
{
    return control->HandleAllocated() &&
           SendMessageW(control->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0) == 1;
}

bool Going(const TControl* control)
{
    return control->ComponentState().Contains(csDestroying);
}

// One walk of AdaptAll at a time; the walk's own descent does not count.
bool WalkRunning = false;

TacMainWnd* MakeWindowAdapter(int kind, TWinControl* control, TsCommonData* data, TsSkinManager* manager)
{
    const std::string section = data->SkinSection();
    const HWND wnd = control->Handle();
    switch (kind) {
    case tkEdit: return TacMainWnd::Create<TacEditWnd>(wnd, data, manager, section, true);
    case tkButton: return TacMainWnd::Create<TacBtnWnd>(wnd, data, manager, section, true);
    case tkBitBtn: return TacMainWnd::Create<TacBitBtnWnd>(wnd, data, manager, section, true);
    case tkCheckBox: return TacMainWnd::Create<TacCheckBoxWnd>(wnd, data, manager, section, true);
    case tkComboBox: return TacMainWnd::Create<TacComboBoxWnd>(wnd, data, manager, section, true);
    // The control, not its window style, knows whether it shows a drop-down button.
    case tkWWEdit: return TacWWComboBoxWnd::CreateFor(control, data, manager, section, true);
    case tkGrid: return TacMainWnd::Create<TacGridWnd>(wnd, data, manager, section, true);
    case tkGroupBox: return TacMainWnd::Create<TacGroupBoxWnd>(wnd, data, manager, section, true);
    case tkListView: return TacMainWnd::Create<TacListViewWnd>(wnd, data, manager, section, true);
    case tkPanel: return TacMainWnd::Create<TacPanelWnd>(wnd, data, manager, section, true);
    case tkTreeView: return TacMainWnd::Create<TacTreeViewWnd>(wnd, data, manager, section, true);
    case tkGridEh: return TacMainWnd::Create<TacGridEhWnd>(wnd, data, manager, section, true);
    case tkVirtualTree: return TacMainWnd::Create<TacVirtualTreeViewWnd>(wnd, data, manager, section, true);
    case tkPageControl: return TacMainWnd::Create<TacPageControlWnd>(wnd, data, manager, section, true);
    case tkTabControl: return TacMainWnd::Create<TacTabControlWnd>(wnd, data, manager, section, true);
    case tkToolBar: return TacMainWnd::Create<TacToolBarVCLWnd>(wnd, data, manager, section, true);
    case tkStatusBar: return TacMainWnd::Create<TacStatusBarWnd>(wnd, data, manager, section, true);
    // Speed buttons have no window: they get a handler through AddGraphItem.
    default: return nullptr;
    }
}

void ColourLabel(TCustomLabel* label)
{
    if (dynamic_cast<TsCustomLabel*>(label) || label->Tag() == KeepLookTag)
        return;
    label->SetTransparent(true);
    if (DefaultSkinManager)
        label->Font()->SetColor(DefaultSkinManager->GlobalSectionFontColor());
}

} // namespace

int ThirdListIndexOf(TsSkinManager* manager, const std::string& className)
{
    if (!manager)
        return -1;
    for (int kind = 0; kind < ThirdKindCount; ++kind) {
        const TStringList& list = manager->ThirdLists[static_cast<size_t>(kind)];
        for (int i = 0; i < list.Count(); ++i)
            if (list.Strings(i) == className)
                return kind;
    }
    return -1;
}

// ---- TacAdapterItem

const ks::ClassInfo TacAdapterItem::StaticClassInfo{"TacAdapterItem", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacAdapterItem::ClassInfo() const noexcept { return StaticClassInfo; }

TacAdapterItem::TacAdapterItem(TacCtrlAdapter* adapter) : Adapter(adapter)
{
    SkinData = new TsCommonData(this, true);
    SkinData->ControlKind = ckProviderAdapted;
}

TacAdapterItem::~TacAdapterItem()
{
    if (WndAdapter)
        WndAdapter->Free();
    WndAdapter = nullptr;
    delete SkinData;
}

void TacAdapterItem::DoHook(TWinControl* control)
{
    if (!control || control->Tag() == NeverSkinTag || !control->HandleAllocated() || !control->Parent() ||
        AnswersSkinned(control))
        return;
    Control = control;
    SkinData->OwnerControl = control;
    SkinData->OwnerObject = control;
    TsSkinManager* manager = Adapter ? Adapter->SkinManager() : nullptr;
    if (!manager)
        return;
    const int kind = ThirdListIndexOf(manager, control->ClassName());
    if (kind < 0)
        return;
    WndAdapter = MakeWindowAdapter(kind, control, SkinData, manager);
}

// ---- TacGraphItem

const ks::ClassInfo TacGraphItem::StaticClassInfo{"TacGraphItem", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacGraphItem::ClassInfo() const noexcept { return StaticClassInfo; }

TacGraphItem::TacGraphItem(TacCtrlAdapter* adapter) : Adapter(adapter)
{
    SkinData = new TsCommonData(this, true);
    SkinData->ControlKind = ckProviderAdapted;
}

TacGraphItem::~TacGraphItem()
{
    // The handler gives the button its WindowProc back and reads the skin data until then.
    delete Handler;
    Handler = nullptr;
    delete SkinData;
}

void TacGraphItem::DoHook(TControl* control)
{
    Control = control;
    SkinData->OwnerControl = control;
    SkinData->OwnerObject = control;
    auto* button = dynamic_cast<TSpeedButton*>(control);
    if (!button)
        return;
    Handler = new TacSpeedButtonHandler(button, Adapter ? Adapter->SkinManager() : nullptr, SkinData,
                                        SkinData->SkinSection());
}

// ---- TacCtrlAdapter

const ks::ClassInfo TacCtrlAdapter::StaticClassInfo{"TacCtrlAdapter", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacCtrlAdapter::ClassInfo() const noexcept { return StaticClassInfo; }

TacCtrlAdapter::TacCtrlAdapter(TsSkinProvider* provider) : Provider(provider) {}

TacCtrlAdapter::~TacCtrlAdapter()
{
    if (FClearing)
        return;
    FClearing = true;
    const bool wasClearing = ClearingAdapters;
    ClearingAdapters = true;
    RemoveDeadItems();
    while (!Items.empty()) {
        TacAdapterItem* item = Items.back();
        Items.pop_back();
        delete item;
    }
    while (!GraphItems.empty()) {
        TacGraphItem* item = GraphItems.back();
        GraphItems.pop_back();
        delete item;
    }
    ClearingAdapters = wasClearing;
    FClearing = false;
}

TsSkinManager* TacCtrlAdapter::SkinManager() const
{
    return Provider && Provider->SkinData() ? Provider->SkinData()->SkinManager() : nullptr;
}

bool TacCtrlAdapter::IsControlSupported(TControl* control)
{
    if (!control || control->Tag() == NeverSkinTag)
        return false;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && (!windowed->HandleAllocated() || AnswersSkinned(windowed)))
        return false;
    if (windowed && !dynamic_cast<TFrame*>(control))
        return ThirdListIndexOf(SkinManager(), control->ClassName()) >= 0;
    bool supported;
    if (dynamic_cast<TFrame*>(control) || dynamic_cast<TCustomLabel*>(control))
        supported = true;
    else if (dynamic_cast<TSpeedButton*>(control))
        supported = ThirdListIndexOf(SkinManager(), control->ClassName()) >= 0;
    else
        return false;
    std::string section;
    return AskSkinItem(control, supported, section) && supported;
}

bool TacCtrlAdapter::AskSkinItem(TControl* control, bool& canBeAdded, std::string& section)
{
    if (!Provider || !Provider->OnSkinItem())
        return true;
    const std::weak_ptr<const void> life = FLife;
    ks::ComponentWatch watch;
    watch.Watch(control);
    Provider->OnSkinItem()(control, canBeAdded, section);
    return !life.expired() && watch.Alive(control);
}

TacAdapterItem* TacCtrlAdapter::GetItem(int index)
{
    if (index < 0 || index >= static_cast<int>(Items.size()))
        return nullptr;
    return Items[static_cast<size_t>(index)];
}

TacAdapterItem* TacCtrlAdapter::ItemOf(const TWinControl* control) const
{
    for (TacAdapterItem* item : Items)
        if (item->Control == control)
            return item;
    return nullptr;
}

TacGraphItem* TacCtrlAdapter::GraphItemOf(const TControl* control) const
{
    for (TacGraphItem* item : GraphItems)
        if (item->Control == control)
            return item;
    return nullptr;
}

void TacCtrlAdapter::AddItem(TWinControl* control)
{
    AddNewItem(control, DefaultSection);
}

void TacCtrlAdapter::AddNewItem(TWinControl* control, const std::string& skinSection)
{
    // A control leaving its form as it is freed (the form's control-list change) is not offered.
    if (!control || control->Tag() == NeverSkinTag || !control->Parent() || Going(control) || AnswersSkinned(control))
        return;
    bool canBeAdded = true;
    std::string section = skinSection;
    if (!AskSkinItem(control, canBeAdded, section) || !canBeAdded)
        return;
    if (auto* frame = dynamic_cast<TFrame*>(control)) {
        auto* frameAdapter = Create<TsFrameAdapter>(frame);
        frameAdapter->SkinData()->SetSkinSection("GROUPBOX");
        return;
    }
    TacAdapterItem* item = ItemOf(control);
    if (item) {
        item->SkinData->SetSkinSection(section);
        if (item->WndAdapter && item->WndAdapter->Destroyed) {
            item->WndAdapter->Free();
            item->WndAdapter = nullptr;
            if (control->Parent())
                item->DoHook(control);
        }
        return;
    }
    item = new TacAdapterItem(this);
    item->Control = control;
    if (!section.empty())
        item->SkinData->SetSkinSection(section);
    Items.push_back(item);
    const std::weak_ptr<const void> life = FLife;
    if (control->Parent())
        item->DoHook(control);
    // The hooking's messages reach the application, which may have freed this adapter and
    // with it the item.
    if (life.expired())
        return;
    if (!item->WndAdapter) {
        // No list names the control: nothing is kept for it. The item is found again by value,
        // as the hooking may have sent messages that changed the list.
        const auto it = std::find(Items.begin(), Items.end(), item);
        if (it != Items.end())
            Items.erase(it);
        delete item;
    }
}

void TacCtrlAdapter::AddGraphItem(TControl* control)
{
    if (!control || control->Tag() == NeverSkinTag || !control->Parent() || Going(control))
        return;
    bool canBeAdded = true;
    std::string section = "SPEEDBUTTON";
    if (!AskSkinItem(control, canBeAdded, section) || !canBeAdded)
        return;
    auto* button = dynamic_cast<TSpeedButton*>(control);
    if (section == "SPEEDBUTTON" || section == "SPEEDBUTTON_SMALL")
        section = button && button->Flat() ? "SPEEDBUTTON_SMALL" : "SPEEDBUTTON";
    TacGraphItem* item = GraphItemOf(control);
    if (item) {
        item->SkinData->SetSkinSection(section);
        if (item->Handler && item->Handler->Destroyed) {
            delete item->Handler;
            item->Handler = nullptr;
            item->DoHook(control);
        }
        return;
    }
    item = new TacGraphItem(this);
    item->Control = control;
    item->SkinData->SetSkinSection(section);
    GraphItems.push_back(item);
    item->DoHook(control);
    if (!item->Handler) {
        const auto it = std::find(GraphItems.begin(), GraphItems.end(), item);
        if (it != GraphItems.end())
            GraphItems.erase(it);
        delete item;
    }
}

void TacCtrlAdapter::RemoveItem(int index)
{
    if (index < 0 || index >= static_cast<int>(Items.size()))
        return;
    TacAdapterItem* item = Items[static_cast<size_t>(index)];
    Items[static_cast<size_t>(index)] = Items.back();
    Items.pop_back();
    delete item;
}

void TacCtrlAdapter::RemoveDeadItems()
{
    for (size_t i = 0; i < Items.size();) {
        TacAdapterItem* item = Items[i];
        if (!item->WndAdapter || item->WndAdapter->Destroyed) {
            Items.erase(Items.begin() + static_cast<ptrdiff_t>(i));
            delete item;
        } else
            ++i;
    }
    for (size_t i = 0; i < GraphItems.size();) {
        TacGraphItem* item = GraphItems[i];
        if (!item->Handler || item->Handler->Destroyed || !item->Handler->ButtonAlive()) {
            GraphItems.erase(GraphItems.begin() + static_cast<ptrdiff_t>(i));
            delete item;
        } else
            ++i;
    }
}

void TacCtrlAdapter::BroadcastMessage(TMessage& message)
{
    BroadcastTo(message, [](const TWinControl&) { return true; });
}

void TacCtrlAdapter::BroadcastMessageWithin(TMessage& message, const TWinControl* root, const TRect& area)
{
    BroadcastTo(message, [root, &area](const TWinControl& control) {
        // The child of root holding the control bounds where it can show.
        const TControl* top = &control;
        while (top->Parent() && top->Parent() != root)
            top = top->Parent();
        if (top->Parent() != root)
            return true;
        return ks::RectsMeet(top->BoundsRect(), area);
    });
}

void TacCtrlAdapter::BroadcastTo(TMessage& message, const std::function<bool(const TWinControl&)>& reached)
{
    // The receivers may adapt or free controls, or this adapter: the list is read again at
    // every step.
    const std::weak_ptr<const void> life = FLife;
    for (size_t i = 0; !life.expired() && i < Items.size(); ++i) {
        TacAdapterItem* item = Items[i];
        if (item->WndAdapter && !item->WndAdapter->Destroyed && item->Control && item->Control->Parent() &&
            item->Control->HandleAllocated() && reached(*item->Control))
            SendMessageW(item->Control->Handle(), message.Msg, message.WParam, message.LParam);
    }
}

namespace {

// Adapts what a handler of the application may have left: every entry is watched and asked
// for again before it is touched, and the walk stops when the adapter or root goes. False when
// the adapter went.
bool Walk(TacCtrlAdapter* adapter, TWinControl* root)
{
    const std::weak_ptr<const void> life = adapter->Life();
    ks::ComponentWatch watch;
    watch.Watch(root);
    // Asked after the application ran: the entry is alive and still where the walk found it.
    const auto stillThere = [&](TComponent* component, auto listedAt) {
        return watch.Alive(root) && watch.Alive(component) && listedAt();
    };
    // Owned components first (a form owns what its designer put on it), then the children.
    for (int i = 0; watch.Alive(root) && i < root->ComponentCount(); ++i) {
        TComponent* component = root->Components(i);
        watch.Watch(component);
        auto* control = dynamic_cast<TControl*>(component);
        if (control && adapter->IsControlSupported(control)) {
            if (auto* windowed = dynamic_cast<TWinControl*>(control))
                adapter->AddNewItem(windowed, "");
            else if (auto* label = dynamic_cast<TCustomLabel*>(control))
                ColourLabel(label);
        }
        if (life.expired())
            return false;
        if (!stillThere(component, [&] { return i < root->ComponentCount() && root->Components(i) == component; }))
            continue;
        auto* windowed = dynamic_cast<TWinControl*>(component);
        if (windowed && windowed->HandleAllocated() && windowed->Parent() && !Walk(adapter, windowed))
            return false;
    }
    for (int i = 0; watch.Alive(root) && i < root->ControlCount(); ++i) {
        TControl* control = root->Controls(i);
        watch.Watch(control);
        if (adapter->IsControlSupported(control)) {
            if (auto* windowed = dynamic_cast<TWinControl*>(control))
                adapter->AddNewItem(windowed, "");
            else if (auto* label = dynamic_cast<TLabel*>(control))
                ColourLabel(label);
            else if (dynamic_cast<TSpeedButton*>(control))
                adapter->AddGraphItem(control);
        }
        if (life.expired())
            return false;
        if (!stillThere(control, [&] { return i < root->ControlCount() && root->Controls(i) == control; }))
            continue;
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (windowed && windowed->HandleAllocated() && windowed->Parent() && !Walk(adapter, windowed))
            return false;
    }
    return !life.expired();
}

} // namespace

void AdaptAll(TacCtrlAdapter* adapter, TWinControl* root)
{
    if (!adapter || WalkRunning)
        return;
    TsSkinManager* manager = adapter->SkinManager();
    if (!manager || !manager->SkinningRules().Contains(srThirdParty))
        return;
    if (!root)
        root = adapter->Provider ? adapter->Provider->Form : nullptr;
    if (!root)
        return;
    WalkRunning = true;
    // A handler that raises must not leave every later form unadapted.
    const ks::ScopeExit done{[] { WalkRunning = false; }};
    adapter->RemoveDeadItems();
    Walk(adapter, root);
}

void AdaptControl(TacCtrlAdapter* adapter, TWinControl* control)
{
    if (!adapter || !control || WalkRunning)
        return;
    TsSkinManager* manager = adapter->SkinManager();
    if (!manager || !manager->SkinningRules().Contains(srThirdParty))
        return;
    WalkRunning = true;
    const ks::ScopeExit done{[] { WalkRunning = false; }};
    // A form whose controls come and go keeps no more items than it has controls.
    adapter->RemoveDeadItems();
    const std::weak_ptr<const void> life = adapter->Life();
    ks::ComponentWatch watch;
    watch.Watch(control);
    if (adapter->IsControlSupported(control))
        adapter->AddNewItem(control, "");
    if (!life.expired() && watch.Alive(control) && control->HandleAllocated() && control->Parent())
        Walk(adapter, control);
}
