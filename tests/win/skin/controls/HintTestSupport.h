#pragma once
// What the hint window tests share: a manager set up as a form stream sets it up, the layered
// window call and the fade's sleeps replaced by recorders, and a hint window shown at a fixed
// anchor whose composed picture can be read back.

#include "skin/controls/sHintManager.h"
#include "skin/controls/sHintWindows.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace ks::test {

struct LoadableHintManager : TsHintManager {
    using TsHintManager::Loaded;
    using TsHintManager::TsHintManager;
};

struct LayeredCall {
    BYTE alpha;
    SIZE size;
    // The picture's colour at gProbe.
    COLORREF probe;
};
inline std::vector<LayeredCall> gLayeredCalls;
inline POINT gProbe{0, 0};
inline int gSleeps = 0;

inline BOOL WINAPI RecordLayered(HWND, HDC, POINT*, SIZE* size, HDC source, POINT*, COLORREF, BLENDFUNCTION* blend,
                                 DWORD)
{
    gLayeredCalls.push_back({blend ? blend->SourceConstantAlpha : BYTE{0}, size ? *size : SIZE{},
                             GetPixel(source, gProbe.x, gProbe.y)});
    return TRUE;
}
inline void WINAPI CountSleep(DWORD) { ++gSleeps; }

class HintWindowFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        gLayeredCalls.clear();
        gSleeps = 0;
        ks::Sys().UpdateLayeredWindowPtr = &RecordLayered;
        ks::Sys().Sleep = &CountSleep;
    }
    void TearDown() override
    {
        FreeAndNil(window);
        FreeAndNil(manager);
        Application->SetHintWindowClass(nullptr);
        ks::ResetSys();
        VclFixture::TearDown();
    }
    void MakeManager(TsHintsPredefinitions preset)
    {
        auto* m = Create<LoadableHintManager>(nullptr);
        m->SetPredefinitions(preset);
        m->Loaded();
        manager = m;
    }
    // Shows text in a window of class T with its corner at anchor.
    template <class T>
    T* Show(const std::wstring& text, TPoint anchor = {200, 150})
    {
        FreeAndNil(window);
        auto* w = Create<T>(nullptr);
        window = w;
        w->AnchorOverride = anchor;
        TRect r = w->CalcHintRect(Screen->Width(), text, nullptr);
        w->ActivateHint(r, text);
        return w;
    }

    TsHintManager* manager = nullptr;
    TsCustomHintWindow* window = nullptr;
};

// Pixel x, y of a 32-bit bitmap as B, G, R, A.
inline const uint8_t* Pixel32(TBitmap& b, int x, int y)
{
    GdiFlush();
    return b.ScanLine(y) + 4 * x;
}

} // namespace ks::test
