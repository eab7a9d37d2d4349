// Entry point of every Windows test executable: the application object is initialised once
// for the whole run, as a program does before its first form.
#include "vcl/Forms.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
