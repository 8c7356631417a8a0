// A window placed by its outer rectangle reads back exactly that rectangle, whatever
// fraction of a pixel its frame takes on a scaled screen: saved places never creep.
#include "platform/FrameExtents.h"

#include <gtest/gtest.h>

namespace zepo {
namespace {

TEST(FrameArithmetic, AnOuterRectangleComesBackWholeThroughItsClient)
{
    // Frames as window managers announce them, in screen pixels, on screens scaled by 1,
    // 1.5 and 2: thin borders become fractions of the program's pixels.
    const QMarginsF frames[] = {
        {1, 20, 1, 4}, {0, 37, 0, 0}, {5, 29, 5, 5}, {2, 18, 2, 2},
        {0.5, 10, 0.5, 2}, {1 / 1.5, 20 / 1.5, 1 / 1.5, 3 / 1.5}, {2.5, 14.5, 2.5, 2.5},
    };
    const QRect outers[] = {{100, 100, 400, 300}, {0, 0, 320, 270}, {-7, 992, 251, 351}, {1279, -3, 3, 1}};
    for (const QMarginsF& frame : frames) {
        for (const QRect& outer : outers) {
            const QRect client = clientFromOuter(outer, frame);
            EXPECT_EQ(outerFromClient(client, frame), outer)
                << "frame " << frame.left() << "," << frame.top() << "," << frame.right() << "," << frame.bottom()
                << " outer " << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
        }
    }
}

TEST(FrameArithmetic, AWholePixelFrameIsExact)
{
    EXPECT_EQ(clientFromOuter(QRect(100, 100, 400, 300), QMarginsF(1, 20, 1, 4)), QRect(101, 120, 398, 276));
    EXPECT_EQ(outerFromClient(QRect(101, 120, 398, 276), QMarginsF(1, 20, 1, 4)), QRect(100, 100, 400, 300));
    EXPECT_EQ(clientFromOuter(QRect(5, 6, 7, 8), QMarginsF()), QRect(5, 6, 7, 8));
}

} // namespace
} // namespace zepo
