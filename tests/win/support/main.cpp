// Entry point of every Windows test executable: the application object is initialised once
// for the whole run, as a program does before its first form, and freed at its end as a
// program frees it.
#include "vcl/Forms.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    const int result = RUN_ALL_TESTS();
    DoneApplication();
    return result;
}
