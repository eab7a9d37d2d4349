#pragma once
// COM helpers: the error a failing COM or OLE call raises, and the check that raises it.

#include "vcl/SysUtils.h"
#include "vcl/Win.h"

class EOleSysError : public Exception {
public:
    EOleSysError(std::string message, HRESULT code) : Exception(std::move(message)), FErrorCode(code) {}
    HRESULT ErrorCode() const noexcept { return FErrorCode; }

private:
    HRESULT FErrorCode;
};

// Raises EOleSysError for a failure code; returns the code otherwise (S_FALSE included).
HRESULT OleCheck(HRESULT result);
