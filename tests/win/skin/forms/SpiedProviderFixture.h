#pragma once
// A sizeable 420 x 303 form under the internal skin with a provider of its own, whose old window
// procedure is watched: the tests see what the provider passes on to the form's own handling.

#include "skin/forms/sSkinProvider.h"
#include "win/skin/controls/SkinnedFormFixture.h"

#include <algorithm>
#include <vector>

namespace ks::test {

// Stands between the provider and the form's own handling: records what the provider passes on.
struct OldSpy {
    TWndMethod Next;
    std::vector<UINT> Seen;
    void Handle(TMessage& m)
    {
        Seen.push_back(m.Msg);
        if (Next)
            Next(m);
    }
    bool Saw(UINT msg) const { return std::find(Seen.begin(), Seen.end(), msg) != Seen.end(); }
};

class SpiedProviderFixture : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        Form->SetBorderStyle(bsSizeable);
        Form->SetBounds(60, 60, 420, 303);
        Provider = Create<TsSkinProvider>(Form);
        Spy.Next = Provider->OldWndProc;
        Provider->OldWndProc = TWndMethod(&Spy, &OldSpy::Handle);
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
    }
    void TearDown() override
    {
        if (Provider) {
            Provider->OldWndProc = Spy.Next;
            Provider->Free();
        }
        SkinnedFormFixture::TearDown();
    }

    TsSkinProvider* Provider = nullptr;
    OldSpy Spy;
};

} // namespace ks::test
