#pragma once
// A shown form with a form provider under the frame test skin, and readers of what its frame
// image and its window show.
#include "skin/core/sCommonData.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "win/skin/forms/FrameSkinFixture.h"
#include "win/support/ScreenPictures.h"

#include <initializer_list>

namespace ks::test {

class FormFrameFixture : public FrameSkinFixture {
protected:
    void SetUp() override
    {
        FrameSkinFixture::SetUp();
        MakeForm(bsSizeable);
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        Pump();
        FrameSkinFixture::TearDown();
    }

    void MakeForm(TFormBorderStyle style, bool extendedBorders = false)
    {
        FreeAndNil(Form);
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBorderStyle(style);
        Form->SetBounds(60, 60, 420, 303);
        Form->SetCaption(L"Keysmith");
        Form->Show();
        Pump();
        if (extendedBorders)
            Manager->SetExtendedBorders(true);
        Provider = Create<TsSkinProvider>(Form);
        Provider->SkinData()->SetSkinManager(Manager);
        Provider->SetUpForm();
        Pump();
    }

    // A sizeable form framed by its border window, painted and placed; the border window, or
    // nullptr where the system has no layered windows.
    HWND MakeBorderedForm()
    {
        MakeForm(bsSizeable, true);
        if (!Manager->ExtendedBorders())
            return nullptr;
        Provider->SetBorderFormActive(true);
        if (!Provider->BorderForm)
            return nullptr;
        Paint();
        Provider->BorderForm->UpdateBorderWindow(true, 255);
        return Provider->BorderForm->WindowHandle();
    }

    // The provider's frame image painted anew.
    TBitmap& Paint()
    {
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
        Provider->PaintNonClient();
        return *Provider->SkinData()->CacheBitmap;
    }

    // The frame painted on the window. The first WM_NCPAINT after a full paint may shape the
    // window and leave the painting to the repaint that brings.
    void ShowFrame()
    {
        Provider->NCPaint();
        Provider->NCPaint();
    }

    TColor CachePixel(int x, int y)
    {
        TBitmap& cache = *Provider->SkinData()->CacheBitmap;
        GdiFlush();
        if (cache.PixelFormat() == pf32bit)
            return static_cast<TColor>(ks::GetPixel32(cache.View(), x, y) & 0xFFFFFF);
        return ks::GetPixel24(cache.View(), x, y);
    }

    // Gives the form a menu bar of the captions.
    TMainMenu* GiveMenu(std::initializer_list<const wchar_t*> captions)
    {
        auto* menu = Create<TMainMenu>(Form);
        for (const wchar_t* text : captions) {
            auto* item = Create<TMenuItem>(menu);
            item->SetCaption(text);
            menu->Items()->Add(item);
        }
        Form->SetMenu(menu);
        return menu;
    }

    static TColor WindowPixel(HWND wnd, int x, int y) { return ScreenPixel(wnd, x, y); }

    static TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

    TForm* Form = nullptr;
    TsSkinProvider* Provider = nullptr;
};

} // namespace ks::test
