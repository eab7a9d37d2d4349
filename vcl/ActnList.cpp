#include "vcl/ActnList.h"

#include "vcl/Forms.h"
#include "vcl/ImgList.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>

namespace {

constexpr const char* ActionIndexText = "Action index out of bounds (%s)";

const ks::PropertyInfo BasicActionProps[] = {
    ks::Prop<&TBasicAction::OnExecute, &TBasicAction::SetOnExecute>("OnExecute"),
    ks::Prop<&TBasicAction::OnUpdate, &TBasicAction::SetOnUpdate>("OnUpdate"),
};
const ks::PropertyInfo CustomActionProps[] = {
    ks::Prop<&TCustomAction::Caption, &TCustomAction::SetCaption>("Caption"),
    ks::Prop<&TCustomAction::Checked, &TCustomAction::SetChecked>("Checked").DefaultIs(false),
    ks::Prop<&TCustomAction::Enabled, &TCustomAction::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TCustomAction::Hint, &TCustomAction::SetHint>("Hint"),
    ks::Prop<&TCustomAction::ImageIndex, &TCustomAction::SetImageIndex>("ImageIndex").DefaultIs(-1),
    ks::Prop<&TCustomAction::Visible, &TCustomAction::SetVisible>("Visible").DefaultIs(true),
};
const ks::PropertyInfo ActionListProps[] = {
    ks::Prop<&TCustomActionList::Images, &TCustomActionList::SetImages>("Images"),
};

// Offers action to control and its children until one answers.
bool OfferUpdate(TControl& control, TBasicAction& action)
{
    if (control.Perform(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(&action)) != 0)
        return true;
    if (auto* windowed = dynamic_cast<TWinControl*>(&control))
        for (int i = 0; i < windowed->ControlCount(); ++i)
            if (OfferUpdate(*windowed->Controls(i), action))
                return true;
    return false;
}

} // namespace

const ks::ClassInfo TBasicAction::StaticClassInfo{"TBasicAction", &TComponent::StaticClassInfo, BasicActionProps, {}};
const ks::ClassInfo TCustomAction::StaticClassInfo{"TCustomAction", &TBasicAction::StaticClassInfo, CustomActionProps, {}};
const ks::ClassInfo TAction::StaticClassInfo{"TAction", &TCustomAction::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomActionList::StaticClassInfo{"TCustomActionList", &TComponent::StaticClassInfo, ActionListProps, {}};
const ks::ClassInfo TActionList::StaticClassInfo{"TActionList", &TCustomActionList::StaticClassInfo, {}, {}};

const ks::ClassInfo& TBasicAction::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomAction::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TAction::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomActionList::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TActionList::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- link -----------------------------------------------------------------------------------
TBasicActionLink::~TBasicActionLink()
{
    SetAction(nullptr);
}

void TBasicActionLink::SetAction(TBasicAction* action)
{
    if (action == FAction)
        return;
    if (FAction)
        std::erase(FAction->FClients, this);
    FAction = action;
    if (FAction)
        FAction->FClients.push_back(this);
}

bool TBasicActionLink::Update()
{
    return FAction && FAction->Update();
}

bool TBasicActionLink::Execute()
{
    return FAction && FAction->Execute();
}

// ---- TBasicAction ---------------------------------------------------------------------------
TBasicAction::~TBasicAction()
{
    // Links outliving the action (their clients are told through FreeNotification) hold nothing.
    for (TBasicActionLink* link : FClients)
        link->FAction = nullptr;
}

void TBasicAction::SetOnExecute(TNotifyEvent handler)
{
    FOnExecute = handler;
    Change();
}

void TBasicAction::SetOnUpdate(TNotifyEvent handler)
{
    FOnUpdate = handler;
    Change();
}

bool TBasicAction::Execute()
{
    if (!FOnExecute)
        return false;
    FOnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (FOnUpdate) {
        FOnUpdate(this);
        return true;
    }
    if (!Screen)
        return false;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (OfferUpdate(*Screen->Forms(i), *this))
            return true;
    return false;
}

void TBasicAction::Change()
{
    // A client may drop its link while it is told.
    const std::vector<TBasicActionLink*> clients = FClients;
    for (TBasicActionLink* link : clients)
        if (std::find(FClients.begin(), FClients.end(), link) != FClients.end())
            link->Change();
}

// ---- TCustomAction --------------------------------------------------------------------------
TCustomAction::~TCustomAction()
{
    SetActionList(nullptr);
}

void TCustomAction::SetActionList(TCustomActionList* list)
{
    if (list == FActionList)
        return;
    if (FActionList)
        std::erase(FActionList->FActions, this);
    FActionList = list;
    if (FActionList)
        FActionList->FActions.push_back(this);
}

TComponent* TCustomAction::GetParentComponent() const
{
    return FActionList;
}

void TCustomAction::SetParentComponent(TComponent* parent)
{
    if (auto* list = dynamic_cast<TCustomActionList*>(parent))
        SetActionList(list);
}

template <class T>
void TCustomAction::Assign(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    Change();
}

void TCustomAction::SetCaption(const std::wstring& value) { Assign(FCaption, value); }
void TCustomAction::SetChecked(bool value) { Assign(FChecked, value); }
void TCustomAction::SetEnabled(bool value) { Assign(FEnabled, value); }
void TCustomAction::SetHint(const std::wstring& value) { Assign(FHint, value); }
void TCustomAction::SetImageIndex(int value) { Assign(FImageIndex, value); }
void TCustomAction::SetVisible(bool value) { Assign(FVisible, value); }

// ---- TCustomActionList ----------------------------------------------------------------------
TCustomActionList::~TCustomActionList()
{
    for (TCustomAction* action : FActions)
        action->FActionList = nullptr;
}

TCustomAction* TCustomActionList::Actions(int index) const
{
    if (index < 0 || index >= ActionCount())
        throw EListError(Format(ActionIndexText, {std::to_string(index)}));
    return FActions[static_cast<size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* images)
{
    if (images == FImages)
        return;
    if (FImages)
        FImages->RemoveFreeNotification(this);
    FImages = images;
    if (FImages)
        FImages->FreeNotification(this);
    // The bound controls show the list's pictures.
    for (TCustomAction* action : FActions)
        action->Change();
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (TCustomAction* action : FActions)
        if (action->Owner() == root)
            proc(action);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FImages)
        SetImages(nullptr);
}
