#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "platform/Platform.h"
#include "rtl/Application.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/FakeDesktop.h"

namespace {

struct ApplicationTest : testing::Test {
    void SetUp() override { previous = platform::SetDesktop(&desktop); }
    void TearDown() override { platform::SetDesktop(previous); }
    fakes::FakeDesktop desktop;
    platform::IDesktop* previous = nullptr;
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

TEST_F(ApplicationTest, OrderlyEndIsExitCodeZero) {
    EXPECT_EQ(RunProgram([] {}, [] {}, stop), 0);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(desktop.MessageBoxes.empty());
}

TEST_F(ApplicationTest, UncaughtErrorShowsClassAndMessageThenExitsOne) {
    struct Case {
        std::function<void()> raise;
        const char* text;
    } cases[] = {
        {[] { throw EConvertError("'x' is not a valid integer value"); },
         "EConvertError: 'x' is not a valid integer value"},
        {[] { throw ERegistryException("Invalid data type for 'VelmoraPath'"); },
         "ERegistryException: Invalid data type for 'VelmoraPath'"},
        {[] { throw Exception("plain"); }, "Exception: plain"},
        {[] { throw std::bad_alloc(); }, "EOutOfMemory: std::bad_alloc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        desktop.MessageBoxes.clear();
        stops = 0;
        EXPECT_EQ(RunProgram([] {}, c.raise, stop), 1);
        EXPECT_EQ(stops, 1);
        ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
        EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Application Error");
        EXPECT_EQ(desktop.MessageBoxes[0].Text, c.text);
    }
}

TEST_F(ApplicationTest, ErrorInAUnitStartSkipsTheBodyButNotTheStops) {
    bool bodyRan = false;
    EXPECT_EQ(RunProgram([] { throw EOutOfResources("Not enough timers available"); },
                         [&] { bodyRan = true; }, stop),
              1);
    EXPECT_FALSE(bodyRan);
    EXPECT_EQ(stops, 1);
}

TEST_F(ApplicationTest, TerminateEndsNormallyWithItsCode) {
    EXPECT_EQ(RunProgram([] {}, [] { throw TerminateProgram{0}; }, stop), 0);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(desktop.MessageBoxes.empty());
}

} // namespace
