#include "skin/forms/sSkinProvider.h"

void TsSkinProvider::FormWndProc(TMessage& message)
{
    CallOld(message);
}

void TsSkinProvider::CallOld(TMessage& message)
{
    if (OldWndProc)
        OldWndProc(message);
}
