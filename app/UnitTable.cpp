#include "app/UnitTable.h"

#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sHintManager.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sMemo.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/core/acGlow.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/acDials.h"
#include "skin/forms/acShellCtrls.h"
#include "skin/forms/sFrameAdapter.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/images/acAlphaImageList.h"
#include "skin/images/acPNG.h"

void InitializeUnits()
{
    InitializeAcPNG();
    InitializeAcAlphaImageList();
    LoadEngineGlyphList();
    InitializeSkinManagerUnit();
    InitializeStyleSimplyUnit();
    InitializeVclUtilsUnit();
    InitializeSLabelUnit();
    InitializeSEditUnit();
    InitializeSButtonUnit();
    InitializeSSpeedButtonUnit();
    InitializeSCheckBoxUnit();
    InitializeSGroupBoxUnit();
    InitializeSMemoUnit();
    InitializeSSpinEditUnit();
    InitializeSHintManagerUnit();
    InitializeAcSBUtilsUnit();
    InitializePopupMenuAdapterUnit();
    InitializeAcDialsUnit();
    InitializeSkinMenusUnit();
    InitializeSkinProviderUnit();
    InitializeAcShellCtrlsUnit();
    InitializeSFrameAdapterUnit();
}

void FinalizeUnits()
{
    FinalizeAcShellCtrlsUnit();
    FinalizeSkinMenusUnit();
    FinalizeAcDialsUnit();
    FinalizePopupMenuAdapterUnit();
    FinalizeAcSBUtilsUnit();
    FinalizeAcGlowUnit();
    FinalizeVclUtilsUnit();
    FinalizeStyleSimplyUnit();
    FinalizeSkinManagerUnit();
    FreeEngineGlyphList();
    FinalizeAcPNG();
}
