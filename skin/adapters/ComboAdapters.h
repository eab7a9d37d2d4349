#pragma once
// Adapters of combo boxes: TacComboBoxWnd paints a platform combo box (or a class-library one
// without a skin of its own) from its section, with the drop-down button from "COMBOBTN" and the
// arrow glyph of "COMBOBOX", and colours the drop-down list; TacComboListWnd skins that list
// window ("ComboLBox") with skinned scroll bars. The list adapter is made the first time the
// combo box asks for the list's colours, which the platform does only once the list drops down.

#include "skin/adapters/ScrollWindowAdapters.h"
#include "vcl/GdiHandles.h"

#include <memory>
#include <string>

class TsCommonData;

// Set on CBN_DROPDOWN and cleared on CBN_CLOSEUP of a combo box with a drop-down list, as the
// class library reflects them to the control.
extern bool DroppedDown;

class TacComboListWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacComboListWnd"; }

    // simpleList: the list belongs to a CBS_SIMPLE combo box and is always shown. The adapter
    // always owns its skin data, a new one when skinData is nullptr.
    static TacComboListWnd* CreateEx(HWND handle, TsCommonData* skinData, TsSkinManager* manager,
                                     std::string_view section, bool repaint, bool simpleList);

    // repaint as given to CreateEx.
    TacComboListWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section,
                    bool simpleList, bool repaint);

    void AdapterWndProc(TMessage& message) override;
    // An open drop-down list holds the mouse: a click outside it closes it.
    bool HoldsMouseAcrossPress() const override;

    bool SimpleList = false;

protected:
    void InstallHook(bool repaint) override;
    // A list taken over without repaint (the drop-down list of a combo box that is not being
    // redrawn) keeps its visual style.
    bool WantsVisualStyleOff() const override;

private:
    // The dispatchers and their handlers; those returning bool tell whether the message was
    // consumed.
    bool ListMessage(TMessage& m);
    bool StraightToList(TMessage& m);
    bool NcButtonDown(TMessage& m);
    bool WMLButtonUp(TMessage& m);
    bool WMNCPaint(TMessage& m);
    bool PrintList(TMessage& m);
    bool BarPressed() const;

    bool FRepaint = true;
};

class TacComboBoxWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacComboBoxWnd"; }
    TacComboBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacComboBoxWnd() override;

    void AdapterWndProc(TMessage& message) override;
    // The drop-down button in window coordinates; zero wide for a combo box without one.
    virtual TRect ButtonRect();

    // The drop-down list window, 0 until the combo box first asked for its colours.
    HWND ListHandle = nullptr;
    // Holds the drop-down button's picture.
    std::unique_ptr<TsCommonData> ButtonSkinData;
    TacComboListWnd* ListAdapter = nullptr;

    // The button's state: 2 while the list is shown, 1 while the combo box is hot, else 0.
    int ButtonState();
    // The button over the cache's background onto dc (window coordinates).
    void PaintButton(HDC dc);

protected:
    void Detached() override;

private:
    // The dispatchers and their handlers; those returning bool tell whether the message was
    // consumed.
    bool ComboMessage(TMessage& m);
    bool ComboSkinCommand(TMessage& m);
    bool WMCtlColorListBox(TMessage& m);
    bool RepaintButtonAfter(TMessage& m);
    bool HoverChange(TMessage& m, bool entered);
    bool WMDrawItem(TMessage& m);
    bool WMNCCalcSize(TMessage& m);
    bool WMPrint(TMessage& m);
    bool WMPaint(TMessage& m);
    bool CNCommand(TMessage& m);
    void AdaptList(HWND list);
    void RepaintButton();
    void InvalidateOwner();
    bool Simple() const;
    void PrepareComboCache();
    void PaintSimpleCache();
    void PaintCurrentItem();

    // One brush for the list's background, made again only when the colour changes.
    ks::GdiBrush FListBrush;
    TColor FListBrushColor = clNone;
};

// The combo-box adapter the control adapter gives a class-library combo box: the control, not
// the window style, says whether it shows a drop-down button.
class TacWWComboBoxWnd : public TacComboBoxWnd {
public:
    const char* ClassName() const noexcept override { return "TacWWComboBoxWnd"; }
    // Attaches to control's window (made when it has none yet).
    static TacWWComboBoxWnd* CreateFor(TWinControl* control, TsCommonData* skinData, TsSkinManager* manager,
                                       std::string_view section, bool repaint);
    TacWWComboBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section,
                     TWinControl* control);

    TRect ButtonRect() override;

    bool HasButton = false;
};

// Whether control shows a drop-down button: any control but a "TComboBox" does; a TComboBox
// only in its drop-down styles (csDropDown, csDropDownList).
bool ControlHasDropDownButton(const TWinControl* control);
// The drop-down button rectangle of the combo window with or without a button.
TRect ButtonRectFor(HWND combo, bool hasButton);
