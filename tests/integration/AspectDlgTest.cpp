#include "bridge/CShockwaveFlash.h"
#include "dialogs/CAspectDlg.h"
#include "platform/ManualClock.h"
#include "tests/support/RecordingMovie.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zepo {
namespace {

using Log = std::vector<std::string>;

// The aspect-ratio dialog over a player control whose movie records what it is sent.
class AspectDlgTest : public ::testing::Test {
protected:
    AspectDlgTest()
    {
        auto movie = std::make_unique<test::RecordingMovie>(clock, *movieSlot(kPlayerMovieControl), log, "player");
        movie->preset("m_width", "352");
        movie->preset("m_height", "240");
        control.loadMovie(std::move(movie));
        dialog = std::make_unique<CAspectDlg>(control);
        dialog->show();
        log->clear();
    }

    void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(4, button.height() / 2)); }
    void choose(int choice) { click(*dialog->choiceButtons().button(choice)); }
    // Replaces an edit's text as the user would: select all, type.
    void type(QLineEdit& edit, const QString& text)
    {
        edit.setFocus();
        edit.selectAll();
        if (text.isEmpty())
            QTest::keyClick(&edit, Qt::Key_Delete);
        else
            QTest::keyClicks(&edit, text);
    }
    Log sent(const std::string& width, const std::string& height) const
    {
        return {"player.set m_width=" + width, "player.set m_height=" + height, "player.goto aspect"};
    }

    ManualClock clock;
    std::shared_ptr<Log> log = std::make_shared<Log>();
    CShockwaveFlash control;
    std::unique_ptr<CAspectDlg> dialog;
};

TEST_F(AspectDlgTest, OpensOnCustomWithTheMoviesCurrentPair)
{
    EXPECT_EQ(dialog->choiceButtons().checkedId(), CAspectDlg::Custom);
    EXPECT_EQ(dialog->widthEdit().text(), "352");
    EXPECT_EQ(dialog->heightEdit().text(), "240");
    EXPECT_TRUE(log->empty());
}

TEST_F(AspectDlgTest, EachFixedChoiceIsSentByApplyAndTheDialogStaysOpen)
{
    const std::pair<std::string, std::string> pairs[] = {{"320", "240"}, {"352", "240"}, {"320", "180"}};
    for (int choice = 1; choice <= 3; ++choice) {
        log->clear();
        choose(choice);
        EXPECT_EQ(dialog->choiceButtons().checkedId(), choice);
        click(dialog->applyButton());
        EXPECT_EQ(*log, sent(pairs[choice - 1].first, pairs[choice - 1].second)) << choice;
        EXPECT_TRUE(dialog->isVisible());
    }
}

TEST_F(AspectDlgTest, TypingInEitherEditSelectsCustom)
{
    choose(CAspectDlg::Ratio320x180);
    QTest::keyClicks(&dialog->widthEdit(), "0");
    EXPECT_EQ(dialog->choiceButtons().checkedId(), CAspectDlg::Custom);
    EXPECT_EQ(dialog->widthEdit().text(), "3520");

    choose(CAspectDlg::Ratio320x240);
    QTest::keyClick(&dialog->heightEdit(), Qt::Key_Backspace);
    EXPECT_EQ(dialog->choiceButtons().checkedId(), CAspectDlg::Custom);
    EXPECT_TRUE(log->empty());
}

TEST_F(AspectDlgTest, CustomPairsAreSentAsTheirLeadingNumbersUnlessOneIsZero)
{
    struct Case {
        QString width, height;
        Log expected;
    };
    const std::vector<Case> cases = {
        {"16", "9", sent("16", "9")},
        {"016", "9", sent("16", "9")},
        {"16:9", " 9px", sent("16", "9")},
        {"-4", "3", sent("-4", "3")},
        {"abc", "9", {}},
        {"16", "0", {}},
        {"", "9", {}},
    };
    for (const Case& c : cases) {
        log->clear();
        type(dialog->widthEdit(), c.width);
        type(dialog->heightEdit(), c.height);
        click(dialog->applyButton());
        EXPECT_EQ(*log, c.expected) << c.width.toStdString() << " / " << c.height.toStdString();
    }
}

TEST_F(AspectDlgTest, OkSendsAndClosesCancelKeepsWhatApplySent)
{
    choose(CAspectDlg::Ratio320x180);
    click(dialog->applyButton());
    choose(CAspectDlg::Ratio320x240);
    click(dialog->cancelButton());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(*log, sent("320", "180"));
    EXPECT_EQ(control.GetVariable("m_width"), "320");
    EXPECT_EQ(control.GetVariable("m_height"), "180");

    // A fresh opening starts from the movie's values; OK sends, then closes.
    CAspectDlg again(control);
    again.show();
    EXPECT_EQ(again.widthEdit().text(), "320");
    EXPECT_EQ(again.heightEdit().text(), "180");
    log->clear();
    click(*again.choiceButtons().button(CAspectDlg::Ratio352x240));
    click(again.okButton());
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(*log, sent("352", "240"));
}

} // namespace
} // namespace zepo
