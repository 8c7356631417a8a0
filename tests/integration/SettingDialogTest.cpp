#include "app/CSettingFile.h"
#include "dialogs/CSettingDlg.h"
#include "platform/DisplayModes.h"
#include "tests/support/RecordingMessageBox.h"

#include <QAbstractItemView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace zepo {
namespace {

class FakeDisplayModes : public DisplayModes {
public:
    std::optional<DisplayMode> current() override { return currentMode; }
    std::optional<DisplayMode> mode(int number) override
    {
        if (number < 0 || number >= static_cast<int>(modes.size()))
            return std::nullopt;
        return modes[number];
    }
    ChangeResult change(const DisplayMode&) override { return ChangeResult::Failed; }
    void restoreStartupMode() override {}

    std::optional<DisplayMode> currentMode = DisplayMode{1024, 768, 32, 60};
    std::vector<DisplayMode> modes;
};

const DisplayMode k1024{1024, 768, 32, 60};
const DisplayMode k800{800, 600, 32, 60};
const DisplayMode k640at60{640, 480, 32, 60};
const DisplayMode k640at75{640, 480, 32, 75};
const DisplayMode k640at16bit{640, 480, 16, 60};

class SettingDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        modes.modes = {k1024, k800, k640at75, k640at60, k640at60};
    }

    std::string executable() const { return folder_.filePath("zepo").toStdString(); }

    // The settings as the file holds them before the dialog opens.
    void storeBeforehand(int restore, int adjustSize, int hideCursor, int changeResolution, int fullSize)
    {
        CSettingFile file(executable(), messages);
        file.Restore = restore;
        file.AdjustSize = adjustSize;
        file.HideCursor = hideCursor;
        file.ChangeResolution = changeResolution;
        file.ResolutionFullSize = fullSize;
        file.Save();
    }

    CSettingDlg& open()
    {
        settings = std::make_unique<CSettingFile>(executable(), messages);
        dialog = std::make_unique<CSettingDlg>(*settings, modes, messages, nullptr);
        dialog->show();
        return *dialog;
    }

    // What a later start would read.
    int fromFile(const char* key, int absent = -999) const
    {
        CSettingFile file(executable(), const_cast<test::RecordingMessageBox&>(messages));
        return file.ReadInt("Setting", key, absent);
    }

    bool fileExists() const { return QFile::exists(folder_.filePath("setting.ini")); }

    CBasicSettingPage& page() { return dialog->basicPage(); }

    QTemporaryDir folder_;
    FakeDisplayModes modes;
    test::RecordingMessageBox messages;
    std::unique_ptr<CSettingFile> settings;
    std::unique_ptr<CSettingDlg> dialog;
};

TEST_F(SettingDialog, CheckBoxesAreCheckedOnlyForOneAndOkStoresZeroOrOne)
{
    storeBeforehand(2, 1, 1, 0, -1);
    CSettingDlg& dlg = open();
    EXPECT_FALSE(page().restoreBox().isChecked());
    EXPECT_TRUE(page().hideCursorBox().isChecked());
    EXPECT_FALSE(page().changeResolutionBox().isChecked());

    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(settings->Restore, 0);
    EXPECT_EQ(fromFile("Restore"), 0);
    EXPECT_EQ(fromFile("HideCursor"), 1);
    EXPECT_EQ(fromFile("ChangeResolution"), 0);
}

TEST_F(SettingDialog, HiddenAdjustSizeSurvivesOkUnchanged)
{
    for (int stored : {0, 1}) {
        storeBeforehand(1, stored, 1, 1, 2);
        CSettingDlg& dlg = open();
        EXPECT_FALSE(page().adjustSizeBox().isVisible());
        EXPECT_TRUE(page().restoreBox().isVisible());
        QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
        EXPECT_EQ(settings->AdjustSize, stored);
        EXPECT_EQ(fromFile("AdjustSize"), stored);
    }
}

