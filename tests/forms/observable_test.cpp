#include "forms/observable.h"

#include <gtest/gtest.h>

#include <memory>

namespace forms {
namespace {

TEST(SignalTest, SlotDisconnectedDuringEmitIsNotCalled) {
    // A view torn down by an earlier slot must not hear the rest of the emit.
    Signal<> signal;
    auto alive = std::make_shared<bool>(true);
    int second = 0;
    int secondId = 0;
    signal.Connect([&] {
        signal.Disconnect(secondId);
        alive.reset();
    });
    secondId = signal.Connect([&] { ++second; });
    signal.Emit();
    EXPECT_EQ(second, 0);
    EXPECT_FALSE(alive);
}

TEST(SignalTest, SlotConnectedDuringEmitWaitsForTheNextEmit) {
    Signal<int> signal;
    int late = 0;
    signal.Connect([&](int) { signal.Connect([&](int v) { late += v; }); });
    signal.Emit(5);
    EXPECT_EQ(late, 0);
    signal.Emit(7);
    EXPECT_EQ(late, 7);
}

}  // namespace
}  // namespace forms
