#include "movies/PlayListView.h"
#include "platform/PathText.h"
#include "playlist/SavePathDialog.h"
#include "tests/support/PlaylistPlayerHarness.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sstream>

namespace zepo {
namespace {

using Paths = std::vector<std::string>;

class ScriptedSaveDialog : public SavePathDialog {
public:
    std::optional<std::string> askSavePath(QWidget* owner) override
    {
        ++asked;
        askedOwner = owner;
        return answer;
    }
    std::optional<std::string> answer;
    int asked = 0;
    QWidget* askedOwner = nullptr;
};

class PlayListWindowTest : public ::testing::Test, protected test::PlaylistPlayerHarness {
protected:
    void SetUp() override
    {
        playlist().setSavePathDialog(&saveDialog);
        playlist().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&playlist()));
    }

    PlayListView& view() { return *listMovie().view(); }
    void addFiles(std::initializer_list<const char*> names)
    {
        std::vector<std::string> paths;
        for (const char* name : names)
            paths.push_back(flv(name));
        player->AddFiles(paths, AddMode::Append);
        settle();
    }
    void clickRow(PlayListColumn& column, int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = column.rowRect(row);
        ASSERT_FALSE(rect.isEmpty()) << "row " << row << " is out of view";
        QTest::mouseClick(column.viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void click(PlayListButton which) { QTest::mouseClick(&view().button(which), Qt::LeftButton); }
    // The file names of the rows the file column shows.
    Paths labels()
    {
        Paths out;
        for (int i = 0; i < view().fileColumn().rowCount(); ++i)
            out.emplace_back(listMovie().entries()[i].label());
        return out;
    }
    // Which rows the file column paints as selected, read off its pixels.
    std::vector<bool> paintedSelection()
    {
        PlayListColumn& files = view().fileColumn();
        const QImage image = files.viewport()->grab().toImage();
        std::vector<bool> selected;
        for (int i = 0; i < files.rowCount(); ++i)
            selected.push_back(image.pixelColor(1, files.rowRect(i).center().y()) == QColor(0x2d, 0x52, 0x7f));
        return selected;
    }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    ScriptedSaveDialog saveDialog;
};

TEST_F(PlayListWindowTest, TheColumnsShowTheListAndClicksSelectAndPlay)
{
    addFiles({"a.flv", "b.flv", "c.flv"});
    EXPECT_EQ(labels(), (Paths{"a.flv", "b.flv", "c.flv"}));
    EXPECT_EQ(view().stateColumn().rowCount(), 3);

    clickRow(view().fileColumn(), 2);
    EXPECT_EQ(listMovie().selectedRow(), 2);
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(fromQt(view().selectedText().text()), path("c.flv"));
    clock.advance(200);
    clickRow(view().fileColumn(), 2);
    EXPECT_EQ(player->windowTitle(), "c.flv - ZEPO");

    clickRow(view().stateColumn(), 1);
    EXPECT_EQ(listMovie().entries()[1].state, playstate::Done);
    EXPECT_EQ(listMovie().selectedRow(), 1);
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, true, false}));
}

TEST_F(PlayListWindowTest, CtrlAndShiftClicksSelectSeveralRowsAndTheButtonsActOnTheLastOne)
{
    addFiles({"a.flv", "b.flv", "c.flv", "d.flv", "e.flv"});
    clickRow(view().fileColumn(), 1);
    clickRow(view().fileColumn(), 3, Qt::ControlModifier);
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(listMovie().selectedRow(), 3);
    EXPECT_EQ(fromQt(view().selectedText().text()), path("d.flv"));

    clickRow(view().fileColumn(), 4, Qt::ShiftModifier);
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(listMovie().selectedRow(), 4);

    // Delete takes the selected index only, and its neighbour is selected alone.
    click(PlayListButton::Delete);
    EXPECT_EQ(labels(), (Paths{"a.flv", "b.flv", "c.flv", "d.flv"}));
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, false, false, true}));

    clickRow(view().fileColumn(), 0, Qt::ControlModifier);
    click(PlayListButton::Play);
    EXPECT_EQ(player->windowTitle(), "a.flv - ZEPO");
}

