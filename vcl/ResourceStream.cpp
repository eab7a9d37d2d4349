#include "vcl/ResourceStream.h"

#include "vcl/SysUtils.h"

namespace {

constexpr const char* NotFound = "Resource %s not found";
constexpr const char* ReadOnlyText = "Can't write to a read-only resource stream";

std::string ResourceName(const wchar_t* name)
{
    if (IS_INTRESOURCE(name))
        return IntToStr(reinterpret_cast<uintptr_t>(name));
    return WideToUTF8(name);
}

} // namespace

TResourceStream::TResourceStream(HINSTANCE instance, const wchar_t* name, const wchar_t* type)
{
    HRSRC info = FindResourceW(instance, name, type);
    HGLOBAL handle = info ? LoadResource(instance, info) : nullptr;
    // Windows: a loaded resource lives as long as its module and is never freed by hand.
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data)
        throw EResNotFound(Format(NotFound, {ResourceName(name)}));
    SetPointer(std::span(static_cast<const uint8_t*>(data), SizeofResource(instance, info)));
}

size_t TResourceStream::Write(const void*, size_t)
{
    throw EStreamError(ReadOnlyText);
}
