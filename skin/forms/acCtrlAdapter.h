#pragma once
// TacCtrlAdapter: how a form provider skins the ordinary controls of its form. A control whose
// class name stands in one of the skin manager's 18 foreign-control lists gets a TacAdapterItem
// that owns skin data (kind 227) and the window adapter the list names; speed buttons get a
// TacGraphItem with a speed-button handler; plain labels are made transparent and recoloured.
// Freeing the adapter frees every item and so gives every control its window procedure back.

#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Messages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TacCtrlAdapter;
class TacMainWnd;
class TacSpeedButtonHandler;
class TsCommonData;
class TsSkinManager;
class TsSkinProvider;

class TacAdapterItem : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacAdapterItem(TacCtrlAdapter* adapter);
    // Frees WndAdapter, which gives the control its window procedure back, and SkinData.
    ~TacAdapterItem() override;

    // Attaches the window adapter of the first foreign-control list naming the control's class.
    virtual void DoHook(TWinControl* control);

    TWinControl* Control = nullptr;
    TsCommonData* SkinData = nullptr;
    int Index = -1;
    TacCtrlAdapter* Adapter = nullptr;
    TacMainWnd* WndAdapter = nullptr;
};

class TacGraphItem : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacGraphItem(TacCtrlAdapter* adapter);
    ~TacGraphItem() override;

    virtual void DoHook(TControl* control);

    TControl* Control = nullptr;
    TsCommonData* SkinData = nullptr;
    TacCtrlAdapter* Adapter = nullptr;
    TacSpeedButtonHandler* Handler = nullptr;
};

class TacCtrlAdapter : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacCtrlAdapter(TsSkinProvider* provider);
    // Frees the items last first, then the graph items.
    ~TacCtrlAdapter() override;

    virtual bool IsControlSupported(TControl* control);
    // nullptr outside 0 .. count - 1.
    virtual TacAdapterItem* GetItem(int index);
    virtual void AddGraphItem(TControl* control);
    virtual void AddItem(TWinControl* control);
    virtual void AddNewItem(TWinControl* control, const std::string& skinSection);
    virtual void RemoveItem(int index);
    // Sends the message to the window of every live item whose control has a parent.
    virtual void BroadcastMessage(TMessage& message);
    // The same for the items whose control lies within a child of root whose bounds meet area
    // (root's client coordinates); items elsewhere than in root are sent it too.
    void BroadcastMessageWithin(TMessage& message, const TWinControl* root, const TRect& area);

    // The item of the control; nullptr when it has none.
    TacAdapterItem* ItemOf(const TWinControl* control) const;
    TacGraphItem* GraphItemOf(const TControl* control) const;
    // Frees the items whose window adapter or handler is gone.
    void RemoveDeadItems();
    // The skin manager of the provider's skin data; may be nullptr.
    TsSkinManager* SkinManager() const;
    // Calls the provider's OnSkinItem for control. False when the handler freed this adapter
    // (by freeing the provider or switching the skin off) or the control: the caller then
    // touches neither again.
    bool AskSkinItem(TControl* control, bool& canBeAdded, std::string& section);
    // Expires when this adapter is deleted; held by code that calls the application meanwhile.
    std::weak_ptr<const void> Life() const noexcept { return FLife; }

    std::string DefaultSection;
    std::vector<TacAdapterItem*> Items;
    std::vector<TacGraphItem*> GraphItems;
    TsSkinProvider* Provider = nullptr;

private:
    void BroadcastTo(TMessage& message, const std::function<bool(const TWinControl&)>& reached);

    // The destructor frees items whose adapters send messages; a destruction of this adapter
    // meanwhile would free them twice. Another adapter torn down meanwhile clears its own.
    bool FClearing = false;
    std::shared_ptr<const void> FLife = std::make_shared<char>();
};

// Adapts the supported controls under root (the provider's form when nullptr), recursively.
void AdaptAll(TacCtrlAdapter* adapter, TWinControl* root);
// Adapts control itself when it is supported, and the supported controls under it: what a walk
// over the whole form would add for a control whose window has just been made, without walking
// the controls that were there before it.
void AdaptControl(TacCtrlAdapter* adapter, TWinControl* control);

// The index of the foreign-control list naming className exactly, searched in list order;
// -1 when none does.
int ThirdListIndexOf(TsSkinManager* manager, const std::string& className);
