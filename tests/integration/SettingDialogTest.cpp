#include "settings/CSettingFile.h"
#include "dialogs/CSettingDlg.h"
#include "platform/DialogUnits.h"
#include "platform/DisplayModes.h"
#include "res/DialogTemplates.h"
#include "tests/support/RecordingMessageBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFontInfo>
#include <QRawFont>
#include <QScreen>
#include <QTemporaryDir>
#include <QStyleOptionComboBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace zepo {
namespace {

class FakeDisplayModes : public DisplayModes {
public:
    std::optional<DisplayMode> current() override { return currentMode; }
    std::optional<DisplayMode> mode(int n) override
    {
        return n >= 0 && n < static_cast<int>(modes.size()) ? std::optional(modes[n]) : std::nullopt;
    }
    ChangeResult change(const DisplayMode&) override { return ChangeResult::Failed; }
    void restoreStartupMode() override {}

    std::optional<DisplayMode> currentMode = DisplayMode{1024, 768, 32, 60};
    std::vector<DisplayMode> modes;
};

const DisplayMode k800{800, 600, 32, 60};
const DisplayMode k640at60{640, 480, 32, 60};
const DisplayMode k640at75{640, 480, 32, 75};
const DisplayMode k640at16bit{640, 480, 16, 60};

// Under a real X server: time for the window manager to frame the dialog and for the
// server to draw a changed page before the screen is read.
constexpr int kRepaintMs = 300;
// A busy machine can take seconds to map a window on a real X server.
constexpr int kExposeTimeoutMs = 20000;

struct ShownText {
    QWidget* widget;
    QString text;
};

std::vector<ShownText> visibleTexts(QWidget& dialog)
{
    std::vector<ShownText> texts{{&dialog, dialog.windowTitle()}};
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        for (const char* property : {"text", "title", "currentText"})
            if (const QVariant text = w->property(property); text.isValid())
                texts.push_back({w, text.toString()});
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts.push_back({w, tabs->tabText(i)});
    }
    return texts;
}

// The characters of the texts that the resolved font of their control cannot draw.
QString missingGlyphs(const std::vector<ShownText>& texts)
{
    QString missing;
    for (const ShownText& shown : texts) {
        const QRawFont font = QRawFont::fromFont(shown.widget->font());
        for (const QChar c : shown.text) {
            if (c != QLatin1Char('\n') && !font.supportsCharacter(c))
                missing += c;
        }
    }
    return missing;
}

// Under a real X server the window manager's frame is part of the picture too.
void savePicture(QWidget& dialog, const QString& name)
{
    const QString folder = QStringLiteral(ZEPO_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    QPixmap picture = dialog.grab();
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        QTest::qWait(kRepaintMs);
        const QRect frame = dialog.frameGeometry();
        picture = dialog.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    }
    EXPECT_TRUE(picture.save(folder + "/" + name));
}

class SettingDialog : public ::testing::Test {
protected:
    void SetUp() override { modes.modes = {k800, k640at16bit, k640at75, k640at60, k640at60}; }

    // The five values as the file holds them before the dialog opens.
    void storeBeforehand(int restore, int adjustSize, int hideCursor, int changeResolution, int fullSize)
    {
        CSettingFile file(executable(), messages);
        file.Restore = restore, file.AdjustSize = adjustSize, file.HideCursor = hideCursor;
        file.ChangeResolution = changeResolution, file.ResolutionFullSize = fullSize;
        file.Save();
    }

    CSettingDlg& open()
    {
        dialog.reset();
        settings = std::make_unique<CSettingFile>(executable(), messages);
        dialog = std::make_unique<CSettingDlg>(*settings, modes, messages, nullptr);
        dialog->show();
        return *dialog;
    }

    // What the next start reads.
    int inFile(const char* key)
    {
        return CSettingFile(executable(), messages).ReadInt("Setting", key, -999);
    }

    std::string executable() const { return folder_.filePath("zepo").toStdString(); }
    CBasicSettingPage& page() { return dialog->basicPage(); }

    QTemporaryDir folder_;
    FakeDisplayModes modes;
    test::RecordingMessageBox messages;
    std::unique_ptr<CSettingFile> settings;
    std::unique_ptr<CSettingDlg> dialog;
};

