// A provider placed on a form in the form's resource: read with the form, its settings in place
// and the form prepared when loading ends, as a provider made at run time would be.
#include "skin/forms/sSkinProvider.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/acCtrlAdapter.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/PlatformSeams.h"
#include "skin/forms/TitleParts.h"
#include "vcl/Bitmap.h"
#include "vcl/StdCtrls.h"
#include "win/support/FormTextData.h"
#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace {

class TFrmProvided : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
};
const ks::ClassInfo TFrmProvided::StaticClassInfo{"TFrmProvided", &TForm::StaticClassInfo, {}, {}};

constexpr const char* ProvidedText = R"(object FrmProvided: TFrmProvided
  Left = 40
  Top = 40
  Width = 320
  Height = 200
  Caption = 'Provided'
  Visible = True
  object Go: TButton
    Left = 10
    Top = 10
    Width = 80
    Height = 25
    Caption = 'Go'
  end
  object sSkinProvider1: TsSkinProvider
    AllowExtBorders = False
    CaptionAlignment = taCenter
    ResizeMode = rmBorder
    SnapBuffer = 25
    ShowAppIcon = False
    TitleSkin = 'BARTITLE'
    UseGlobalColor = False
    SkinData.CustomFont = True
  end
end
)";

std::vector<uint8_t>& Resource()
{
    static std::vector<uint8_t> bytes;
    return bytes;
}

// A form whose provider carries title parts: its handler is what the title button's event binds to.
class TFrmTitled : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
    void PinUp(TObject*, TMouseButton, TShiftState, int, int) { ++PinUps; }
    int PinUps = 0;
};
const ks::MethodInfo TitledMethods[] = {ks::Handler<&TFrmTitled::PinUp>("PinUp")};
const ks::ClassInfo TFrmTitled::StaticClassInfo{"TFrmTitled", &TForm::StaticClassInfo, {}, TitledMethods};

constexpr TColor IconColour = 0x00C08000;
constexpr TColor PinColour = 0x0000C000;
constexpr TColor Key = 0x00FF00FF;

std::string TitledText()
{
    return "object FrmTitled: TFrmTitled\n"
           "  Left = 40\n"
           "  Top = 40\n"
           "  Width = 360\n"
           "  Height = 200\n"
           "  Caption = 'Titled'\n"
           "  Visible = True\n"
           "  object sSkinProvider1: TsSkinProvider\n"
           "    AddedTitle.Text = 'Extra'\n"
           "    AddedTitle.Font.Color = clRed\n"
           "    AddedTitle.Font.Style = [fsBold]\n"
           "    TitleIcon.Glyph.Data = " + ks::test::BitmapDataText(12, 12, IconColour, IconColour) + "\n"
           "    TitleIcon.Height = 12\n"
           "    TitleIcon.Width = 12\n"
           "    TitleButtons = <\n"
           "      item\n"
           "        UseSkinData = False\n"
           "        Name = 'Pin'\n"
           "        Glyph.Data = " + ks::test::BitmapDataText(10, 10, PinColour, Key) + "\n"
           "        OnMouseUp = PinUp\n"
           "        Hint = 'Закрепить'\n"
           "      end\n"
           "      item\n"
           "        Enabled = False\n"
           "        Visible = False\n"
           "      end>\n"
           "  end\n"
           "end\n";
}

std::span<const uint8_t> FindProvided(const wchar_t* name)
{
    const std::wstring_view n(name);
    if (n == L"TFRMPROVIDED" || n == L"TFRMTITLED")
        return Resource();
    return {};
}

class StreamedProviderTest : public ks::test::InternalSkinFixture {};

TEST_F(StreamedProviderTest, AProviderReadWithItsFormTakesItsSettingsAndPreparesTheForm)
{
    InitializeSkinProviderUnit();
    Resource() = CompileFormText(ProvidedText);
    ks::Sys().FindFormResource = &FindProvided;
    auto* form = Create<TFrmProvided>(Application);
    Pump();

    auto* provider = dynamic_cast<TsSkinProvider*>(form->FindComponent("sSkinProvider1"));
    ASSERT_NE(provider, nullptr);
    EXPECT_FALSE(provider->AllowExtBorders());
    EXPECT_EQ(provider->CaptionAlignment(), taCenter);
    EXPECT_EQ(provider->ResizeMode(), rmBorder);
    EXPECT_EQ(provider->SnapBuffer(), 25);
    EXPECT_FALSE(provider->ShowAppIcon());
    EXPECT_EQ(provider->TitleSkin(), "BARTITLE");
    EXPECT_FALSE(provider->UseGlobalColor());
    EXPECT_TRUE(provider->SkinData()->CustomFont());

    // Loading ended in the form's preparation: the provider holds the form's procedure, answers
    // for it, and its control adapter has taken the button over.
    EXPECT_TRUE(form->WindowProc() == TWndMethod(provider, &TsSkinProvider::FormWndProc));
    EXPECT_EQ(SendMessageW(form->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0), 1);
    ASSERT_NE(provider->Adapter, nullptr);
    auto* go = dynamic_cast<TButton*>(form->FindComponent("Go"));
    ASSERT_NE(go, nullptr);
    EXPECT_NE(GetPropW(go->Handle(), L"ACSBSC"), nullptr);
    // Values other than the defaults, so that neither check holds without the streamed value.
    ASSERT_NE(Manager->GlobalSectionColor(), clBtnFace);
    EXPECT_EQ(form->Color(), clBtnFace) << "without the global colour";
    EXPECT_EQ(provider->TitleSectionIndex(), Manager->FindSection("BARTITLE"));
    EXPECT_NE(provider->TitleSectionIndex(), Manager->FindSection("FORMTITLE"));
    form->Free();
    Pump();
}

