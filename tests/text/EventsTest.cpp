#include "text/Events.h"

#include <gtest/gtest.h>

namespace vellmora {
namespace {

// Puts back whatever hook was installed before the test.
class EventsTest : public testing::Test {
protected:
    void TearDown() override { SetEventHook(std::move(saved_)); }
    EventHook saved_ = SetEventHook({});
};

TEST_F(EventsTest, WithoutAHookNothingHappens) {
    ProcessEvents();
}

TEST_F(EventsTest, RunsTheInstalledHookAndHandsBackThePreviousOne) {
    int calls = 0;
    SetEventHook([&] { ++calls; });
    ProcessEvents();
    ProcessEvents();
    EXPECT_EQ(calls, 2);
    EventHook previous = SetEventHook({});
    ProcessEvents();
    EXPECT_EQ(calls, 2);
    ASSERT_TRUE(previous);
    previous();
    EXPECT_EQ(calls, 3);
}

TEST_F(EventsTest, AHandlerMayRunProcessEventsAgainFromInside) {
    int depth = 0;
    int deepest = 0;
    SetEventHook([&] {
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth < 3) {
            ProcessEvents(); // a second search started from inside the first
        }
        --depth;
    });
    ProcessEvents();
    EXPECT_EQ(deepest, 3);
    EXPECT_EQ(depth, 0);
}

TEST_F(EventsTest, AHookMayReplaceItselfWhileRunning) {
    int later = 0;
    std::string capture = "kept alive while running";
    SetEventHook([capture, &later] {
        SetEventHook([&later] { ++later; }); // destroys the installed copy of this lambda
        EXPECT_EQ(capture, "kept alive while running");
    });
    ProcessEvents();
    ProcessEvents();
    EXPECT_EQ(later, 1);
}

} // namespace
} // namespace vellmora
