#pragma once
// A shown form under the internal skin, for the tests of the skinned controls, and readers of
// what a window shows on the screen; and an MDI main form under the same skin.

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <memory>

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

    // A control on Form as the form shows it.
    std::unique_ptr<TBitmap> Capture(TControl* c)
    {
        auto picture = NewBitmap24(c->Width(), c->Height());
        HDC dc = GetDC(Form->Handle());
        BitBlt(picture->Canvas().Handle(), 0, 0, c->Width(), c->Height(), dc, c->Left(), c->Top(), SRCCOPY);
        ReleaseDC(Form->Handle(), dc);
        GdiFlush();
        return picture;
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

    // One input of a control's picture: a change of it must rebuild the cache.
    template <class Control>
    struct LookChange {
        const char* name;
        void (*apply)(Control*);
    };
    // For each change: a repaint with nothing changed must first show a mark put at p into
    // the cache, so the window is painted from the cache as it stands (no fade or lock left by
    // the rows before keeps it unpainted); then, marked again, the change and a repaint
    // (repaint(control)) must no longer show it (shown(p)).
    template <class Control, size_t N, class Repaint, class Shown>
    static void ExpectEachChangeRebuilds(Control* control, const LookChange<Control> (&changes)[N], TPoint p,
                                         Repaint repaint, Shown shown)
    {
        for (const LookChange<Control>& c : changes) {
            SCOPED_TRACE(c.name);
            MarkCache(*control->SkinData(), p.X, p.Y);
            repaint(control);
            Pump();
            ASSERT_EQ(shown(p), CacheMarker) << "the window is painted from the cache as it stands";
            MarkCache(*control->SkinData(), p.X, p.Y);
            c.apply(control);
            repaint(control);
            Pump();
            EXPECT_NE(shown(p), CacheMarker);
        }
    }

    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
};

// An MDI main form, made as the program makes its main form, shown with a provider of its own.
// The tests free their children before the main form goes.
class SkinnedMDIFixture : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::SetNextFormCreation({true, true, {}});
        Application->CreateForm(Main);
        Main->SetFormStyle(fsMDIForm);
        Main->SetBounds(30, 30, 520, 400);
        Main->Show();
        Provider = Create<TsSkinProvider>(Main);
    }
    void TearDown() override
    {
        if (Main)
            Main->Free();
        SkinnedFormFixture::TearDown();
    }

    // A shown 200 x 150 child at (10 + offset, 10 + offset) of the main form's client, with the
    // caption where one is given.
    static TForm* MakeChild(const wchar_t* caption, int offset = 0)
    {
        TForm* child = CreateNew<TForm>(Application);
        child->SetFormStyle(fsMDIChild);
        if (caption)
            child->SetText(caption);
        child->SetBounds(10 + offset, 10 + offset, 200, 150);
        child->Show();
        return child;
    }

    // A main menu of one item per caption, the n-th in group index n, made for form.
    static TMainMenu* MakeMenu(TForm* form, std::initializer_list<const wchar_t*> captions, int firstGroup = 0)
    {
        auto* menu = Create<TMainMenu>(form);
        int group = firstGroup;
        for (const wchar_t* caption : captions) {
            auto* item = Create<TMenuItem>(menu);
            item->SetCaption(caption);
            item->SetGroupIndex(group++);
            menu->Items()->Add(item);
        }
        return menu;
    }
    // Gives Main a "File" (group 0) and "Window" (group 9) menu and makes its provider again
    // after it, as a program's form streams them.
    void GiveMainFileWindowMenu()
    {
        TMainMenu* menu = MakeMenu(Main, {L"File", L"Window"});
        menu->Items()->Items(1)->SetGroupIndex(9);
        Main->SetMenu(menu);
        Provider->Free();
        Provider = Create<TsSkinProvider>(Main);
    }

    TForm* Main = nullptr;
    TsSkinProvider* Provider = nullptr;
};

} // namespace ks::test
