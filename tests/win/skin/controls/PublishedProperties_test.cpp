// The published settings of the skinned controls that a form resource may set: read from a form
// text, written back and read again, each keeps its value and reaches the control.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sHintManager.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sMemo.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sFrameAdapter.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/images/acAlphaImageList.h"
#include "vcl/Bitmap.h"
#include "vcl/FormStreaming.h"
#include "vcl/Forms.h"
#include "vcl/FormText.h"
#include "win/support/FormTextData.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace {

class TSweepRoot : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
    void UpClicked(TObject*) {}
    void DownClicked(TObject*) {}
};
const ks::MethodInfo SweepMethods[] = {ks::Handler<&TSweepRoot::UpClicked>("UpClicked"),
                                       ks::Handler<&TSweepRoot::DownClicked>("DownClicked")};
const ks::ClassInfo TSweepRoot::StaticClassInfo{"TSweepRoot", &TForm::StaticClassInfo, {}, SweepMethods};

std::string SweepText()
{
    using ks::test::BitmapDataText;
    return "object Root: TSweepRoot\n"
           "  object Box: TsCheckBox\n"
           "    GlyphUnChecked.Data = " + BitmapDataText(13, 13, clBlue, clFuchsia) + "\n"
           "    GlyphChecked.Data = " + BitmapDataText(13, 13, clRed, clFuchsia) + "\n"
           "  end\n"
           "  object Notes: TsMemo\n"
           "    CharCase = ecUpperCase\n"
           "    Text = 'Строка'\n"
           "  end\n"
           "  object Caption1: TsLabel\n"
           "    Transparent = False\n"
           "  end\n"
           "  object Length: TsSpinEdit\n"
           "    OnUpClick = UpClicked\n"
           "    OnDownClick = DownClicked\n"
           "  end\n"
           "  object Spin: TsSpinButton\n"
           "    DownGlyph.Data = " + BitmapDataText(7, 4, clBlack, clWhite) + "\n"
           "    FocusControl = Length\n"
           "    UpGlyph.Data = " + BitmapDataText(9, 5, clBlack, clWhite) + "\n"
           "    OnDownClick = DownClicked\n"
           "    OnUpClick = UpClicked\n"
           "  end\n"
           "  object Tool: TsSpeedButton\n"
           "    AllowAllUp = True\n"
           "    GroupIndex = 3\n"
           "    Down = True\n"
           "    Flat = True\n"
           "    Glyph.Data = " + BitmapDataText(32, 16, clGreen, clFuchsia) + "\n"
           "    Layout = blGlyphTop\n"
           "    Margin = 5\n"
           "    NumGlyphs = 2\n"
           "    Spacing = 7\n"
           "  end\n"
           "end\n";
}

template <class T>
T* Find(TComponent& root, const char* name)
{
    return dynamic_cast<T*>(root.FindComponent(name));
}

void ExpectSweepValues(TSweepRoot& root)
{
    auto* box = Find<TsCheckBox>(root, "Box");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GlyphUnChecked()->Width(), 13);
    EXPECT_EQ(box->GlyphUnChecked()->Canvas().Pixels(6, 6), clBlue);
    EXPECT_EQ(box->GlyphChecked()->Canvas().Pixels(6, 6), clRed);

    auto* notes = Find<TsMemo>(root, "Notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->CharCase(), ecUpperCase);
    EXPECT_TRUE(GetWindowLongPtrW(notes->Handle(), GWL_STYLE) & ES_UPPERCASE) << "the window takes the case";
    EXPECT_EQ(notes->Text(), L"СТРОКА");

    auto* caption = Find<TsLabel>(root, "Caption1");
    ASSERT_NE(caption, nullptr);
    EXPECT_FALSE(caption->Transparent());

    auto* length = Find<TsSpinEdit>(root, "Length");
    ASSERT_NE(length, nullptr);
    EXPECT_TRUE(length->OnUpClick() == TNotifyEvent(&root, &TSweepRoot::UpClicked));
    EXPECT_TRUE(length->OnDownClick() == TNotifyEvent(&root, &TSweepRoot::DownClicked));

    auto* spin = Find<TsSpinButton>(root, "Spin");
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->FocusControl(), length);
    EXPECT_EQ(spin->UpGlyph()->Width(), 9);
    EXPECT_EQ(spin->DownGlyph()->Width(), 7);
    EXPECT_TRUE(spin->OnUpClick() == TNotifyEvent(&root, &TSweepRoot::UpClicked));
    EXPECT_TRUE(spin->OnDownClick() == TNotifyEvent(&root, &TSweepRoot::DownClicked));

    auto* tool = Find<TsSpeedButton>(root, "Tool");
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(tool->AllowAllUp());
    EXPECT_EQ(tool->GroupIndex(), 3);
    EXPECT_TRUE(tool->Down()) << "the group is set before Down";
    EXPECT_TRUE(tool->Flat());
    EXPECT_EQ(tool->Glyph()->Width(), 32);
    EXPECT_EQ(tool->Layout(), blGlyphTop);
    EXPECT_EQ(tool->Margin(), 5);
    EXPECT_EQ(tool->NumGlyphs(), 2);
    EXPECT_EQ(tool->Spacing(), 7);
}

