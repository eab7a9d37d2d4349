#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away. Tests that touch files work inside one.

#include <string>

namespace ks::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing delimiter.
    const std::wstring& Path() const noexcept { return FPath; }
    // Path() + "\" + name: the separator portable code uses (the host file layer reads it as "/").
    std::wstring File(const std::wstring& name) const { return FPath + L"\\" + name; }

private:
    std::wstring FPath;
};

} // namespace ks::test
