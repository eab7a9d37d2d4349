// The program entry: every unit's start-up in the order of the unit table, the application
// with its two forms streamed from their resources, the message loop, then every unit's
// shut-down in reverse order.
#include "app/Unit2.h"
#include "app/passwords.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sMemo.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/images/acPNG.h"
#include "vcl/Forms.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    InitializeAcPNG();
    InitializeSLabelUnit();
    InitializeSEditUnit();
    InitializeSButtonUnit();
    InitializeSCheckBoxUnit();
    InitializeSGroupBoxUnit();
    InitializeSMemoUnit();
    InitializeSSpinEditUnit();

    Application->Initialize();
    Application->SetMainFormOnTaskbar(true);
    Application->SetTitle(L"Keysmith 1.0");
    try {
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->Run();
    } catch (...) {
        // A form that cannot be made (a damaged resource) is reported, not a crash.
        Application->HandleException(nullptr);
    }

    FinalizeAcPNG();
    return 0;
}
