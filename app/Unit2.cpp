#include "app/Unit2.h"

#include "vcl/Shell.h"

TForm2* Form2 = nullptr;

const std::wstring AuthorPage = L"https://keysmith.example.org/";

namespace {

constexpr ks::MethodInfo Form2Methods[] = {
    ks::Handler<&TForm2::sButton1Click>("sButton1Click"),
    ks::Handler<&TForm2::sLabel1Click>("sLabel1Click"),
};

} // namespace

const ks::ClassInfo TForm2::StaticClassInfo{"TForm2", &TForm::StaticClassInfo, {}, Form2Methods};
const ks::ClassInfo& TForm2::ClassInfo() const noexcept { return StaticClassInfo; }

void TForm2::sButton1Click(TObject*)
{
    Form2->Close();
}

void TForm2::sLabel1Click(TObject*)
{
    // The shell's answer is not looked at: when it cannot open the page there is nothing more
    // the about box could do.
    ShellOpen(Form2->Handle(), AuthorPage);
}
