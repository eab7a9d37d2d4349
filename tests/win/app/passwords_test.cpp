#include "app/passwords.h"

#include "app/PasswordRule.h"
#include "app/Unit2.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sSpinEdit.h"
#include "vcl/Clipbrd.h"
#include "vcl/Dialogs.h"
#include "vcl/Menus.h"
#include "vcl/Random.h"
#include "vcl/IcoReader.h"
#include "vcl/Shapes.h"
#include "vcl/Streams.h"
#include "vcl/TrayIcon.h"
#include "win/app/AppFixture.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace {

const std::wstring NoClasses = L"Выберите символы, которые вы хотите использовать!";

// A message dialog as the modal seam met it, answered with its default button.
struct Dialog { std::string className; std::wstring caption; std::wstring text; };
std::vector<Dialog> gDialogs;

int AnswerDialog(TCustomForm& form)
{
    Dialog seen{form.ClassName(), form.Caption(), {}};
    if (auto* label = dynamic_cast<TLabel*>(form.FindComponent("Message")))
        seen.text = label->Caption();
    gDialogs.push_back(seen);
    return mrOk;
}

// The password field's text at the moment the main window is first shown.
std::optional<std::wstring> gTextWhenShown;
HHOOK gShowHook = nullptr;

LRESULT CALLBACK WatchShow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && cwp->message == WM_SHOWWINDOW && cwp->wParam && !gTextWhenShown && Form1 &&
        cwp->hwnd == Form1->HandleIfAllocated())
        if (auto* edit = dynamic_cast<TsEdit*>(Form1->FindComponent("sEdit1")))
            gTextWhenShown = edit->Text();
    return CallNextHookEx(gShowHook, code, wParam, lParam);
}

// Replays positions in a loop and records what the generator asked for.
class ScriptedRandom : public ks::RandomSource {
public:
    explicit ScriptedRandom(std::vector<uint32_t> picks = {}) : FPicks(std::move(picks)) {}
    void Reseed() override {}
    uint32_t Below(uint32_t n) override
    {
        Ranges.insert(n);
        // Without a script every position in turn, so a password as long as the set spells it.
        const uint32_t v = FPicks.empty() ? Draws % n : FPicks[Draws % FPicks.size()];
        ++Draws;
        return v;
    }
    uint32_t Draws = 0;
    std::set<uint32_t> Ranges;

private:
    std::vector<uint32_t> FPicks;
};

class OutOfMemory : public ks::RandomSource {
public:
    void Reseed() override {}
    uint32_t Below(uint32_t) override { throw std::bad_alloc(); }
};

class PasswordsTest : public AppFixture {
protected:
    template <class T>
    static T* Get(const char* name)
    {
        return AppFixture::Get<T>(Form1, name);
    }

    void SetUp() override
    {
        AppFixture::SetUp();
        ks::Sys().ShowModalDialog = &AnswerDialog;
        gDialogs.clear();
        gTextWhenShown.reset();
        gShowHook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchShow, nullptr, GetCurrentThreadId());
        CreateForms();
        UnhookWindowsHookEx(gShowHook);
        ASSERT_NE(Form1, nullptr);
        ASSERT_NE(Form2, nullptr);
        edit = Get<TsEdit>("sEdit1");
        length = Get<TsSpinEdit>("sSpinEdit1");
        tray = Get<TTrayIcon>("TrayIcon1");
        trayMenu = Get<TPopupMenu>("TrayMenu");
        boxes = {Get<TsCheckBox>("sCheckBox1"), Get<TsCheckBox>("sCheckBox2"), Get<TsCheckBox>("sCheckBox3"),
                 Get<TsCheckBox>("sCheckBox4")};
    }

    void Tick(bool digits, bool lower, bool capitals, bool specials)
    {
        const bool ticks[] = {digits, lower, capitals, specials};
        for (int i = 0; i < 4; ++i)
            boxes[i]->SetChecked(ticks[i]);
    }
    void Generate() { Get<TsButton>("sButton1")->Click(); }
    void ClickTrayItem(const char* name) { trayMenu->DispatchCommand(Get<TMenuItem>(name)->Command()); }
    // Takes the quit message that closing the main form posts, so the rest of the run keeps its
    // message loop; true when there was one.
    static bool TakeQuit()
    {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    TsEdit* edit = nullptr;
    TsSpinEdit* length = nullptr;
    TTrayIcon* tray = nullptr;
    TPopupMenu* trayMenu = nullptr;
    std::vector<TsCheckBox*> boxes;
};

