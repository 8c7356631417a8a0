#include "dialogs/CAboutDlg.h"
#include "movies/flv_about.h"
#include "platform/ManualClock.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo {
namespace {

class RecordingUrlOpener : public UrlOpener {
public:
    void open(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

class AboutDlgTest : public ::testing::Test {
protected:
    explicit AboutDlgTest(AboutLinkTargets documents = {"file:///docs/README.md", "file:///docs/copyright"})
        : targets(std::move(documents))
    {
        auto movie = std::make_unique<AboutMovie>(clock, *movieSlot(kAboutMovieControl), opener, targets);
        about = movie.get();
        dialog = std::make_unique<CAboutDlg>(std::move(movie));
        dialog->show();
        // The control loads its movie from the event loop.
        QApplication::processEvents();
    }

    QPoint widgetPoint(const QPointF& stagePoint)
    {
        return dialog->movie().stageToWidgetTransform().map(stagePoint).toPoint();
    }
    QPoint linkCentre(int index) { return widgetPoint(about->links()[static_cast<std::size_t>(index)].area.center()); }

    ManualClock clock;
    RecordingUrlOpener opener;
    const AboutLinkTargets targets;
    AboutMovie* about = nullptr;
    std::unique_ptr<CAboutDlg> dialog;
};

TEST_F(AboutDlgTest, TheMovieFillsTheBoxAndIsDrawn)
{
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("ZEPOのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(about->isLoaded());
    EXPECT_EQ(dialog->movie().geometry(), dialog->rect());
    const QImage picture = dialog->movie().grab().toImage();
    // Black stage with the logo and the texts on it.
    int lit = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            lit += qGray(picture.pixel(x, y)) > 96 ? 1 : 0;
    EXPECT_GT(lit, picture.width() * picture.height() / 50);
    EXPECT_EQ(qGray(picture.pixel(picture.width() - 2, picture.height() - 2)), 0);
}

TEST_F(AboutDlgTest, ALinkOpensWhenPressedAndReleasedOnIt)
{
    QTest::mouseClick(&dialog->movie(), Qt::LeftButton, {}, linkCentre(0));
    QTest::mouseClick(&dialog->movie(), Qt::LeftButton, {}, linkCentre(1));
    EXPECT_EQ(opener.urls, (std::vector<std::string>{targets.readme, targets.licence}));

    // Pressed on one link and released on the other, or off the links: nothing opens.
    QTest::mousePress(&dialog->movie(), Qt::LeftButton, {}, linkCentre(0));
    QTest::mouseRelease(&dialog->movie(), Qt::LeftButton, {}, linkCentre(1));
    QTest::mouseClick(&dialog->movie(), Qt::LeftButton, {}, widgetPoint(QPointF(300, 10)));
    EXPECT_EQ(opener.urls.size(), 2u);
}

TEST_F(AboutDlgTest, TheRightButtonIsSwallowedAndEscapeCloses)
{
    const QPointF at = linkCentre(0);
    QMouseEvent right(QEvent::MouseButtonPress, at, dialog->movie().mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, {});
    QMouseEvent left(QEvent::MouseButtonPress, at, dialog->movie().mapToGlobal(at), Qt::LeftButton,
                     Qt::LeftButton, {});
    EXPECT_TRUE(dialog->PreTranslateMessage(&right));
    EXPECT_FALSE(dialog->PreTranslateMessage(&left));

    dialog->movie().setFocus();
    QTest::keyClick(&dialog->movie(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// A program without a README anywhere (a build tree moved away from its sources) shows
// no link that would open nothing.
class AboutDlgWithoutReadme : public AboutDlgTest {
protected:
    AboutDlgWithoutReadme() : AboutDlgTest({"", "file:///docs/copyright"}) {}
};

TEST_F(AboutDlgWithoutReadme, ShowsOnlyTheLinksItHas)
{
    ASSERT_EQ(about->links().size(), 1u);
    EXPECT_EQ(about->links()[0].label, "ライセンス");
    QTest::mouseClick(&dialog->movie(), Qt::LeftButton, {}, widgetPoint(QPointF(150, 63)));
    EXPECT_TRUE(opener.urls.empty());
    QTest::mouseClick(&dialog->movie(), Qt::LeftButton, {}, linkCentre(0));
    EXPECT_EQ(opener.urls, std::vector<std::string>{targets.licence});
}

} // namespace
} // namespace zepo
