#pragma once
// Actions: TBasicAction (an execute and an update event, and the links bound to it),
// TCustomAction/TAction (caption, enabled, checked, hint, image and visibility shared by every
// control bound to it) and TCustomActionList/TActionList (actions grouped with one image list).
// A control binds to an action through a TBasicActionLink, which the action tells of changes.

#include "vcl/Classes.h"

#include <string>
#include <vector>

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

// ---------------------------------------------------------------------------------------------
// What an object bound to an action holds; the action calls Change after any of its
// properties changed, and forgets the link when either side goes.
class TBasicActionLink {
public:
    TBasicActionLink() = default;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;
    virtual ~TBasicActionLink();

    TBasicAction* Action() const noexcept { return FAction; }
    void SetAction(TBasicAction* action);
    // The action's update cycle (its OnUpdate, or CM_ACTIONUPDATE to the forms' controls).
    bool Update();
    bool Execute();

protected:
    friend class TBasicAction;
    virtual void Change() = 0;

private:
    TBasicAction* FAction = nullptr;
};

// ---------------------------------------------------------------------------------------------
class TBasicAction : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;

    TNotifyEvent OnExecute() const noexcept { return FOnExecute; }
    void SetOnExecute(TNotifyEvent handler);
    TNotifyEvent OnUpdate() const noexcept { return FOnUpdate; }
    void SetOnUpdate(TNotifyEvent handler);

    // Fires OnExecute; false when there is none.
    virtual bool Execute();
    // Fires OnUpdate; without one, offers the action to every control of every form as
    // CM_ACTIONUPDATE (LParam: the action). True when OnUpdate or a control answered it.
    virtual bool Update();
    // Tells every bound link (the action list does so when its pictures change).
    void Change();

private:
    friend class TBasicActionLink;
    std::vector<TBasicActionLink*> FClients;
    TNotifyEvent FOnExecute;
    TNotifyEvent FOnUpdate;
};

// ---------------------------------------------------------------------------------------------
class TCustomAction : public TBasicAction {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
    ~TCustomAction() override;

    // Setting it moves the action into that list (nullptr: out of any).
    TCustomActionList* ActionList() const noexcept { return FActionList; }
    void SetActionList(TCustomActionList* list);
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* parent) override;

    const std::wstring& Caption() const noexcept { return FCaption; }
    void SetCaption(const std::wstring& value);
    bool Checked() const noexcept { return FChecked; }
    void SetChecked(bool value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    const std::wstring& Hint() const noexcept { return FHint; }
    void SetHint(const std::wstring& value);
    // An index into the action list's Images; -1 for none.
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);

private:
    friend class TCustomActionList;
    template <class T>
    void Assign(T& field, const T& value);

    TCustomActionList* FActionList = nullptr;
    std::wstring FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    std::wstring FHint;
    int FImageIndex = -1;
    bool FVisible = true;
};

class TAction : public TCustomAction {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomAction::TCustomAction;
};

// ---------------------------------------------------------------------------------------------
class TCustomActionList : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
    ~TCustomActionList() override;

    int ActionCount() const noexcept { return static_cast<int>(FActions.size()); }
    // Raises EListError outside 0 .. ActionCount()-1.
    TCustomAction* Actions(int index) const;
    // The pictures the actions' ImageIndex points into; forgotten when freed.
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* images);
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomAction;
    std::vector<TCustomAction*> FActions;
    TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomActionList::TCustomActionList;
};
