#pragma once
// Fixture of the Windows tests of the class library: every test starts with the real system
// functions except the message box, which records instead of blocking; the seams are put back
// afterwards and each kind of GDI handle the library counts must be where it was.

#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

class VclFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Texts the message-box seam was asked to show since the test began.
    static std::vector<std::wstring>& Shown();
    // Runs every message queued now.
    static void Pump();

private:
    std::array<long, static_cast<size_t>(ks::GdiKind::Count)> FLive{};
};

// The same, with a hidden 400 x 300 form that the test's controls are placed on and that is
// freed after the test.
class VclFormFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FForm = CreateNew<TForm>(nullptr);
        FForm->SetBounds(0, 0, 400, 300);
    }
    void TearDown() override
    {
        FreeAndNil(FForm);
        VclFixture::TearDown();
    }
    // A new control of the form, on it or on the given parent.
    template <class T>
    T* Add(TWinControl* parent = nullptr)
    {
        auto* control = Create<T>(FForm);
        control->SetParent(parent ? parent : FForm);
        return control;
    }

    TForm* FForm = nullptr;
};
