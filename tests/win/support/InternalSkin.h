#pragma once
// The internal skin as this build packs it under <build>/skins, for the tests that paint with the
// real skin rather than a flat test skin; and the fixture of the tests whose forms get the
// providers the tests make.
#include "skin/core/sSkinManager.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ks::test {

// Loads the internal skin into a manager, found where the build leaves it (a Wine path).
inline void LoadInternalSkin(TsSkinManager& manager)
{
    const std::string build = KS_BUILD_DIR;
    manager.SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager.SetSkinName(L"Terminal4bit");
}

// A new manager, owned by nobody, under the internal skin; the skinning rules, where given, are
// set before the skin loads.
inline TsSkinManager* NewInternalSkinManager(std::optional<TacSkinningRules> rules = std::nullopt)
{
    auto* manager = Create<TsSkinManager>(nullptr);
    if (rules)
        manager->SetSkinningRules(*rules);
    LoadInternalSkin(*manager);
    return manager;
}

// A manager under the internal skin whose creation hook leaves the tests' forms alone: the tests
// give them providers of their own.
class InternalSkinFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewInternalSkinManager(TacSkinningRules{srStdDialogs, srThirdParty});
        ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin is built into <build>/skins";
    }
    void TearDown() override
    {
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    TsSkinManager* Manager = nullptr;
};

} // namespace ks::test
