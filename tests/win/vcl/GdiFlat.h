#pragma once
// Fixture of the graphics tests: every test must leave each kind of GDI handle the class
// library counts where it found it.

#include "vcl/GdiHandles.h"

#include <gtest/gtest.h>

#include <array>

class GdiFlat : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (size_t k = 0; k < FLive.size(); ++k)
            FLive[k] = ks::Tally(static_cast<ks::GdiKind>(k)).Live();
    }
    void TearDown() override
    {
        for (size_t k = 0; k < FLive.size(); ++k)
            EXPECT_EQ(ks::Tally(static_cast<ks::GdiKind>(k)).Live(), FLive[k]) << "GDI kind " << k;
    }

private:
    std::array<long, static_cast<size_t>(ks::GdiKind::Count)> FLive{};
};
