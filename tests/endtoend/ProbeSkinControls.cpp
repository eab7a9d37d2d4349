// The probe's skinned speed buttons and spin edit are made apart: their header and the toolbar's
// both declare the tool-button styles, so no one file can see both.
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEdit.h"

TControl* NewProbeSpeedButton(TComponent* owner)
{
    return Create<TsSpeedButton>(owner);
}

TCustomEdit* NewProbeSpinEdit(TComponent* owner, int minValue, int maxValue)
{
    auto* spin = Create<TsSpinEdit>(owner);
    spin->SetMinValue(minValue);
    spin->SetMaxValue(maxValue);
    return spin;
}

int ProbeSpinValue(const TCustomEdit* spin)
{
    return static_cast<const TsSpinEdit*>(spin)->Value();
}
