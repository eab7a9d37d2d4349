#include "vcl/ComObj.h"

#include <cstdio>

HRESULT OleCheck(HRESULT result)
{
    if (FAILED(result)) {
        char text[48];
        std::snprintf(text, sizeof text, "OLE error %08lX", static_cast<unsigned long>(result));
        throw EOleSysError(text, result);
    }
    return result;
}
