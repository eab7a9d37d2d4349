// The program's unit table: once every unit has started, the skin core reaches every later part
// of the engine it calls through the services registry.
#include "app/UnitTable.h"

#include "skin/core/SkinServices.h"
#include "win/app/AppFixture.h"

#include <gtest/gtest.h>

namespace {

class UnitTableTest : public AppFixture {};

TEST_F(UnitTableTest, EveryServiceOfTheRegistryIsFilled)
{
    const ks::SkinServices& s = ks::Services();
    // A new entry changes the size: it is to be listed here too.
    static_assert(sizeof(ks::SkinServices) == 16 * sizeof(void (*)()));
    const std::pair<const char*, bool> entries[] = {
        {"CreationHookInstalled", s.CreationHookInstalled != nullptr},
        {"InstallCreationHook", s.InstallCreationHook != nullptr},
        {"RemoveCreationHook", s.RemoveCreationHook != nullptr},
        {"ForgetMenuWindows", s.ForgetMenuWindows != nullptr},
        {"HookedAdaptedWindows", s.HookedAdaptedWindows != nullptr},
        {"HasAdapter", s.HasAdapter != nullptr},
        {"CreateMenus", s.CreateMenus != nullptr},
        {"FreeMenus", s.FreeMenus != nullptr},
        {"UpdateMenus", s.UpdateMenus != nullptr},
        {"ForgetMenuBorderWidth", s.ForgetMenuBorderWidth != nullptr},
        {"PopupItemShown", s.PopupItemShown != nullptr},
        {"PopupWindowShown", s.PopupWindowShown != nullptr},
        {"OwnerDrawMenuItems", s.OwnerDrawMenuItems != nullptr},
        {"ProviderForm", s.ProviderForm != nullptr},
        {"ProviderSectionChanged", s.ProviderSectionChanged != nullptr},
        {"SpeedButtonSkinData", s.SpeedButtonSkinData != nullptr},
    };
    for (const auto& [name, filled] : entries)
        EXPECT_TRUE(filled) << name;
}

} // namespace
