#pragma once
// TResourceStream: a read-only stream over a resource of a loaded module (form resources, the
// embedded shadow pictures). The bytes stay in the module's image; nothing is copied.

#include "vcl/Streams.h"
#include "vcl/Win.h"

class TResourceStream : public TCustomMemoryStream {
public:
    // Raises EResNotFound "Resource %s not found" when the module has no such resource.
    // type is a resource type such as RT_RCDATA.
    TResourceStream(HINSTANCE instance, const wchar_t* name, const wchar_t* type);
    const char* ClassName() const noexcept override { return "TResourceStream"; }

    // Raises EStreamError: resources are read-only.
    size_t Write(const void* buffer, size_t count) override;
};
