#pragma once
// A form laid out right to left (WS_EX_LAYOUTRTL), as a program for a right-to-left language
// makes it: its controls' windows inherit the mirroring.
#include "vcl/Forms.h"

namespace ks::test {

class TMirroredForm : public TForm {
public:
    using TForm::TForm;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        params.ExStyle |= WS_EX_LAYOUTRTL;
    }
};

} // namespace ks::test
