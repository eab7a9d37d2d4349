// The program entry: every unit's start-up in the order of the unit table, the application
// with its two forms streamed from their resources, the message loop, the application freed
// with its forms, then every unit's shut-down in reverse order.
#include "app/Unit2.h"
#include "app/UnitTable.h"
#include "app/passwords.h"
#include "vcl/Forms.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    InitializeUnits();
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
    // The forms go while every unit is still whole: the skin manager, last of the main form's
    // components, takes its hooks and skin away through other units' globals.
    DoneApplication();
    FinalizeUnits();
    return 0;
}