TEST_F(SettingDialog, ChecksOnlyOnesAndOkStoresZeroOrOneKeepingTheHiddenBox)
{
    for (int adjustSize : {0, 1}) {
        storeBeforehand(2, adjustSize, 1, 0, 0);
        CSettingDlg& dlg = open();
        EXPECT_FALSE(page().restoreBox().isChecked());
        EXPECT_TRUE(page().hideCursorBox().isChecked());
        EXPECT_FALSE(page().adjustSizeBox().isVisible());
        QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(settings->Restore, 0);
        EXPECT_EQ(inFile("Restore"), 0);
        EXPECT_EQ(inFile("AdjustSize"), adjustSize);
        EXPECT_EQ(inFile("HideCursor"), 1);
        EXPECT_EQ(inFile("ChangeResolution"), 0);
    }
}

TEST_F(SettingDialog, ApplyStaysOpenAndCancelKeepsOnlyWhatWasApplied)
{
    CSettingDlg& dlg = open();
    page().hideCursorBox().setChecked(false);
    page().modeList().setCurrentIndex(1);
    QTest::mouseClick(&dlg.applyButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(inFile("HideCursor"), 0);

    page().restoreBox().setChecked(false);
    QTest::mouseClick(&dlg.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(settings->HideCursor, 0);
    EXPECT_EQ(settings->ResolutionFullSize, 1);
    EXPECT_EQ(settings->Restore, 1);
    EXPECT_EQ(inFile("ResolutionFullSize"), 1);
    EXPECT_EQ(inFile("Restore"), 1);
}

TEST_F(SettingDialog, EscapeAndCloseBoxStoreNothingAndEnterInThePageIsOk)
{
    open();
    page().restoreBox().setChecked(false);
    // Keys the page does not use go to the dialog, as in any dialog.
    QTest::keyClick(&page().modeList(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    open();
    page().restoreBox().setChecked(false);
    dialog->close();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(settings->Restore, 1);
    EXPECT_EQ(inFile("Restore"), -999);

    open();
    page().restoreBox().setChecked(false);
    QTest::keyClick(&page().hideCursorBox(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(inFile("Restore"), 0);
}

TEST_F(SettingDialog, NoStoredModeSelectsTheRecommendedOneAndOkStoresIt)
{
    CSettingDlg& dlg = open();
    EXPECT_EQ(page().modeList().currentIndex(), 3);
    EXPECT_EQ(page().recommendedEdit().text().toStdString(), "003 : 640x480 32bit 60Hz");
    EXPECT_EQ(page().currentEdit().text().toStdString(), "1024x768 32bit 60Hz");
    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(inFile("ResolutionFullSize"), 3);
}

TEST_F(SettingDialog, AStoredModeOutsideTheListSelectsNothingAndStoresMinusOne)
{
    for (int stored : {5, 99, -2}) {
        storeBeforehand(1, 1, 1, 1, stored);
        CSettingDlg& dlg = open();
        EXPECT_EQ(page().modeList().currentIndex(), -1) << stored;
        QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
        EXPECT_EQ(inFile("ResolutionFullSize"), -1) << stored;
    }
}

TEST_F(SettingDialog, ListsEveryModeWithItsNumberOfAtLeastThreeDigits)
{
    modes.modes.assign(1001, k800);
    modes.modes[7] = k640at16bit;
    modes.modes[1000] = k640at60;
    open();
    ModeListBox& list = page().modeList();
    ASSERT_EQ(list.count(), 1001);
    EXPECT_EQ(list.itemText(7).toStdString(), "007 : 640x480 16bit 60Hz");
    EXPECT_EQ(list.itemText(999).toStdString(), "999 : 800x600 32bit 60Hz");
    EXPECT_EQ(list.itemText(1000).toStdString(), "1000 : 640x480 32bit 60Hz");
    EXPECT_EQ(list.currentIndex(), 1000);
}

TEST_F(SettingDialog, RecommendsTheFirstModeAtTheCurrentRateElseTheLastCandidate)
{
    open();
    EXPECT_EQ(dialog->recommendedMode(), 3);
    modes.currentMode = DisplayMode{1024, 768, 32, 85};
    open();
    EXPECT_EQ(dialog->recommendedMode(), 4);
    EXPECT_TRUE(messages.texts.empty());

    // A platform that cannot tell the depth: the screen's depth counts.
    const int depth = QGuiApplication::primaryScreen()->depth();
    modes.currentMode = DisplayMode{0, 0, 0, 60};
    modes.modes = {DisplayMode{640, 480, depth, 60}};
    open();
    EXPECT_EQ(dialog->recommendedMode(), 0);
}

TEST_F(SettingDialog, NoCandidateShowsOneMessageAndRecommendsNothing)
{
    modes.modes = {k800, k640at16bit};
    CSettingDlg& dlg = open();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"画面モード取得失敗"});
    EXPECT_TRUE(page().recommendedEdit().text().isEmpty());
    EXPECT_EQ(page().modeList().count(), 2);
    EXPECT_EQ(page().modeList().currentIndex(), -1);
    QTest::mouseClick(&dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(inFile("ResolutionFullSize"), -1);
}

TEST_F(SettingDialog, TabsSwitchPagesAndTheBasicPageKeepsItsState)
{
    CSettingDlg& dlg = open();
    QTabBar& tabs = dlg.tabControl();
    page().restoreBox().setChecked(false);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    EXPECT_FALSE(page().isVisible());
    ASSERT_TRUE(dlg.sparePage().isVisible());
    EXPECT_EQ(dlg.sparePage().findChild<QLabel*>()->text().toStdString(), "そのうち作ります");

    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(0).center());
    EXPECT_TRUE(page().isVisible());
    EXPECT_FALSE(dlg.sparePage().isVisible());
    EXPECT_FALSE(page().restoreBox().isChecked());
    EXPECT_EQ(page().recommendedEdit().text().toStdString(), "003 : 640x480 32bit 60Hz");
}

TEST_F(SettingDialog, OpenedModeListIsAtMostTwoHundredPixelsTall)
{
    modes.modes.assign(60, k800);
    open();
    ModeListBox& list = page().modeList();
    list.showPopup();
    const int height = list.view()->window()->height();
    list.hidePopup();
    EXPECT_LE(height, 200);
    EXPECT_GE(height, 200 - 2 * list.view()->sizeHintForRow(0));
}

TEST_F(SettingDialog, OpenedModeListShowsEveryLineWhole)
{
    modes.modes.assign(60, DisplayMode{1280, 1024, 32, 60});
    modes.modes.push_back(DisplayMode{10240, 10240, 32, 144});
    open();
    ModeListBox& list = page().modeList();
    list.showPopup();
    const int shown = list.view()->viewport()->width();
    const int widest = list.view()->sizeHintForColumn(0);
    list.hidePopup();
    EXPECT_GE(shown, widest);
}

TEST_F(SettingDialog, ClosedModeListShowsItsEntryWholeInsideThePage)
{
    modes.modes = {k640at75, DisplayMode{10240, 10240, 32, 144}, k800};
    open();
    ModeListBox& list = page().modeList();
    for (int i = 0; i < list.count(); ++i) {
        list.setCurrentIndex(i);
        QStyleOptionComboBox option;
        option.initFrom(&list);
        option.editable = false;
        option.currentText = list.currentText();
        const QRect field = list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list);
        EXPECT_GE(field.width(), list.fontMetrics().horizontalAdvance(list.currentText()))
            << list.currentText().toStdString() << " in a box " << list.width() << " wide";
    }
    // Still beside its label and inside the full-screen group, which grows with it, as do
    // the page and the dialog.
    const QRect group = page().findChild<QGroupBox*>()->geometry();
    EXPECT_LT(list.geometry().right(), group.right());
    EXPECT_LE(group.right(), page().width());
    EXPECT_LE(page().mapTo(dialog.get(), QPoint(page().width(), 0)).x(), dialog->width());
    EXPECT_EQ(list.x(), DialogUnits().rectOf(tmpl::kBasicModeList.rect).x());
}

// The dialog as it opens, on both pages: its Japanese texts can be drawn by the font each
// control resolves to (a missing glyph would show as a box). The pictures go to the build
// folder for a person to compare with the dialog's template.
TEST_F(SettingDialog, JapaneseTextsHaveGlyphsInTheDialogFontOnBothPages)
{
    CSettingDlg& dlg = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, kExposeTimeoutMs));
    // The dialog font itself, or its metric-compatible stand-in; not some fallback.
    const QString family = QFontInfo(dlg.font()).family();
    EXPECT_TRUE(family.compare(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive) == 0
                || family == QStringLiteral("ＭＳ Ｐゴシック"))
        << "resolved family: " << family.toStdString();

    const auto basic = visibleTexts(dlg);
    EXPECT_GE(basic.size(), 14u);
    EXPECT_EQ(missingGlyphs(basic).toStdString(), "");
    savePicture(dlg, "settings-basic.png");

    dlg.tabControl().setCurrentIndex(1);
    EXPECT_EQ(missingGlyphs(visibleTexts(dlg)).toStdString(), "");
    savePicture(dlg, "settings-spare.png");
}

} // namespace
} // namespace zepo