class PublishedPropertiesTest : public VclFixture {};

TEST_F(PublishedPropertiesTest, ControlsReadTheirPublishedSettingsAndWriteThemBack)
{
    InitializeSCheckBoxUnit();
    InitializeSMemoUnit();
    InitializeSLabelUnit();
    InitializeSSpinEditUnit();
    InitializeSSpeedButtonUnit();

    auto* root = CreateNew<TSweepRoot>(nullptr);
    ReadRootComponent(CompileFormText(SweepText()), *root);
    {
        SCOPED_TRACE("read from the text");
        ExpectSweepValues(*root);
    }
    const std::vector<uint8_t> written = WriteRootComponent(*root);
    root->Free();

    auto* again = CreateNew<TSweepRoot>(nullptr);
    ReadRootComponent(written, *again);
    {
        SCOPED_TRACE("written and read again");
        ExpectSweepValues(*again);
    }
    again->Free();
    Pump();
}

// Every ordinal a class declares with a default holds that default after construction, in its
// sub-objects and collection items too: the writer leaves such values out, so a default that
// is not the constructor's value comes back changed from a written form.
void ExpectDefaultsHeld(TPersistent& object, const std::string& where)
{
    for (const ks::PropertyInfo* p : ks::PublishedProperties(object.ClassInfo())) {
        const std::string here = where + "." + p->Name;
        if (p->IsStored && !p->IsStored(object))
            continue;
        if (p->Kind == ks::PropKind::Class) {
            if (auto* sub = std::get<TPersistent*>(p->Get(object)))
                ExpectDefaultsHeld(*sub, here);
            continue;
        }
        if (p->Kind == ks::PropKind::Collection) {
            auto* items = dynamic_cast<TCollection*>(std::get<TPersistent*>(p->Get(object)));
            if (items)
                ExpectDefaultsHeld(*items->Add(), here + "[0]");
            continue;
        }
        // An added title's font starts without a colour of its own; the title painter takes
        // clWindowText, the font's declared default, the same way.
        if (!p->HasDefault || here == "TsSkinProvider.AddedTitle.Font.Color")
            continue;
        const ks::PropValue value = p->Get(object);
        const auto* ordinal = std::get_if<int64_t>(&value);
        ASSERT_NE(ordinal, nullptr) << here;
        EXPECT_EQ(*ordinal, p->Default) << here;
    }
}

TEST_F(PublishedPropertiesTest, EveryDeclaredDefaultIsTheValueANewComponentHas)
{
    auto* form = CreateNew<TForm>(nullptr);
    auto* frame = Create<TFrame>(form);
    const std::vector<std::function<TComponent*()>> makers = {
        [&] { return Create<TsButton>(form); },       [&] { return Create<TsCheckBox>(form); },
        [&] { return Create<TsEdit>(form); },         [&] { return Create<TsMemo>(form); },
        [&] { return Create<TsGroupBox>(form); },     [&] { return Create<TsLabel>(form); },
        [&] { return Create<TsSpinEdit>(form); },     [&] { return Create<TsSpinButton>(form); },
        [&] { return Create<TsSpeedButton>(form); },  [&] { return Create<TsHintManager>(form); },
        [&] { return Create<TsSkinProvider>(form); }, [&] { return Create<TsFrameAdapter>(frame); },
        [&] { return Create<TsAlphaImageList>(form); },
        [&] {
            auto* manager = Create<TsSkinManager>(form);
            manager->SetName("SkinMenusManager");
            return manager;
        },
    };
    for (const auto& make : makers) {
        TComponent* c = make();
        SCOPED_TRACE(c->ClassName());
        ExpectDefaultsHeld(*c, c->ClassName());
    }
    // The menu painter is not published by its manager, but publishes its own settings.
    TsSkinableMenus* menus = dynamic_cast<TsSkinManager*>(form->FindComponent("SkinMenusManager"))->SkinnableMenus();
    EXPECT_STREQ(menus->ClassName(), "TsSkinableMenus");
    ExpectDefaultsHeld(*menus, "TsSkinableMenus");
    form->Free();
    Pump();
}

} // namespace
