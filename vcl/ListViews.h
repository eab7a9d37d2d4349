#pragma once
// Thin wrappers over the platform's list view and tree view ("SysListView32", "SysTreeView32"),
// superclassed under their own class names like the standard controls. They offer what the
// engine's adapters and their tests drive: the list's view style, columns and items (or, for an
// owner-data list, an item count whose texts the list asks for), and the tree's items.

#include "vcl/Controls.h"

#include <commctrl.h>

#include <string>

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
template <>
struct ks::EnumTraits<TViewStyle> {
    static constexpr const char* Names[] = {"vsIcon", "vsSmallIcon", "vsList", "vsReport"};
};

class TCustomListView : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomListView(TComponent* owner);

    TViewStyle ViewStyle() const noexcept { return FViewStyle; }
    void SetViewStyle(TViewStyle value);
    // The list holds no items of its own but a count; it asks for each text as "Item <n>".
    // Changing it makes a new window.
    bool OwnerData() const noexcept { return FOwnerData; }
    void SetOwnerData(bool value) { SetAndRecreate(FOwnerData, value); }

    // Report columns and items go straight to the window (made when needed).
    int AddColumn(const std::wstring& caption, int width);
    bool DeleteColumn(int index);
    int AddItem(const std::wstring& caption);
    int ItemCount();
    // The count of an owner-data list.
    void SetItemCount(int count);

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    void CNNotify(TMessage& m);

    TViewStyle FViewStyle = vsIcon;
    bool FOwnerData = false;
    int FItemCount = 0;
    std::wstring FDispText;
};

class TListView : public TCustomListView {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomListView::TCustomListView;
};

class TCustomTreeView : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomTreeView(TComponent* owner);

    // A new last child of parent (TVI_ROOT for a top item).
    HTREEITEM AddItem(HTREEITEM parent, const std::wstring& text);
    void Expand(HTREEITEM item);
    // The tree erases its background itself, whoever paints it otherwise.
    bool OwnErase() const noexcept { return FOwnErase; }
    void SetOwnErase(bool value) noexcept { FOwnErase = value; }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool FOwnErase = false;
};

class TTreeView : public TCustomTreeView {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomTreeView::TCustomTreeView;
};
