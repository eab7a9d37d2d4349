#include "vcl/Dialogs.h"

#include "vcl/PlatformSeams.h"
#include "vcl/Shapes.h"
#include "vcl/SysUtils.h"
#include "vcl/TextMeasure.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <memory>
#include <string_view>

bool UseLatestCommonDialogs = true;

const ks::ClassInfo TMessageForm::StaticClassInfo{"TMessageForm", &TForm::StaticClassInfo, {}, {}};
const ks::ClassInfo& TMessageForm::ClassInfo() const noexcept { return StaticClassInfo; }

namespace {

struct ButtonKind {
    TMsgDlgBtn button;
    const char* name;
    const wchar_t* caption;
    TModalResult result;
};

// In the order the buttons appear, left to right.
constexpr ButtonKind ButtonKinds[] = {
    {mbYes, "Yes", L"&Yes", mrYes},          {mbNo, "No", L"&No", mrNo},
    {mbOK, "OK", L"OK", mrOk},               {mbCancel, "Cancel", L"Cancel", mrCancel},
    {mbAbort, "Abort", L"&Abort", mrAbort},  {mbRetry, "Retry", L"&Retry", mrRetry},
    {mbIgnore, "Ignore", L"&Ignore", mrIgnore}, {mbHelp, "Help", L"&Help", mrNone},
};

const wchar_t* Caption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return L"Warning";
    case mtError: return L"Error";
    case mtInformation: return L"Information";
    case mtConfirmation: return L"Confirmation";
    case mtCustom: break;
    }
    return nullptr;
}

const wchar_t* IconId(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return IDI_WARNING;
    case mtError: return IDI_ERROR;
    case mtInformation: return IDI_INFORMATION;
    case mtConfirmation: return IDI_QUESTION;
    case mtCustom: break;
    }
    return nullptr;
}

// Distances in dialog units, as dialog templates measure them: horizontal units are a quarter
// of the font's average character width, vertical ones an eighth of its height.
constexpr int Margin = 8;
constexpr int Spacing = 10;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonGap = 4;
constexpr int IconSize = 32;

struct DialogUnits {
    int x;
    int y;
    int Horz(int units) const { return MulDiv(units, x, 4); }
    int Vert(int units) const { return MulDiv(units, y, 8); }
};

DialogUnits MeasureUnits(TCanvas& canvas)
{
    constexpr std::wstring_view alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    TSize size = canvas.TextExtent(alphabet);
    return {(size.cx / 26 + 1) / 2, size.cy};
}

constexpr UINT TextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
// A line is wrapped once it would be wider than this share of the screen, as the platform's
// message box wraps its text.
constexpr int WrapShare = 2;
// The size the label needs for the text in its font, wrapped as the message box wraps.
TSize TextSize(const std::wstring& text, const TFont& font)
{
    return ks::DrawnTextSize(text, font, TextFlags, Screen->Width() / WrapShare);
}

} // namespace

TMessageForm* CreateMessageDialog(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    if (buttons.Empty())
        buttons = {mbOK};
    auto* form = CreateNew<TMessageForm>(Application);
    std::unique_ptr<TMessageForm, void (*)(TMessageForm*)> guard(form, [](TMessageForm* f) { f->Free(); });
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    const wchar_t* caption = Caption(type);
    form->SetCaption(caption ? std::wstring(caption) : Application->Title());

    // The label draws the text in its own font, so the text is measured in that font.
    auto* label = Create<TLabel>(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetShowAccelChar(false);
    label->SetWordWrap(true);
    label->SetCaption(text);
    const TSize textSize = TextSize(text, *label->Font());
    DialogUnits du{};
    {
        ks::WindowDC screen(nullptr);
        TCanvas canvas;
        canvas.SetHandle(screen.get());
        canvas.Font().Assign(label->Font());
        du = MeasureUnits(canvas);
        canvas.SetHandle(nullptr);
    }

    const wchar_t* iconId = IconId(type);
    int margin = du.Horz(Margin);
    int vMargin = du.Vert(Margin);
    int spacing = du.Horz(Spacing);
    int vSpacing = du.Vert(Spacing);
    int buttonWidth = du.Horz(ButtonWidth);
    int buttonHeight = du.Vert(ButtonHeight);
    int buttonGap = du.Horz(ButtonGap);

    int iconTextWidth = textSize.cx;
    int iconTextHeight = textSize.cy;
    if (iconId) {
        iconTextWidth += IconSize + spacing;
        iconTextHeight = std::max(iconTextHeight, IconSize);
    }
    int count = 0;
    for (const ButtonKind& b : ButtonKinds)
        if (buttons.Contains(b.button))
            ++count;
    int groupWidth = count * buttonWidth + (count - 1) * buttonGap;
    form->SetClientWidth(std::max(iconTextWidth, groupWidth) + 2 * margin);
    form->SetClientHeight(iconTextHeight + vSpacing + buttonHeight + 2 * vMargin);

    if (iconId) {
        auto* image = Create<TImage>(form);
        image->SetName("Image");
        image->SetParent(form);
        // A copy: the shared system icon must never be destroyed by the picture.
        image->Picture()->Icon().SetHandle(CopyIcon(LoadIconW(nullptr, iconId)));
        image->SetBounds(margin, vMargin, IconSize, IconSize);
    }
    label->SetBounds(iconTextWidth - textSize.cx + margin, vMargin, textSize.cx, textSize.cy);

    TMsgDlgBtn defaultButton = buttons.Contains(mbOK) ? mbOK : buttons.Contains(mbYes) ? mbYes : mbRetry;
    TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
    int x = (form->ClientWidth() - groupWidth) / 2;
    int y = iconTextHeight + vMargin + vSpacing;
    for (const ButtonKind& b : ButtonKinds) {
        if (!buttons.Contains(b.button))
            continue;
        auto* button = Create<TButton>(form);
        button->SetName(b.name);
        button->SetParent(form);
        button->SetCaption(b.caption);
        button->SetModalResult(b.result);
        button->SetDefault(b.button == defaultButton);
        button->SetCancel(b.button == cancelButton);
        button->SetBounds(x, y, buttonWidth, buttonHeight);
        if (b.button == defaultButton)
            form->SetActiveControl(button);
        x += buttonWidth + buttonGap;
    }
    return guard.release();
}

int MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    std::unique_ptr<TMessageForm, void (*)(TMessageForm*)> form(CreateMessageDialog(text, type, buttons),
                                                               [](TMessageForm* f) { f->Free(); });
    auto showModal = ks::Sys().ShowModalDialog;
    return showModal ? showModal(*form) : form->ShowModal();
}

void ShowMessage(const std::wstring& text)
{
    MessageDlg(text, mtCustom, {mbOK}, 0);
}
