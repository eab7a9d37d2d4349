#include "app/passwords.h"

#include "app/PasswordRule.h"
#include "app/Unit2.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sSpinEdit.h"
#include "vcl/Clipbrd.h"
#include "vcl/Dialogs.h"
#include "vcl/Random.h"
#include "vcl/SysUtils.h"
#include "vcl/TrayIcon.h"

#include <algorithm>
#include <new>

TForm1* Form1 = nullptr;

namespace {

constexpr const wchar_t* NoClassesText = L"Выберите символы, которые вы хотите использовать!";
constexpr const wchar_t* NoMemoryText = L"Недостаточно памяти для пароля такой длины.";
constexpr const wchar_t* NoTrayIconText = L"Не удалось показать значок в области уведомлений.";

// The length field never lets the user go beyond these; a value from elsewhere is held to them.
constexpr int MinLength = 1;
constexpr int MaxLength = 999999999;

constexpr ks::MethodInfo Form1MethodTable[] = {
    ks::Handler<&TForm1::sButton1Click>("sButton1Click"),
    ks::Handler<&TForm1::N1Click>("N1Click"),
    ks::Handler<&TForm1::sButton2Click>("sButton2Click"),
    ks::Handler<&TForm1::sButton4Click>("sButton4Click"),
    ks::Handler<&TForm1::TrayIcon1Click>("TrayIcon1Click"),
    ks::Handler<&TForm1::sButton6Click>("sButton6Click"),
};

// The component of that name and class, which the form's resource must provide.
template <class T>
T* Find(const TComponent& form, std::string_view name)
{
    if (auto* found = dynamic_cast<T*>(form.FindComponent(name)))
        return found;
    throw EComponentError(Format("The form has no component %s of the expected class", {name}));
}

} // namespace

const ks::ClassInfo TForm1::StaticClassInfo{"TForm1", &TForm::StaticClassInfo, {}, Form1MethodTable};
const ks::ClassInfo& TForm1::ClassInfo() const noexcept { return StaticClassInfo; }

TForm1::TForm1(TComponent* owner)
    : TForm(owner), FCryptoRandom(std::make_unique<ks::CryptoRandom>()), FRandom(FCryptoRandom.get())
{
}

TForm1::~TForm1() = default;

void TForm1::Loaded()
{
    TForm::Loaded();
    FEdit = Find<TsEdit>(*this, "sEdit1");
    FClasses[0] = Find<TsCheckBox>(*this, "sCheckBox1");
    FClasses[1] = Find<TsCheckBox>(*this, "sCheckBox2");
    FClasses[2] = Find<TsCheckBox>(*this, "sCheckBox3");
    FClasses[3] = Find<TsCheckBox>(*this, "sCheckBox4");
    FLength = Find<TsSpinEdit>(*this, "sSpinEdit1");
    FTrayIcon = Find<TTrayIcon>(*this, "TrayIcon1");
}

void TForm1::sButton1Click(TObject*)
{
    TForm1& form = *Form1;
    const std::string set = ks::CharacterSet({form.FClasses[0]->Checked(), form.FClasses[1]->Checked(),
                                              form.FClasses[2]->Checked(), form.FClasses[3]->Checked()});
    if (set.empty()) {
        MessageDlg(NoClassesText, mtWarning, {mbOK}, 0);
        form.FEdit->SetText(L"");
        return;
    }
    // Below 1 the rule would never end; the field itself keeps to 1..999999999 when it loses
    // the focus, but its value is read as it stands.
    const int length = std::clamp(form.FLength->Value(), MinLength, MaxLength);
    std::wstring password;
    try {
        password = ks::GeneratePassword(set, static_cast<uint32_t>(length), *form.FRandom);
        form.FEdit->SetText(password);
    } catch (const std::bad_alloc&) {
        // The field keeps its previous text.
        MessageDlg(NoMemoryText, mtError, {mbOK}, 0);
    }
}

void TForm1::N1Click(TObject*)
{
    Clipboard().SetAsText(Form1->FEdit->Text());
}

void TForm1::sButton2Click(TObject*)
{
    Form1->Close();
}

void TForm1::sButton4Click(TObject*)
{
    // The icon goes up before the window goes away, so a refused icon never leaves the program
    // without a way back.
    try {
        Form1->FTrayIcon->SetVisible(true);
    } catch (const EOSError&) {
        MessageDlg(NoTrayIconText, mtError, {mbOK}, 0);
        return;
    }
    Form1->SetVisible(false);
}

void TForm1::TrayIcon1Click(TObject*)
{
    Form1->SetVisible(true);
    Form1->FTrayIcon->SetVisible(false);
}

void TForm1::sButton6Click(TObject*)
{
    // The tray menu can ask again while the box is up; a second modal show would raise.
    if (Form2->Visible())
        return;
    Form2->ShowModal();
}
