#pragma once
// The about box: the author, a thank-you, a short text about the program and a link that opens
// the author's web page through the shell.

#include "vcl/Forms.h"

#include <string>

class TForm2 : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TForm::TForm;

    // Closes the about box, which ends its modal loop; sButton1.
    void sButton1Click(TObject* sender);
    // Opens the author's web page; sLabel1.
    void sLabel1Click(TObject* sender);
};

extern TForm2* Form2;

// The author's web page the link opens.
extern const std::wstring AuthorPage;

