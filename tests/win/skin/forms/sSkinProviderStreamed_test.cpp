// A provider placed on a form in the form's resource: read with the form, its settings in place
// and the form prepared when loading ends, as a provider made at run time would be.
#include "skin/forms/sSkinProvider.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/acCtrlAdapter.h"
#include "vcl/FormText.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "win/support/InternalSkin.h"

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
    TitleSkin = 'FORMTITLE'
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

std::span<const uint8_t> FindProvided(const wchar_t* name)
{
    if (std::wstring_view(name) == L"TFRMPROVIDED")
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
    EXPECT_EQ(provider->TitleSkin(), "FORMTITLE");
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
    EXPECT_EQ(form->Color(), clBtnFace) << "without the global colour";
    EXPECT_EQ(provider->TitleSectionIndex(), Manager->FindSection("FORMTITLE"));
    form->Free();
    Pump();
}

} // namespace