// The texts a user reads and the order the components stream in; where they sit is the form
// text's own business.
TEST_F(PasswordsTest, StreamsTheTextsHintsAndMenus)
{
    const struct { const char* name; const wchar_t* text; const wchar_t* hint; } rows[] = {
        {"sLabel1", L"Пароль", L""},
        {"sLabel2", L"Keysmith 1.0", L""},
        {"sEdit1", nullptr, L"Уникальный сгенерированный пароль"},
        {"sButton1", L"Ещё", L"Сгенерировать новый пароль"},
        {"sButton2", L"Выход", L"Закрыть приложение"},
        {"sButton3", L"X", L"Закрыть"},
        {"sButton4", L"-", L"Свернуть"},
        {"sGroupBox1", L"Опции", L""},
        {"sLabel3", L"Длина пароля:", L""},
        {"sCheckBox1", L"Цифры [ 0-9 ]", L"Использовать в пароле арабские цифры."},
        {"sCheckBox2", L"Строчные буквы [ a-z ]", L"Использовать в пароле латинские строчные буквы."},
        {"sCheckBox3", L"Прописные буквы [ A-Z ]", L"Использовать в пароле прописные латинские буквы."},
        {"sCheckBox4", L"Спецсимволы [ !@#$%^&* ]", L"Использовать в пароле спецсимволы."},
        {"sSpinEdit1", L"10", L"Количество символов в пароле"},
        {"sButton5", L"Копировать", L"Копировать пароль в буфер обмена"},
        {"sButton6", L"?", L"Справка"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto* control = Get<TControl>(r.name);
        ASSERT_NE(control, nullptr);
        if (r.text) {
            EXPECT_EQ(control->Text(), r.text);
        }
        EXPECT_EQ(control->Hint(), r.hint);
        if (*r.hint) {
            EXPECT_EQ(control->ShowHint(), std::string_view(r.name) != "sSpinEdit1") << "every hint but the length's";
        }
    }
    std::vector<std::string> streamed;
    for (int i = 0; i < Form1->ComponentCount(); ++i)
        streamed.push_back(Form1->Components(i)->Name());
    EXPECT_EQ(streamed, (std::vector<std::string>{"Shape1", "Shape2", "sLabel1", "sLabel2", "sEdit1", "sButton1",
        "sButton2", "sButton3", "sButton4", "sGroupBox1", "sLabel3", "sCheckBox1", "sCheckBox2", "sCheckBox3",
        "sCheckBox4", "sSpinEdit1", "sButton5", "sButton6", "sSkinManager1", "TrayIcon1", "PopupMenu1", "N1", "sHintManager1",
        "TrayMenu", "N2", "N4", "N5", "N3"}));
    EXPECT_EQ(Get<TShape>("Shape2")->Brush()->Style(), bsCross);
    // The skin gives the field its colours (SkinnedControls_test); the form gives its font.
    EXPECT_EQ(edit->Font()->Height(), -19);
    EXPECT_TRUE(Get<TsLabel>("sLabel2")->Font()->Style().Contains(fsBold));
    for (TsCheckBox* box : boxes)
        EXPECT_TRUE(box->Checked()) << box->Name();
    EXPECT_EQ(length->MaxLength(), 9);

    EXPECT_EQ(edit->PopupMenu(), Get<TPopupMenu>("PopupMenu1"));
    EXPECT_EQ(Get<TMenuItem>("N1")->Caption(), L"&Копировать");
    EXPECT_EQ(tray->PopupMenu(), trayMenu);
    EXPECT_FALSE(tray->Visible());
    std::vector<std::wstring> captions;
    for (int i = 0; i < trayMenu->Items()->Count(); ++i)
        captions.push_back(trayMenu->Items()->Items(i)->Caption());
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"&Показать", L"-", L"&О программе...", L"&Выход"}));
}