TEST_F(PlayListWindowTest, DeleteAndArrowKeysActOnTheSelection)
{
    addFiles({"a.flv", "b.flv", "c.flv"});
    view().fileColumn().setFocus();
    QTest::keyClick(&view().fileColumn(), Qt::Key_Down);
    QTest::keyClick(&view().fileColumn(), Qt::Key_Down);
    EXPECT_EQ(listMovie().selectedRow(), 1);
    QTest::keyClick(&view().fileColumn(), Qt::Key_Delete);
    EXPECT_EQ(labels(), (Paths{"a.flv", "c.flv"}));
    EXPECT_EQ(listMovie().selectedRow(), 1);
    QTest::keyClick(&view().fileColumn(), Qt::Key_Up);
    EXPECT_EQ(listMovie().selectedRow(), 0);
    QTest::keyClick(&view().fileColumn(), Qt::Key_Escape);
    QTest::keyClick(&view().fileColumn(), Qt::Key_Return);
    EXPECT_TRUE(playlist().isVisible()) << "Escape and Enter never close the playlist window";
}

TEST_F(PlayListWindowTest, ButtonsPlayDeleteAndMoveTheSelection)
{
    addFiles({"a.flv", "b.flv", "c.flv"});
    const char* captions[] = {"再生", "消去", "上へ", "下へ", "保存"};
    for (int i = 0; i < kPlayListButtonCount; ++i)
        EXPECT_EQ(view().button(static_cast<PlayListButton>(i)).text(), captions[i]);

    clickRow(view().fileColumn(), 2);
    click(PlayListButton::Up);
    EXPECT_EQ(labels(), (Paths{"a.flv", "c.flv", "b.flv"}));
    EXPECT_EQ(paintedSelection(), (std::vector<bool>{false, true, false}));
    click(PlayListButton::Play);
    EXPECT_EQ(player->windowTitle(), "c.flv - ZEPO");
    click(PlayListButton::Down);
    EXPECT_EQ(labels(), (Paths{"a.flv", "b.flv", "c.flv"}));
    EXPECT_EQ(listMovie().listCount(), 2);
    click(PlayListButton::Delete);
    EXPECT_EQ(labels(), (Paths{"a.flv", "b.flv"}));
    EXPECT_TRUE(listMovie().currentDeleted());
}

TEST_F(PlayListWindowTest, SaveButtonWritesTheListWhereTheUserChose)
{
    addFiles({"a.flv", "b c.flv"});
    saveDialog.answer = path("saved.zepo");
    click(PlayListButton::Save);
    EXPECT_EQ(saveDialog.askedOwner, player);
    EXPECT_EQ(read(path("saved.zepo")), "[PlayList]\r\n" + path("a.flv") + "\r\n" + path("b c.flv") + "\r\n");

    // Loading the saved list gives the same entries.
    player->AddFiles({path("saved.zepo")}, AddMode::Replace);
    EXPECT_EQ(entries(), (Paths{path("a.flv"), path("b c.flv")}));

    saveDialog.answer.reset(); // cancelled: nothing written, nothing said
    write("kept.zepo", "earlier");
    click(PlayListButton::Save);
    EXPECT_EQ(read(path("kept.zepo")), "earlier");
    EXPECT_TRUE(messages.texts.empty());

    saveDialog.answer = path("no/such/folder/list.zepo");
    click(PlayListButton::Save);
    EXPECT_EQ(messages.texts, Paths{"書き込み失敗"});
    EXPECT_EQ(saveDialog.asked, 3);
}

TEST_F(PlayListWindowTest, DropsAreAppendedInOrderAndMissingPathsReported)
{
    addFiles({"old.flv"});
    flv("dropped/x.flv");
    flv("dropped/inner/y.flv");
    const std::string a = flv("a.flv"), b = flv("b.flv");
    playlist().OnDropFiles({path("dropped"), a, path("vanished.flv"), "\"" + b + "\""});
    EXPECT_EQ(entries(), (Paths{path("old.flv"), path("dropped/inner/y.flv"), path("dropped/x.flv"), a, b}));
    EXPECT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n" + path("vanished.flv")});
}