TEST_F(SettingDialog, ApplyStaysOpenAndCancelKeepsWhatWasApplied)
{
    storeBeforehand(1, 1, 1, 1, 3);
    CSettingDlg& dlg = open();
    page().hideCursorBox().setChecked(false);
    page().modeList().setCurrentIndex(1);
    QTest::mouseClick(&dlg.applyButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(settings->HideCursor, 0);
    EXPECT_EQ(fromFile("HideCursor"), 0);
    EXPECT_EQ(fromFile("ResolutionFullSize"), 1);

    // Changes after Apply are dropped by Cancel; the applied ones stay.
    page().restoreBox().setChecked(false);
    page().modeList().setCurrentIndex(0);
    QTest::mouseClick(&dlg.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(settings->Restore, 1);
    EXPECT_EQ(settings->HideCursor, 0);
    EXPECT_EQ(settings->ResolutionFullSize, 1);
    EXPECT_EQ(fromFile("Restore"), 1);
    EXPECT_EQ(fromFile("HideCursor"), 0);
    EXPECT_EQ(fromFile("ResolutionFullSize"), 1);
}

TEST_F(SettingDialog, EscapeAndCloseBoxStoreNothingEvenFromInsideThePage)
{
    CSettingDlg& dlg = open();
    page().restoreBox().setChecked(false);
    // Escape in the page's list reaches the dialog, as in any dialog.
    QTest::keyClick(&page().modeList(), Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(settings->Restore, 1);
    EXPECT_FALSE(fileExists());

    CSettingDlg& again = open();
    page().restoreBox().setChecked(false);
    again.close();
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(settings->Restore, 1);
    EXPECT_FALSE(fileExists());
}

TEST_F(SettingDialog, EnterInThePageIsOk)
{
    CSettingDlg& dlg = open();
    page().hideCursorBox().setChecked(false);
    QTest::keyClick(&page().restoreBox(), Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(fromFile("HideCursor"), 0);
}

TEST_F(SettingDialog, NoStoredModeSelectsTheRecommendedOneAndOkStoresIt)
{
    storeBeforehand(1, 1, 1, 1, -1);
    CSettingDlg& dlg = open();
    EXPECT_EQ(dlg.recommendedMode(), 3);
    EXPECT_EQ(page().modeList().currentIndex(), 3);
    EXPECT_EQ(page().recommendedEdit().text().toStdString(), "003 : 640x480 32bit 60Hz");
    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(settings->ResolutionFullSize, 3);
    EXPECT_EQ(fromFile("ResolutionFullSize"), 3);
}

TEST_F(SettingDialog, AStoredModeWinsOverTheRecommendation)
{
    storeBeforehand(1, 1, 1, 1, 0);
    open();
    EXPECT_EQ(page().modeList().currentIndex(), 0);
}

TEST_F(SettingDialog, AStoredModeThatIsNotInTheListSelectsNothingAndStoresMinusOne)
{
    for (int stored : {5, 99, -2}) {
        storeBeforehand(1, 1, 1, 1, stored);
        CSettingDlg& dlg = open();
        EXPECT_EQ(page().modeList().currentIndex(), -1) << stored;
        QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
        EXPECT_EQ(fromFile("ResolutionFullSize"), -1) << stored;
    }
}

TEST_F(SettingDialog, ListsEveryModeInOrderWithItsNumber)
{
    modes.modes.assign(1001, k800);
    modes.modes[7] = k640at16bit;
    modes.modes[1000] = k640at60;
    open();
    ModeListBox& list = page().modeList();
    ASSERT_EQ(list.count(), 1001);
    EXPECT_EQ(list.itemText(0).toStdString(), "000 : 800x600 32bit 60Hz");
    EXPECT_EQ(list.itemText(7).toStdString(), "007 : 640x480 16bit 60Hz");
    EXPECT_EQ(list.itemText(999).toStdString(), "999 : 800x600 32bit 60Hz");
    EXPECT_EQ(list.itemText(1000).toStdString(), "1000 : 640x480 32bit 60Hz");
    EXPECT_EQ(page().recommendedEdit().text().toStdString(), "1000 : 640x480 32bit 60Hz");
    EXPECT_EQ(page().currentEdit().text().toStdString(), "1024x768 32bit 60Hz");
}

TEST_F(SettingDialog, RecommendsTheFirstModeAtTheCurrentRateElseTheLastCandidate)
{
    modes.modes = {k640at16bit, k640at75, k640at60, k800, k640at60};
    open();
    EXPECT_EQ(dialog->recommendedMode(), 2);

    modes.currentMode = DisplayMode{1024, 768, 32, 85};
    open();
    EXPECT_EQ(dialog->recommendedMode(), 4);
    EXPECT_EQ(page().recommendedEdit().text().toStdString(), "004 : 640x480 32bit 60Hz");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(SettingDialog, NoCandidateShowsOneMessageAndRecommendsNothing)
{
    modes.modes = {k1024, k640at16bit, k800};
    CSettingDlg& dlg = open();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"画面モード取得失敗"});
    EXPECT_EQ(dlg.recommendedMode(), -1);
    EXPECT_TRUE(page().recommendedEdit().text().isEmpty());
    EXPECT_EQ(page().modeList().count(), 3);
    EXPECT_EQ(page().modeList().currentIndex(), -1);
    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(fromFile("ResolutionFullSize"), -1);

    messages.texts.clear();
    modes.modes.clear();
    open();
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(page().modeList().count(), 0);
}

TEST_F(SettingDialog, UnknownCurrentDepthIsTakenFromTheScreen)
{
    const int depth = QGuiApplication::primaryScreen()->depth();
    modes.currentMode = DisplayMode{0, 0, 0, 60};
    modes.modes = {DisplayMode{640, 480, depth, 60}};
    open();
    EXPECT_EQ(dialog->recommendedMode(), 0);
    EXPECT_TRUE(page().currentEdit().text().endsWith(QString(" %1bit 60Hz").arg(depth)));
    EXPECT_FALSE(page().currentEdit().text().startsWith("0x0"));
}

TEST_F(SettingDialog, TabsSwitchBetweenThePagesAndKeepTheirContents)
{
    CSettingDlg& dlg = open();
    QTabBar& tabs = dlg.tabControl();
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.tabText(0).toStdString(), "基本設定");
    EXPECT_EQ(tabs.tabText(1).toStdString(), "まだ");
    EXPECT_TRUE(page().isVisible());
    EXPECT_FALSE(dlg.sparePage().isVisible());

    page().restoreBox().setChecked(false);
    const QString current = page().currentEdit().text();
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_FALSE(page().isVisible());
    EXPECT_TRUE(dlg.sparePage().isVisible());
    auto* text = dlg.sparePage().findChild<QLabel*>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text().toStdString(), "そのうち作ります");
    EXPECT_TRUE(text->isVisible());

    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(0).center());
    EXPECT_TRUE(page().isVisible());
    EXPECT_FALSE(dlg.sparePage().isVisible());
    EXPECT_FALSE(page().restoreBox().isChecked());
    EXPECT_EQ(page().currentEdit().text(), current);

    // OK on the spare tab still stores the basic page.
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(fromFile("Restore"), 0);
}

TEST_F(SettingDialog, OpenedModeListIsAtMostTwoHundredPixelsTall)
{
    modes.modes.assign(60, k800);
    open();
    ModeListBox& list = page().modeList();
    list.showPopup();
    QWidget* popup = list.view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_LE(popup->height(), 200);
    EXPECT_GE(popup->height(), 200 - list.view()->sizeHintForRow(0) - 8);
    list.hidePopup();
}

} // namespace
} // namespace zepo
