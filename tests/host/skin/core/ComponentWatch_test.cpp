#include "skin/core/ComponentWatch.h"

#include <gtest/gtest.h>

namespace {

TEST(ComponentWatch, ForgetsAComponentTheMomentItIsFreed)
{
    TComponent* owner = Create<TComponent>(nullptr);
    TComponent* owned = Create<TComponent>(owner);
    TComponent* going = Create<TComponent>(nullptr);
    TComponent* outlives = Create<TComponent>(nullptr);
    ks::ComponentWatch watch;
    for (TComponent* c : {owner, owned, owned})
        watch.Watch(c);
    going->Destroying();
    watch.Watch(going);
    EXPECT_TRUE(watch.Alive(owned));
    EXPECT_FALSE(watch.Alive(going)) << "a component already going is never alive";
    EXPECT_FALSE(watch.Alive(outlives)) << "never watched";

    owner->Free();
    EXPECT_FALSE(watch.Alive(owner));
    EXPECT_FALSE(watch.Alive(owned));
    going->Free();
    {
        ks::ComponentWatch shortLived;
        shortLived.Watch(outlives);
    }
    // Under the sanitizers, a link left to the freed listener would be followed here.
    outlives->Free();
}

} // namespace
