#include "platform/CurrentDisplayMode.h"
#include "platform/ScreenFit.h"
#include "tests/support/FakePlatform.h"

#include <climits>
#include <gtest/gtest.h>

namespace zepo {
namespace {

const QRect kScreen(0, 0, 1280, 1024);

TEST(ScreenFit, ARectangleOnTheScreenStaysAsItIsAndMayHangBelowTheBottom)
{
    EXPECT_EQ(fitOnScreen({100, 100, 400, 300}, kScreen), QRect(100, 100, 400, 300));
    EXPECT_EQ(fitOnScreen({0, 1024 - kTitleBarHeight, 400, 300}, kScreen), QRect(0, 992, 400, 300));
}

TEST(ScreenFit, SizeIsCutToTheScreenAndTheWholeTitleBarComesOnIt)
{
    EXPECT_EQ(fitOnScreen({-100000, 50, 99999, 300}, kScreen), QRect(0, 50, 1280, 300));
    EXPECT_EQ(fitOnScreen({1200, 5000, 400, 300}, kScreen), QRect(880, 1024 - kTitleBarHeight, 400, 300));
    EXPECT_EQ(fitOnScreen({-50, -20, 400, 300}, kScreen), QRect(0, 0, 400, 300));
    // A screen that does not start at the origin.
    EXPECT_EQ(fitOnScreen({0, 0, 400, 300}, QRect(1280, 24, 1024, 768)), QRect(1280, 24, 400, 300));
}

TEST(ScreenFit, ExtremeOrEmptySizesGiveARectangleOnTheScreen)
{
    EXPECT_EQ(fitOnScreen({INT_MAX, INT_MIN, INT_MAX, INT_MAX}, kScreen), QRect(0, 0, 1280, 1024));
    EXPECT_EQ(fitOnScreen({10, 10, 0, -5}, kScreen), QRect(10, 10, 1, 1));
    // Without a screen the window still ends in the coordinates a window can have.
    const QRect none = fitOnScreen({INT_MAX, INT_MAX, INT_MAX, 10}, QRect());
    EXPECT_LE(none.right(), 32767);
    EXPECT_LE(none.bottom(), 32767);
}

TEST(CurrentDisplayMode, WhatTheModesCannotTellIsMeasuredAsTheModesAreMeasured)
{
    test::FakeDisplayModes modes;
    modes.currentMode = DisplayMode{0, 0, 0, 60};
    // A 24-bit screen of 1280 x 1024 device pixels.
    const ScreenMeasure screen{QSize(1280, 1024), 24};
    EXPECT_EQ(currentDisplayMode(modes, screen), (DisplayMode{1280, 1024, 32, 60}));
    EXPECT_EQ(currentDisplayMode(modes, ScreenMeasure{QSize(800, 600), 16}), (DisplayMode{800, 600, 16, 60}));
    modes.currentMode = DisplayMode{1024, 768, 32, 75};
    EXPECT_EQ(currentDisplayMode(modes, screen), (DisplayMode{1024, 768, 32, 75}));
}

} // namespace
} // namespace zepo
