#include "win/support/VclFixture.h"

#include "vcl/Forms.h"

namespace {

std::vector<std::wstring> gShown;

int WINAPI RecordMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT)
{
    gShown.push_back(text ? text : L"");
    return IDOK;
}

} // namespace

std::vector<std::wstring>& VclFixture::Shown()
{
    return gShown;
}

void VclFixture::SetUp()
{
    ks::ResetSys();
    ks::Sys().MessageBoxW = &RecordMessageBox;
    Shown().clear();
    for (size_t k = 0; k < FLive.size(); ++k)
        FLive[k] = ks::Tally(static_cast<ks::GdiKind>(k)).Live();
}

void VclFixture::TearDown()
{
    Pump();
    for (size_t k = 0; k < FLive.size(); ++k)
        EXPECT_EQ(ks::Tally(static_cast<ks::GdiKind>(k)).Live(), FLive[k]) << "GDI kind " << k;
    ks::ResetSys();
    ks::Sys().MessageBoxW = &RecordMessageBox;
}

void VclFixture::Pump()
{
    Application->ProcessMessages();
}
