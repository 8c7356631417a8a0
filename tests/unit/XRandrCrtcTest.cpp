#include "platform/XRandrCrtc.h"

#include <gtest/gtest.h>

namespace zepo {
namespace {

TEST(RestoreLine, CarriesTheStartupConfigurationToTheGuardWhole)
{
    const ScreenSize screen{1280, 1024, 338, 270};
    const CrtcConfig config{63, 1021, 1280, 0, 2, {65, 66}};
    const std::string line = restoreLine(screen, config);
    ASSERT_EQ(line.back(), '\n');
    const auto order = parseRestoreLine(line.substr(0, line.size() - 1));
    ASSERT_TRUE(order);
    EXPECT_EQ(order->startupScreen, screen);
    EXPECT_EQ(order->config, config);

    const CrtcConfig off{70, 0, 0, 0, 1, {}};
    const auto noOutputs = parseRestoreLine(restoreLine(screen, off));
    ASSERT_TRUE(noOutputs);
    EXPECT_EQ(noOutputs->config, off);
}

TEST(RestoreLine, AnythingButAWholeLineIsNoOrderToRestore)
{
    const std::string line = restoreLine({1280, 1024, 338, 270}, {63, 1021, 0, 0, 1, {65, 66}});
    // Cut before its last output, with an output too many, another word, nothing.
    EXPECT_FALSE(parseRestoreLine(line.substr(0, line.rfind(' '))));
    EXPECT_FALSE(parseRestoreLine(line.substr(0, line.size() - 1) + " 67"));
    EXPECT_FALSE(parseRestoreLine("keep"));
    EXPECT_FALSE(parseRestoreLine("restore 1280 1024 x"));
    EXPECT_FALSE(parseRestoreLine(""));
}

} // namespace
} // namespace zepo
