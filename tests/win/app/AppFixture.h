#pragma once
// What the application's tests share: the program's units started once per suite, the main
// form (and the about box) made from their real resources for a test and freed after it, and
// the lookup of a form's component by name.

#include "app/Unit2.h"
#include "app/UnitTable.h"
#include "app/passwords.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

class AppFixture : public VclFixture {
protected:
    static void SetUpTestSuite() { InitializeUnits(); }
    static void TearDownTestSuite() { FinalizeUnits(); }

    void TearDown() override
    {
        FreeForms();
        VclFixture::TearDown();
    }

    // The program's own start: the main form on the task bar, then Form1 and, with about, Form2.
    static void CreateForms(bool about = true)
    {
        Application->SetMainFormOnTaskbar(true);
        Application->CreateForm(Form1);
        if (about)
            Application->CreateForm(Form2);
    }

    // The about box goes first, as the application frees its forms last-created-first.
    static void FreeForms()
    {
        if (Form2)
            Form2->Free();
        Form2 = nullptr;
        if (Form1)
            Form1->Free();
        Form1 = nullptr;
        Application->SetMainFormOnTaskbar(false);
    }

    template <class T>
    static T* Get(TComponent* form, const char* name)
    {
        auto* found = form ? dynamic_cast<T*>(form->FindComponent(name)) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};