TEST_F(PasswordsTest, OpensBorderlessOnTopTranslucentAndCentredWithAPasswordAlready)
{
    ASSERT_TRUE(gTextWhenShown.has_value()) << "the main window was never shown";
    EXPECT_EQ(gTextWhenShown->size(), 10u) << "the first password comes before the window shows";

    HWND wnd = Form1->Handle();
    EXPECT_TRUE(IsWindowVisible(wnd));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    ASSERT_TRUE(exStyle & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    EXPECT_TRUE(flags & LWA_ALPHA);

    RECT client, window;
    GetClientRect(wnd, &client);
    GetWindowRect(wnd, &window);
    EXPECT_EQ(client.right, 420);
    EXPECT_EQ(client.bottom, 303);
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 420) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - 303) / 2);
}

// Ten images, in the form's icon as in the program's own: three sizes at three depths and the
// large one.
TEST_F(PasswordsTest, IconHoldsTenImages)
{
    TMemoryStream stream;
    Form1->Icon()->SaveToStream(stream);
    const std::vector<ks::IcoEntry> entries = ks::ReadIcoDirectory(stream.Bytes());
    std::multiset<std::pair<int, int>> found;
    for (const ks::IcoEntry& e : entries)
        found.insert({e.width, e.bpp});
    EXPECT_EQ(found, (std::multiset<std::pair<int, int>>{{16, 4}, {16, 8}, {16, 32}, {32, 4}, {32, 8}, {32, 32},
        {48, 4}, {48, 8}, {48, 32}, {256, 32}}));

    HRSRC group = FindResourceW(nullptr, L"MAINICON", RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header[2], 10) << "images in the program's icon";
}

