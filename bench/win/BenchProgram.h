#pragma once
// The real program started for a Windows benchmark: its units, the application and its main form
// streamed from the resource and shown, with the platform's timers kept out (a timer that fires
// between two measured calls would be measured with them; the benchmarks send the ticks they
// want themselves).
#include "app/UnitTable.h"
#include "app/passwords.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

namespace ks::bench {

inline UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
inline BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

// Starts the program up to its shown main form; more forms are made and shown with it.
template <class... Forms>
void StartProgram(Forms*&... more)
{
    InitializeUnits();
    Application->Initialize();
    ks::Sys().SetTimer = &NoSetTimer;
    ks::Sys().KillTimer = &NoKillTimer;
    Application->SetMainFormOnTaskbar(true);
    Application->CreateForm(Form1);
    (Application->CreateForm(more), ...);
    Form1->Show();
    (more->Show(), ...);
    Application->ProcessMessages();
}

} // namespace ks::bench