// Pixels of the frame image, in a rectangle of it, that have exactly one colour.
int CountIn(TBitmap& cache, const TRect& r, TColor colour)
{
    GdiFlush();
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += GetPixel(cache.Canvas().Handle(), x, y) == static_cast<COLORREF>(colour);
    return n;
}

TEST_F(StreamedProviderTest, TitleIconButtonsAndAddedTitleReadWithTheProviderAreDrawnAndAnswer)
{
    InitializeSkinProviderUnit();
    Resource() = CompileFormText(TitledText());
    ks::Sys().FindFormResource = &FindProvided;
    auto* form = Create<TFrmTitled>(Application);
    Pump();
    auto* provider = dynamic_cast<TsSkinProvider*>(form->FindComponent("sSkinProvider1"));
    ASSERT_NE(provider, nullptr);

    ASSERT_EQ(provider->TitleButtons()->Count(), 2);
    TsTitleButton* pin = provider->TitleButtons()->Items(0);
    EXPECT_FALSE(pin->UseSkinData());
    EXPECT_EQ(pin->Name(), "Pin");
    EXPECT_EQ(pin->Hint(), L"Закрепить");
    EXPECT_TRUE(pin->OnMouseUp() == TMouseEvent(form, &TFrmTitled::PinUp));
    EXPECT_EQ(pin->Glyph()->Width(), 10);
    TsTitleButton* hidden = provider->TitleButtons()->Items(1);
    EXPECT_EQ(hidden->Name(), "TsTitleButton") << "an item without a name keeps the class name";
    EXPECT_FALSE(hidden->Enabled());
    EXPECT_FALSE(hidden->Visible());
    EXPECT_TRUE(hidden->UseSkinData());
    EXPECT_EQ(provider->TitleIcon()->Width(), 12);
    EXPECT_EQ(provider->TitleIcon()->Height(), 12);
    EXPECT_EQ(provider->AddedTitle()->Text(), L"Extra");
    EXPECT_EQ(provider->AddedTitle()->Font()->Color(), clRed);

    // The frame image shows them: the icon at its place in its size, the button's glyph in the
    // middle of its place, the added title in its colour after the caption.
    provider->FormActive = true;
    auto paint = [&]() -> TBitmap& {
        provider->FormChanged = true;
        provider->SkinData()->BackgroundChanged = true;
        provider->PaintNonClient();
        return *provider->SkinData()->CacheBitmap;
    };
    TBitmap& cache = paint();
    ks::test::WriteSheetPng(cache, std::string("Z:") + KS_BUILD_DIR + "/streamed-title.png");
    EXPECT_EQ(provider->TitleIconWidth(), 12);
    const TRect icon = provider->IconRect();
    EXPECT_EQ(CountIn(cache, {icon.Left, icon.Top, icon.Left + 12, icon.Top + 12}, IconColour), 144);
    const TRect at = pin->BtnData.Rect;
    ASSERT_GT(at.Width(), 0);
    const TPoint mid{(at.Left + at.Right) / 2, (at.Top + at.Bottom) / 2};
    EXPECT_EQ(CountIn(cache, {mid.X - 2, mid.Y - 2, mid.X + 2, mid.Y + 2}, PinColour), 16);
    EXPECT_EQ(CountIn(cache, at, Key), 0) << "the glyph is keyed by its bottom-left pixel";
    const TRect band = provider->CaptionBandRect();
    const int red = CountIn(cache, band, clRed);
    EXPECT_GT(red, 0);
    provider->AddedTitle()->SetText(L"");
    EXPECT_LT(CountIn(paint(), band, clRed), red) << "the red came from the added title";

    // The user button is hit where it is drawn, and its release reaches the form's handler.
    RECT wr;
    GetWindowRect(form->Handle(), &wr);
    const LPARAM screen = MAKELPARAM(wr.left + mid.X, wr.top + mid.Y);
    EXPECT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, screen), HTUDBTN);
    SendMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTUDBTN, screen);
    SendMessageW(form->Handle(), WM_NCLBUTTONUP, HTUDBTN, screen);
    EXPECT_EQ(form->PinUps, 1);

    // What the provider writes of them reads back the same. (A form writes only its controls;
    // the provider written on its own has no form to name the handler, so the event stays out.)
    provider->AddedTitle()->SetText(L"Extra");
    // The hover above started the button's fade, a timer the provider owns while it runs: no
    // setting of the provider's, so it is not among what is read back.
    provider->StopTitleAnimations();
    const std::vector<uint8_t> written = WriteRootComponent(*provider);
    form->Free();
    Pump();
    auto* again = CreateNew<TFrmTitled>(nullptr);
    auto* copy = Create<TsSkinProvider>(again);
    ReadRootComponent(written, *copy);
    ASSERT_EQ(copy->TitleButtons()->Count(), 2);
    const TsTitleButton& pinCopy = *copy->TitleButtons()->Items(0);
    const TsTitleButton& hiddenCopy = *copy->TitleButtons()->Items(1);
    EXPECT_TRUE(!pinCopy.UseSkinData() && pinCopy.Name() == "Pin" && pinCopy.Hint() == L"Закрепить" &&
                pinCopy.Glyph()->Width() == 10);
    EXPECT_TRUE(!hiddenCopy.Enabled() && !hiddenCopy.Visible());
    EXPECT_TRUE(copy->TitleIcon()->Width() == 12 && copy->TitleIcon()->Height() == 12 &&
                copy->TitleIcon()->Glyph()->Width() == 12);
    EXPECT_TRUE(copy->AddedTitle()->Text() == L"Extra" && copy->AddedTitle()->Font()->Color() == clRed);
    again->Free();
    Pump();
}

} // namespace
