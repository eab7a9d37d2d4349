#pragma once
// The later units of the engine give the skin core their services at start-up, as the program
// entry runs them, before any test of this executable makes a skin manager. The environment is
// registered once, however many tests include this.
#include "skin/adapters/acSBUtils.h"
#include "skin/forms/acDials.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/forms/sSkinProvider.h"

#include <gtest/gtest.h>

namespace ks::test {

class EngineUnits : public testing::Environment {
public:
    void SetUp() override
    {
        InitializeAcSBUtilsUnit();
        InitializeAcDialsUnit();
        InitializeSkinMenusUnit();
        InitializeSkinProviderUnit();
    }
};
[[maybe_unused]] inline testing::Environment* const gEngineUnits = testing::AddGlobalTestEnvironment(new EngineUnits);

} // namespace ks::test
