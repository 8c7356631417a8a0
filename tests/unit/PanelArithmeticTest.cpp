#include "movies/ControlPanel.h"
#include "movies/KnobMath.h"
#include "movies/TimeText.h"
#include "movies/VideoLayout.h"

#include <cmath>
#include <gtest/gtest.h>

namespace zepo {
namespace {

TEST(TimeText, MinutesGrowWithoutAnHourField)
{
    EXPECT_EQ(formatClock(0), "00:00");
    EXPECT_EQ(formatClock(9.99), "00:09");
    EXPECT_EQ(formatClock(59.999), "00:59");
    EXPECT_EQ(formatClock(60), "01:00");
    EXPECT_EQ(formatClock(545), "09:05");
    EXPECT_EQ(formatClock(3599.5), "59:59");
    EXPECT_EQ(formatClock(6000), "100:00");
    EXPECT_EQ(formatClock(std::nan("")), "00:00");
    EXPECT_EQ(formatClock(-3), "00:00");
    EXPECT_EQ(formatClock(INFINITY), "00:00");
}

QRectF layout(double w, double h, double reserve, double aw, double ah, double adjW = 1, double adjH = 1)
{
    return layoutVideo({w, h, reserve, aw, ah, adjW, adjH});
}

TEST(VideoLayout, FitsThePictureIntoTheFreeAreaAroundTheStageCentre)
{
    // Wide stage: the height decides, pillar-boxed.
    EXPECT_EQ(layout(1000, 480, 0, 320, 240), QRectF(0, 0, 640, 480));
    // Tall stage: the width decides, letter-boxed.
    EXPECT_EQ(layout(320, 480, 0, 320, 240), QRectF(160, 120, 320, 240));
    // 16:9 in a 4:3 stage.
    EXPECT_EQ(layout(640, 480, 0, 16, 9), QRectF(0, 60, 640, 360));
    // A fixed panel is kept free below the picture.
    const QRectF fixed = layout(640, 480, 40, 320, 240);
    EXPECT_DOUBLE_EQ(fixed.height(), 440);
    EXPECT_DOUBLE_EQ(fixed.bottom(), 240 + 240 - 40);
    EXPECT_DOUBLE_EQ(fixed.center().x(), 320);
}

TEST(VideoLayout, CorrectionFactorsStretchAfterFitting)
{
    // 1280x1024 shown at 640x480: each pixel is 0.9375 as tall as it is wide.
    const QRectF adjusted = layout(640, 480, 0, 320, 240, 1, 0.9375);
    EXPECT_DOUBLE_EQ(adjusted.width(), 640);
    EXPECT_DOUBLE_EQ(adjusted.height(), 450);
    EXPECT_DOUBLE_EQ(adjusted.center().y(), 240);
    EXPECT_DOUBLE_EQ(layout(640, 480, 0, 320, 240, 0.75, 1).width(), 480);
    // Factors that are no usable number count as 1.
    EXPECT_EQ(layout(640, 480, 0, 320, 240, std::nan(""), 0), layout(640, 480, 0, 320, 240));
}

TEST(VideoLayout, AFreeAreaOfNoHeightGivesNoPicture)
{
    const QRectF none = layout(320, 30, 40, 320, 240);
    EXPECT_EQ(none.width(), 0);
    EXPECT_EQ(none.height(), 0);
    EXPECT_FALSE(usableAspect(0, 240));
    EXPECT_FALSE(usableAspect(-4, 3));
    EXPECT_FALSE(usableAspect(std::nan(""), 3));
    EXPECT_FALSE(usableAspect(INFINITY, 3));
    EXPECT_TRUE(usableAspect(0.5, 3));
}

TEST(KnobMath, VolumeKnobSpansTheTrackAndRoundsHalvesUp)
{
    EXPECT_EQ(roundVolume(2.5), 3);
    EXPECT_EQ(roundVolume(2.49), 2);
    EXPECT_EQ(roundVolume(-0.5), 0);
    EXPECT_DOUBLE_EQ(volumeKnobX(0, 40), -20);
    EXPECT_DOUBLE_EQ(volumeKnobX(100, 40), 20);
    EXPECT_DOUBLE_EQ(volumeAtKnob(-20, 40), 0);
    EXPECT_DOUBLE_EQ(volumeAtKnob(10, 40), 75);
    EXPECT_DOUBLE_EQ(volumeAtKnob(10, 0), 50);
}

TEST(KnobMath, SeekKnobAndTargetNeverDivideByZero)
{
    EXPECT_DOUBLE_EQ(seekKnobX(false, 50, 100, 200), -100);
    EXPECT_DOUBLE_EQ(seekKnobX(true, 50, 100, 200), 0);
    EXPECT_DOUBLE_EQ(seekKnobX(true, 150, 100, 200), 100);
    EXPECT_DOUBLE_EQ(seekKnobX(true, 0, 0, 200), -100);
    EXPECT_DOUBLE_EQ(seekKnobX(true, 5, 10, 0), 0);
    EXPECT_DOUBLE_EQ(seekTimeAtKnob(50, 200, 100), 75);
    EXPECT_DOUBLE_EQ(seekTimeAtKnob(50, 0, 100), 0);
    EXPECT_DOUBLE_EQ(seekTimeAtKnob(50, 200, 0), 0);
    EXPECT_DOUBLE_EQ(clampKnob(500, 200), 100);
    EXPECT_DOUBLE_EQ(clampKnob(-500, -3), 0);
}

TEST(ControlPanelGeometry, EverythingFitsTheNarrowestStageWithoutOverlap)
{
    ControlPanel panel;
    panel.layout(QRectF(160, 205, 320, ControlPanel::kHeight));
    EXPECT_DOUBLE_EQ(panel.seekTrackWidth(), 296);
    QRectF previous;
    for (int i = 0; i < kPanelButtonCount; ++i) {
        const QRectF rect = panel.buttonRect(static_cast<PanelButton>(i));
        EXPECT_TRUE(panel.area().contains(rect)) << i;
        EXPECT_FALSE(rect.intersects(previous)) << i;
        const PanelHit hit = panel.hitTest(rect.center());
        EXPECT_EQ(hit.part, PanelPart::Button);
        EXPECT_EQ(static_cast<int>(hit.button), i);
        previous = rect;
    }
    const double volumeLeft = panel.volumeTrackCentreX() - ControlPanel::kVolumeTrackWidth / 2;
    EXPECT_GT(volumeLeft, panel.buttonRect(PanelButton::Repeat).right() + 60) << "room for the times";
    EXPECT_LT(panel.volumeTrackCentreX() + ControlPanel::kVolumeTrackWidth / 2,
              panel.buttonRect(PanelButton::Fix).left());
    EXPECT_EQ(panel.hitTest(QPointF(320, 213)).part, PanelPart::SeekBar);
    EXPECT_EQ(panel.hitTest(QPointF(panel.volumeTrackCentreX(), panel.buttonRect(PanelButton::Fix).center().y())).part,
              PanelPart::VolumeBar);
    EXPECT_EQ(panel.hitTest(QPointF(320, 200)).part, PanelPart::Outside);
}

} // namespace
} // namespace zepo