TEST_F(PlayListWindowTest, DroppedNamesThatAreNotUtf8KeepTheirBytes)
{
    // "テスト" in Shift-JIS: a drop carries it percent-encoded.
    const std::string name = "\x83\x65\x83\x58\x83\x67";
    const std::string there = flv(name + ".flv");
    const std::string gone = path(name + "-gone.flv");
    QMimeData data;
    const auto url = [](const std::string& bytes) {
        return QUrl::fromEncoded("file://" + QByteArray::fromStdString(bytes).toPercentEncoding("/"));
    };
    data.setUrls({url(there), url(gone)});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&playlist(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&playlist(), &drop);
    EXPECT_EQ(entries(), Paths{there});
    // The box shows the name as the title shows it: the same bytes, the same conversion.
    EXPECT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n" + gone});
}

// Names from a Windows archive (Shift-JIS) or an older Unix system (EUC-JP) are shown in
// Japanese in the list, the title and message boxes, and still open by their bytes.
TEST_F(PlayListWindowTest, JapaneseNamesThatAreNoUtf8ShowDecodedAndOpenByTheirBytes)
{
    const std::string shiftJis = flv("ビデオ/\x83\x65\x83\x58\x83\x67.flv");
    const std::string eucJp = flv("\xA5\xC6\xA5\xB9\xA5\xC8.flv");
    const std::string garbage = flv("\xFF\xFE.flv");
    const std::string gone = path("ビデオ/\x83\x65\x83\x58\x83\x67-gone.flv");
    player->AddFiles({shiftJis, eucJp, garbage, gone}, AddMode::Replace);
    EXPECT_EQ(entries(), (Paths{shiftJis, eucJp, garbage}));
    EXPECT_EQ(view().rowText(0), QString::fromUtf8("テスト.flv"));
    EXPECT_EQ(view().rowText(1), QString::fromUtf8("テスト.flv"));
    EXPECT_EQ(view().rowText(2), QString::fromUtf8("\uFFFD\uFFFD.flv"));
    EXPECT_EQ(player->windowTitle(), QString::fromUtf8("テスト.flv - ZEPO"));
    EXPECT_EQ(player->playerControl().GetVariable("flv_file"), shiftJis);
    ASSERT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n" + gone});
    EXPECT_EQ(toQt(messages.texts.front()),
              QString::fromUtf8("ファイル取得失敗 ：\n") + toQt(path("")) + QString::fromUtf8("ビデオ/テスト-gone.flv"));
    clickRow(view().fileColumn(), 0);
    EXPECT_TRUE(view().selectedText().text().endsWith(QString::fromUtf8("/ビデオ/テスト.flv")));
}

TEST_F(PlayListWindowTest, ANameWithALineBreakIsDrawnOnOneLine)
{
    addFiles({"two\nlines.flv", "next.flv"});
    EXPECT_EQ(view().rowText(0), QString::fromUtf8("two␊lines.flv"));
    EXPECT_EQ(view().rowText(1), QString::fromUtf8("next.flv"));
    // The path itself keeps its line break.
    EXPECT_EQ(labels().front(), "two\nlines.flv");
}

TEST_F(PlayListWindowTest, TheStateColumnScrollsWithTheFileColumn)
{
    playlist().resize(250, 350);
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(flv(std::to_string(100 + i) + ".flv"));
    player->AddFiles(paths, AddMode::Append);
    settle();
    PlayListColumn& files = view().fileColumn();
    const int first = listMovie().firstVisibleRow();
    EXPECT_GT(first, 0);
    EXPECT_EQ(files.verticalScrollBar()->value(), first);
    EXPECT_EQ(view().stateColumn().verticalScrollBar()->value(), first);
    EXPECT_TRUE(files.viewport()->rect().contains(files.rowRect(39))) << "the last row shows whole";
    EXPECT_FALSE(files.rowRect(39).isEmpty());
    EXPECT_EQ(files.verticalScrollBar()->maximum(), first) << "the movie and the widget agree on the end";

    files.verticalScrollBar()->setValue(3);
    EXPECT_EQ(listMovie().firstVisibleRow(), 3);
    EXPECT_EQ(view().stateColumn().verticalScrollBar()->value(), 3);
    view().stateColumn().verticalScrollBar()->setValue(5); // the wheel over the state column
    EXPECT_EQ(listMovie().firstVisibleRow(), 5);
    EXPECT_EQ(files.verticalScrollBar()->value(), 5);
}

