#pragma once
// A shown form under the internal skin, for the tests of the skinned controls, and readers of
// what a window shows on the screen.

#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace ks::test {

// Colours of the internal skin's pictures and sections.
inline constexpr TColor SkinBlack = 0x000000;
inline constexpr TColor SkinGreen = 0x008000;
inline constexpr TColor SkinDarkGreen = 0x004800;
inline constexpr TColor SkinBrightGreen = 0x00FF00;

class SkinnedFormFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewInternalSkinManager();
        // The form stays as the tests make it: the creation hook gives it no provider of its own.
        Manager->SetSkinningRules({srStdDialogs, srThirdParty});
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 240, 140);
        Form->Show();
        Pump();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    // What the window shows at (x, y) of its whole area, frame included.
    static TColor WindowPixel(HWND wnd, int x, int y) { return ScreenPixel(wnd, x, y); }

    // Puts a red pixel, a colour the internal skin never paints, into a control's cache image:
    // a window that still shows it was painted from that cache as it stood.
    static void MarkCache(TsCommonData& skinData, int x, int y)
    {
        SetPixel(skinData.CacheBitmap->Canvas().Handle(), x, y, CacheMarker);
        GdiFlush();
    }
    static constexpr TColor CacheMarker = 0x0000FF;

    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
};

} // namespace ks::test
