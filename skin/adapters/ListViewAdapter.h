#pragma once
// The adapter of the platform's list view ("SysListView32") and of the class library's list
// views. Beside the edit adapter's frame, background and scroll bars it colours the list from its
// section, paints the report view's column header ("SysHeader32") from the skin's "COLHEADER"
// section (or "BUTTON" when the skin has none) with the items' texts, images, sort signs and hot
// and pressed looks, and turns the skinned sliders' drags into the list's own scrolling.
//
// The header is taken over while the adapter lives (or from the moment the list makes it, which
// the list does only when it first shows the report view) and given back when the adapter lets
// go of the list, whatever the reason; a header the list makes anew is taken over in its place.

#include "skin/adapters/ScrollWindowAdapters.h"

#include <memory>

class TacListViewWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacListViewWnd"; }
    TacListViewWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacListViewWnd() override;

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // The view in the order icon 0, small icon 1, list 2, report 3.
    int ViewStyle() const;
    // The header item under p (header client coordinates); -1 when none.
    int HeaderItemAt(POINT p) const;
    // Paints the whole header into dc (header client coordinates).
    void PaintHeader(HDC dc);

    // The header held, 0 when none.
    HWND HeaderHandle = nullptr;
    int HotHeaderItem = -1;
    int PressedHeaderItem = -1;
    COLORREF SavedBkColor = 0xFFFFFFFF; // CLR_NONE until saved
    COLORREF SavedTextBkColor = 0xFFFFFFFF; // CLR_NONE until saved
    COLORREF SavedTextColor = 0xFFFFFFFF; // CLR_NONE until saved

protected:
    void Detached() override;

private:
    class HeaderHold;
    friend class HeaderHold;

    void TakeHeader(HWND header);
    void ReleaseHeader() noexcept;
    // The header's messages while held; true when consumed.
    bool HeaderMessage(TMessage& m);
    void PaintHeaderItem(HDC dc, int index, const RECT& r, bool content);
    void ThumbTrack(TMessage& m, bool vertical);
    void ClearHeaderStates();

    std::unique_ptr<HeaderHold> FHeader;
};