TEST_F(PlayListWindowTest, EntriesAddedWhileTheWindowIsHiddenShowScrolledToTheEnd)
{
    playlist().hide();
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(flv(std::to_string(100 + i) + ".flv"));
    player->AddFiles(paths, AddMode::Append);
    settle();
    playlist().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&playlist()));
    QCoreApplication::processEvents();
    PlayListColumn& files = view().fileColumn();
    EXPECT_GT(listMovie().firstVisibleRow(), 0);
    EXPECT_EQ(files.verticalScrollBar()->value(), listMovie().firstVisibleRow());
    EXPECT_EQ(view().stateColumn().verticalScrollBar()->value(), listMovie().firstVisibleRow());
    EXPECT_FALSE(files.rowRect(39).isEmpty());
    EXPECT_TRUE(files.viewport()->rect().contains(files.rowRect(39)));
}

// Bytes the heap has handed out and not taken back; nothing where a sanitizer's
// allocator stands in for the C library's (it keeps its own books).
std::optional<std::size_t> liveHeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return std::nullopt;
#else
    return ::mallinfo2().uordblks;
#endif
}

TEST_F(PlayListWindowTest, AListedEntryCostsLittleMoreThanItsPath)
{
    // Entries enough that the list's own cost stands out from the heap's other traffic.
    constexpr int kEntries = 5000;
    // What an entry may cost beyond its path's bytes: its record, the heap's overhead
    // for the path, the list's spare capacity; anything a row kept of its own is more.
    constexpr std::size_t kOverheadPerEntry = 256;
    playlist().resize(250, 350);
    const std::string video = flv("番組 第1話 (1280x720).flv");
    const auto append = [&] {
        playlist().movie().SetVariable("FromMFC_mc.flv_path", video);
        playlist().movie().TGotoLabel(kCommandClip, "addList");
    };
    append(); // shown once, so that fonts and glyphs are loaded before counting
    settle();
    QCoreApplication::processEvents();
    playlist().StartNewList();
    const auto before = liveHeapBytes();
    if (!before)
        GTEST_SKIP() << "the heap keeps no count under a sanitizer";

    for (int i = 0; i < kEntries; ++i)
        append();
    for (int frame = 0; listMovie().queuedPaths() > 0; ++frame) {
        clock.advance(kFrameMs);
        if (frame % 50 == 0)
            QCoreApplication::processEvents(); // the window paints as the list fills
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(listMovie().entries().size(), std::size_t(kEntries));
    const double perEntry = (double(*liveHeapBytes()) - double(*before)) / kEntries;
    EXPECT_LT(perEntry, double(video.size() + kOverheadPerEntry));
}

TEST_F(PlayListWindowTest, ResizingTheWindowLaysTheMovieOutAgain)
{
    playlist().resize(300, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(playlist().movie().geometry(), QRect(0, 0, 300, 500));
    EXPECT_EQ(view().fileColumn().geometry(), QRect(18, 0, 282, 450));
    EXPECT_EQ(view().stateColumn().geometry(), QRect(0, 0, 20, 450));
    EXPECT_EQ(view().selectedText().geometry(), QRect(0, 449, 300, 20));
    EXPECT_EQ(view().button(PlayListButton::Play).mapTo(&playlist().movie(), QPoint(0, 0)), QPoint(5, 474));
}

// The desktop's save dialog, answered by a timer that finds it.
std::optional<std::string> answerSaveDialog(const std::function<void(QFileDialog&)>& answer)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            answer(*dialog);
        }
    });
    poll.start(10);
    QtSavePathDialog desktop;
    return desktop.askSavePath(nullptr);
}

TEST(DesktopSaveDialog, ProposesPlaylistZepoAndAddsTheExtension)
{
    QTemporaryDir dir;
    const auto chosen = answerSaveDialog([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList{"ZEPO プレイリスト (*.zepo)"});
        EXPECT_EQ(dialog.defaultSuffix(), "zepo");
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        ASSERT_FALSE(dialog.selectedFiles().isEmpty());
        EXPECT_TRUE(dialog.selectedFiles().first().endsWith("/playlist.zepo"));
        dialog.setDirectory(dir.path());
        dialog.selectFile("mine");
        // What the Save button does.
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(chosen, fromQt(dir.path()) + "/mine.zepo");

    EXPECT_EQ(answerSaveDialog([](QFileDialog& dialog) { dialog.reject(); }), std::nullopt);
}

} // namespace
} // namespace zepo