// The faces the form asks for are there (under Wine, metric-compatible ones stand in): each
// check box's caption fits beside its box, and the password's characters are all one width.
TEST_F(PasswordsTest, FontsFitTheCaptionsAndKeepThePasswordMonospaced)
{
    const auto measure = [](TWinControl* control, const std::wstring& text, std::wstring* face) {
        ks::WindowDC dc(control->Handle());
        ks::SelectGuard select(dc.get(), control->Font()->Handle());
        wchar_t name[LF_FACESIZE] = {};
        GetTextFaceW(dc.get(), LF_FACESIZE, name);
        *face = name;
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::wstring face;
    for (TsCheckBox* box : boxes) {
        SCOPED_TRACE(box->Name());
        const int width = measure(box, box->Caption(), &face);
        EXPECT_EQ(face, L"Tahoma");
        // The platform's check box draws a 13-pixel box and a gap before the caption.
        EXPECT_LE(13 + 6 + width, box->Width()) << "the caption loses its end";
    }
    EXPECT_EQ(measure(edit, L"iiiii", &face), measure(edit, L"WWWWW", &face));
    EXPECT_EQ(face, L"Courier New");
}

// Picking position 0, 1, 2 ... spells the set the ticked boxes make, in check-box order.
TEST_F(PasswordsTest, TickedClassesMakeTheSetInCheckBoxOrder)
{
    const std::string digits(ks::DigitsPool), lower(ks::LowerCasePool), caps(ks::CapitalsPool),
        specials(ks::SpecialsPool);
    struct Case { const char* name; bool d, l, c, s; std::string set; };
    const Case cases[] = {
        {"All", true, true, true, true, digits + lower + caps + specials},
        {"Digits", true, false, false, false, digits},
        {"LowerCase", false, true, false, false, lower},
        {"Capitals", false, false, true, false, caps},
        {"Specials", false, false, false, true, specials},
        {"DigitsAndSpecials", true, false, false, true, digits + specials},
    };
    ASSERT_EQ(cases[0].set.size(), 103u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRandom random;
        Form1->SetRandomSource(&random);
        Tick(c.d, c.l, c.c, c.s);
        length->SetText(std::to_wstring(c.set.size()));
        Generate();
        EXPECT_EQ(edit->Text(), std::wstring(c.set.begin(), c.set.end()));
        EXPECT_EQ(random.Ranges, std::set<uint32_t>{static_cast<uint32_t>(c.set.size())});
        Form1->SetRandomSource(nullptr);
    }
    // The system's source: only characters of the ticked classes, as many as the length says.
    Tick(false, false, false, true);
    length->SetText(L"500");
    Generate();
    ASSERT_EQ(edit->Text().size(), 500u);
    for (wchar_t ch : edit->Text())
        ASSERT_NE(specials.find(static_cast<char>(ch)), std::string::npos) << static_cast<int>(ch);
}

// The length field can hold anything while it has the focus (a program may set it, a value is
// read as it stands): the generator still makes at least one character and ends.
TEST_F(PasswordsTest, LengthBelowOneStillGivesOneCharacter)
{
    struct Case { const char* name; const wchar_t* text; uint32_t draws; };
    const Case cases[] = {
        {"Zero", L"0", 1}, {"Negative", L"-5", 1}, {"Empty", L"", 1}, {"NotANumber", L"abc", 1}, {"Three", L"3", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRandom random({102});
        Form1->SetRandomSource(&random);
        length->SetText(c.text);
        Generate();
        EXPECT_EQ(edit->Text(), std::wstring(c.draws, L'{'));
        EXPECT_EQ(random.Draws, c.draws);
        Form1->SetRandomSource(nullptr);
    }
}

TEST_F(PasswordsTest, NoClassTickedWarnsAndEmptiesTheField)
{
    ASSERT_FALSE(edit->Text().empty());
    Tick(false, false, false, false);
    Generate();
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(gDialogs[0].className, "TMessageForm");
    EXPECT_EQ(gDialogs[0].caption, L"Warning");
    EXPECT_EQ(gDialogs[0].text, NoClasses);
    EXPECT_EQ(edit->Text(), L"");

    // Ticking a box again makes passwords again.
    Tick(true, false, false, false);
    Generate();
    EXPECT_EQ(gDialogs.size(), 1u);
    const std::wstring password = edit->Text();
    EXPECT_EQ(password.size(), 10u);
    EXPECT_EQ(password.find_first_not_of(L"0123456789"), std::wstring::npos);
}

// A password too long for memory is reported, and the field keeps the password it had.
TEST_F(PasswordsTest, PasswordThatCannotBeHeldKeepsTheFieldsText)
{
    const std::wstring before = edit->Text();
    ASSERT_FALSE(before.empty());
    OutOfMemory random;
    Form1->SetRandomSource(&random);
    Generate();
    Form1->SetRandomSource(nullptr);
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(gDialogs[0].className, "TMessageForm");
    EXPECT_EQ(gDialogs[0].caption, L"Error");
    EXPECT_FALSE(gDialogs[0].text.empty());
    EXPECT_EQ(edit->Text(), before);
}

TEST_F(PasswordsTest, CopyPutsTheFieldsTextOnTheClipboard)
{
    auto* popup = Get<TPopupMenu>("PopupMenu1");
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Button", [&] { Get<TsButton>("sButton5")->Click(); }},
        {"MenuItem", [&] { popup->DispatchCommand(Get<TMenuItem>("N1")->Command()); }},
    };
    for (const auto& [name, copy] : ways) {
        SCOPED_TRACE(name);
        Generate();
        Clipboard().SetAsText(L"stale");
        copy();
        EXPECT_EQ(Clipboard().AsText(), edit->Text());
        EXPECT_EQ(Clipboard().AsText().size(), 10u);

        // An empty field replaces what the clipboard held with an empty text.
        edit->SetText(L"");
        Clipboard().SetAsText(L"stale");
        copy();
        EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
        EXPECT_EQ(Clipboard().AsText(), L"");
    }
}

TEST_F(PasswordsTest, HidesToTheTrayAndComesBackByIconOrMenu)
{
    HWND wnd = Form1->Handle();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"IconClick", [&] { SendMessageW(tray->WindowHandle(), TTrayIcon::CallbackMessage, 1, WM_LBUTTONUP); }},
        {"ShowItem", [&] { ClickTrayItem("N2"); }},
    };
    for (const auto& [name, showAgain] : ways) {
        SCOPED_TRACE(name);
        Get<TsButton>("sButton4")->Click();
        EXPECT_FALSE(Form1->Visible());
        EXPECT_FALSE(IsWindowVisible(wnd));
        EXPECT_TRUE(tray->Visible());
        showAgain();
        EXPECT_TRUE(Form1->Visible());
        EXPECT_TRUE(IsWindowVisible(wnd));
        EXPECT_FALSE(tray->Visible());
    }
    EXPECT_TRUE(gDialogs.empty());
}

