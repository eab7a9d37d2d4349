#pragma once
// The main window: one generated password, the four character classes, the length, and the
// buttons to generate, copy, open the about box, hide to the notification area and exit. The
// window and all its components come from its form resource; the handlers act on the global
// form references, as the resource wires them.

#include "vcl/Forms.h"

#include <memory>

class TsEdit;
class TsCheckBox;
class TsSpinEdit;
class TTrayIcon;
namespace ks {
class RandomSource;
}

class TForm1 : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Generates a password into sEdit1; OnCreate and sButton1.
    void sButton1Click(TObject* sender);
    // Copies sEdit1's text to the clipboard; sButton5 and the edit's menu item N1.
    void N1Click(TObject* sender);
    // Closes the main form, which ends the program; sButton2, sButton3 and the tray item N3.
    void sButton2Click(TObject* sender);
    // Hides the window to the notification area; sButton4.
    void sButton4Click(TObject* sender);
    // Shows the window again; the tray icon's click and its item N2.
    void TrayIcon1Click(TObject* sender);
    // Shows the about box modally; sButton6 and the tray item N5.
    void sButton6Click(TObject* sender);

    // Where passwords are drawn from: the system's cryptographic source unless a test sets
    // another (not owned); nullptr puts the system's source back.
    void SetRandomSource(ks::RandomSource* source) noexcept { FRandom = source ? source : FCryptoRandom.get(); }

protected:
    void Loaded() override;

private:
    TsEdit* FEdit = nullptr;
    TsCheckBox* FClasses[4] = {};
    TsSpinEdit* FLength = nullptr;
    TTrayIcon* FTrayIcon = nullptr;
    std::unique_ptr<ks::RandomSource> FCryptoRandom;
    ks::RandomSource* FRandom = nullptr;
};

extern TForm1* Form1;