// While the shell refuses the icon the window stays up, so the program never becomes
// unreachable. The shell refuses a second icon of the same window and id.
TEST_F(PasswordsTest, RefusedTrayIconLeavesTheWindowShown)
{
    NOTIFYICONDATAW taken{};
    taken.cbSize = sizeof taken;
    taken.hWnd = tray->WindowHandle();
    taken.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &taken));
    Get<TsButton>("sButton4")->Click();
    Shell_NotifyIconW(NIM_DELETE, &taken);

    EXPECT_TRUE(Form1->Visible());
    EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
    EXPECT_FALSE(tray->Visible());
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(gDialogs[0].caption, L"Error");
    EXPECT_FALSE(gDialogs[0].text.empty());
}

// "TaskbarCreated" while the shell still holds the icon (a second broadcast, or one from
// another program): the add is refused, yet the icon is there and stays the program's, so the
// window stays hidden behind it and showing the window again takes the icon away.
TEST_F(PasswordsTest, AnIconTheShellStillHoldsAfterTaskbarCreatedIsRemovedOnShowing)
{
    Get<TsButton>("sButton4")->Click();
    ASSERT_FALSE(Form1->Visible());
    ASSERT_TRUE(tray->Visible());
    SendMessageW(tray->WindowHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(tray->Visible());

    SendMessageW(tray->WindowHandle(), TTrayIcon::CallbackMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(tray->Visible());
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = tray->WindowHandle();
    probe.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "no icon is left in the notification area";
    EXPECT_TRUE(gDialogs.empty());
}

// Every way out closes the main form, which tells the application to end: its message loop
// gets the quit message. The test takes that message so the run goes on.
TEST_F(PasswordsTest, ExitButtonsAndTheTrayItemEndTheProgram)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"ExitButton", [&] { Get<TsButton>("sButton2")->Click(); }},
        {"CloseTitleButton", [&] { Get<TsButton>("sButton3")->Click(); }},
        {"TrayItemWhileHidden",
         [&] {
             Get<TsButton>("sButton4")->Click();
             ASSERT_FALSE(Form1->Visible());
             ClickTrayItem("N3");
         }},
    };
    ASSERT_FALSE(TakeQuit());
    for (const auto& [name, exit] : ways) {
        SCOPED_TRACE(name);
        exit();
        EXPECT_TRUE(TakeQuit());
        EXPECT_FALSE(Application->Terminated());
    }
}

} // namespace
