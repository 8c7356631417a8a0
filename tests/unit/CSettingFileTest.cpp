#include "settings/CSettingFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingMessageBox.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zepo::test {
namespace {

// The warnings logged while it lives.
class LoggedWarnings {
public:
    LoggedWarnings() { previous_ = qInstallMessageHandler(&LoggedWarnings::record); }
    ~LoggedWarnings()
    {
        qInstallMessageHandler(previous_);
        lines().clear();
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> recorded;
        return recorded;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            lines().push_back(text.toStdString());
    }
    QtMessageHandler previous_ = nullptr;
};

class SettingFile : public ::testing::Test {
protected:
    std::string folder() const { return dir.path().toStdString(); }
    std::string iniPath() const { return folder() + "/setting.ini"; }
    std::string iniText() const { return fileBytes(iniPath()); }
    void writeIni(const std::string& content) const { std::ofstream(iniPath(), std::ios::binary) << content; }
    bool iniExists() const
    {
        struct stat info {};
        return ::stat(iniPath().c_str(), &info) == 0;
    }

    QTemporaryDir dir;
    RecordingMessageBox messages;
};

TEST_F(SettingFile, FirstStartHasTheDefaultsAndCreatesNoFile)
{
    CSettingFile settings(folder() + "/zepo", messages);
    EXPECT_EQ(settings.path(), iniPath());
    EXPECT_EQ((std::vector<int>{settings.Restore, settings.AdjustSize, settings.HideCursor, settings.ChangeResolution,
                                settings.ResolutionFullSize}),
              (std::vector<int>{1, 1, 1, 1, -1}));
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), -999);
    EXPECT_EQ(settings.ReadString("PrevInfo", "volume", "100"), "100");
    EXPECT_FALSE(iniExists());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(SettingFile, LoadReadsHandWrittenValuesIncludingRestoreTwoAndOtherLetterCase)
{
    writeIni("[setting]\nrestore=2\nADJUSTSIZE=0\nHideCursor=0\nChangeResolution=0\nResolutionFullSize=3\n");
    CSettingFile settings(folder() + "/zepo", messages);
    EXPECT_EQ(settings.Restore, 2);
    EXPECT_EQ(settings.AdjustSize, 0);
    EXPECT_EQ(settings.HideCursor, 0);
    EXPECT_EQ(settings.ChangeResolution, 0);
    EXPECT_EQ(settings.ResolutionFullSize, 3);
}

TEST_F(SettingFile, IntegersAreReadAsTheirLeadingNumber)
{
    writeIni("[PrevInfo]\nMain_x=-12px\nMain_y=abc\nMain_w= 300\nMain_h=\n");
    CSettingFile settings(folder() + "/zepo", messages);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), -12);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_y", -999), 0);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_w", -999), 300);
    // Present but empty is not absent.
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_h", -999), 0);
}

TEST_F(SettingFile, SaveWritesTheFivePreferencesInOrderAsDecimalText)
{
    CSettingFile settings(folder() + "/zepo", messages);
    settings.Restore = 0;
    settings.ResolutionFullSize = -1;
    settings.Save();
    EXPECT_EQ(iniText(), "[Setting]\r\nRestore=0\r\nAdjustSize=1\r\nHideCursor=1\r\nChangeResolution=1\r\n"
                         "ResolutionFullSize=-1\r\n");
    CSettingFile again(folder() + "/zepo", messages);
    EXPECT_EQ(again.Restore, 0);
    EXPECT_EQ(again.ResolutionFullSize, -1);
}

TEST_F(SettingFile, TextValuesAreReadUpTo259Bytes)
{
    CSettingFile settings(folder() + "/zepo", messages);
    const std::string exact(259, 'a');
    settings.WriteString("PrevInfo", "volume", exact);
    EXPECT_EQ(settings.ReadString("PrevInfo", "volume", "100"), exact);
    settings.WriteString("PrevInfo", "volume", exact + "bcd");
    EXPECT_EQ(settings.ReadString("PrevInfo", "volume", "100"), exact);
}

TEST_F(SettingFile, WithoutExecutablePathTellsTheUserAndTouchesNoFile)
{
    CSettingFile settings(std::nullopt, messages);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"実行ファイルパス取得失敗"});
    EXPECT_TRUE(settings.path().empty());
    EXPECT_EQ(settings.Restore, 1);
    EXPECT_EQ(settings.ResolutionFullSize, -1);
    settings.WriteInt("PrevInfo", "Main_x", 5);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), -999);
}

TEST_F(SettingFile, RefusedWriteIsIgnoredAndTheOldValuesStay)
{
    // A folder where setting.ini should be: the rename over it fails.
    ASSERT_EQ(::mkdir(iniPath().c_str(), 0755), 0);
    CSettingFile settings(folder() + "/zepo", messages);
    settings.WriteInt("PrevInfo", "Main_x", 5);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), -999);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(SettingFile, ABatchOfWritesReplacesTheFileOnceAtItsEnd)
{
    writeIni("[PrevInfo]\r\nMain_x=1\r\n");
    CSettingFile settings(folder() + "/zepo", messages);
    settings.BeginBatch();
    settings.WriteInt("PrevInfo", "Main_x", 10);
    settings.WriteInt("PrevInfo", "Main_y", 20);
    settings.WriteString("PrevInfo", "volume", "55");
    EXPECT_EQ(iniText(), "[PrevInfo]\r\nMain_x=1\r\n") << "nothing is written before the batch ends";
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), 10) << "reads see the batch";
    settings.EndBatch();
    EXPECT_EQ(iniText(), "[PrevInfo]\r\nMain_x=10\r\nMain_y=20\r\nvolume=55\r\n");

    // A batch left open is not lost with the object.
    {
        CSettingFile closing(folder() + "/zepo", messages);
        closing.BeginBatch();
        closing.WriteInt("PrevInfo", "TopMost", 1);
    }
    EXPECT_EQ(iniText(), "[PrevInfo]\r\nMain_x=10\r\nMain_y=20\r\nvolume=55\r\nTopMost=1\r\n");
}

TEST_F(SettingFile, AReadOnlyFileIsReadButNeverReplacedAndALinkIsWrittenThrough)
{
    writeIni("[Setting]\r\nRestore=0\r\n");
    ASSERT_EQ(::chmod(iniPath().c_str(), 0444), 0);
    LoggedWarnings warnings;
    {
        CSettingFile settings(folder() + "/zepo", messages);
        EXPECT_EQ(settings.Restore, 0);
        settings.Save();
        settings.WriteInt("PrevInfo", "Main_x", 5);
    }
    EXPECT_EQ(iniText(), "[Setting]\r\nRestore=0\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(iniPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    ASSERT_EQ(LoggedWarnings::lines().size(), 1u) << "one warning for one cause";
    EXPECT_NE(LoggedWarnings::lines()[0].find(iniPath()), std::string::npos) << LoggedWarnings::lines()[0];
    EXPECT_TRUE(messages.texts.empty());

    // setting.ini as a link into another folder: the target changes, the link stays.
    ASSERT_EQ(::rename(iniPath().c_str(), (folder() + "/kept.ini").c_str()), 0);
    ASSERT_EQ(::chmod((folder() + "/kept.ini").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("kept.ini", iniPath().c_str()), 0);
    CSettingFile linked(folder() + "/zepo", messages);
    linked.WriteInt("PrevInfo", "Main_x", 5);
    struct stat link {};
    ASSERT_EQ(::lstat(iniPath().c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(iniText(), "[Setting]\r\nRestore=0\r\n[PrevInfo]\r\nMain_x=5\r\n");
    ASSERT_EQ(::stat(iniPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(SettingFile, APipeInPlaceOfTheFileNeitherBlocksNorIsReplaced)
{
    ASSERT_EQ(::mkfifo(iniPath().c_str(), 0644), 0);
    LoggedWarnings warnings;
    CSettingFile settings(folder() + "/zepo", messages);
    EXPECT_EQ(settings.Restore, 1);
    EXPECT_EQ(settings.ReadInt("PrevInfo", "Main_x", -999), -999);
    settings.WriteInt("PrevInfo", "Main_x", 5);
    struct stat info {};
    ASSERT_EQ(::lstat(iniPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(LoggedWarnings::lines().size(), 1u) << "the same cause is told once, not at every read";
}

TEST_F(SettingFile, TemporaryFilesOfAKilledSaveAreRemovedAtStart)
{
    // Process number 1 never ends, so its name stands for a live writer; no process
    // can have a number past the kernel's maximum, so that one has ended.
    const std::string ended = folder() + "/.zepo-99999999-Ab3xYz";
    const std::string live = folder() + "/.zepo-1-Ab3xYz";
    for (const std::string& name : {ended, live})
        std::ofstream(name) << "[PrevInfo]\r\nMain_x=";
    CSettingFile settings(folder() + "/zepo", messages);
    EXPECT_NE(::access(ended.c_str(), F_OK), 0);
    EXPECT_EQ(::access(live.c_str(), F_OK), 0);
}

// A damaged or hand-edited file holds a value of about a megabyte, just under the read
// limit: the closing save adds its keys, and every later start must still read it.
TEST_F(SettingFile, AFileWithAHugeValueIsReadAgainAfterTheClosingSave)
{
    const std::string huge(ini::kMaxFileBytes - 400, 'x');
    writeIni("[Setting]\r\nRestore=0\r\nJunk=" + huge + "\r\n" + std::string(300, '#') + "\r\n");
    LoggedWarnings warnings;
    {
        CSettingFile settings(folder() + "/zepo", messages);
        ASSERT_EQ(settings.Restore, 0);
        settings.BeginBatch();
        for (const char* key : {"Main_x", "Main_y", "Main_w", "Main_h", "PlayList_x", "PlayList_y", "PlayList_w",
                                "PlayList_h", "PlayList_Show", "Panel_Fix", "TopMost"})
            settings.WriteInt("PrevInfo", key, 1234567);
        settings.WriteString("PrevInfo", "volume", "55");
        settings.EndBatch();
    }
    EXPECT_LE(iniText().size(), ini::kMaxFileBytes);
    CSettingFile next(folder() + "/zepo", messages);
    EXPECT_EQ(next.Restore, 0);
    EXPECT_EQ(next.ReadInt("PrevInfo", "Main_x", -999), 1234567);
    EXPECT_EQ(next.ReadString("PrevInfo", "volume", "100"), "55");
    // The value no key of ours reads past 259 bytes is kept that long; the line of no key
    // is gone; and the log says so, once.
    EXPECT_EQ(next.ReadString("Setting", "Junk", ""), huge.substr(0, ini::kMaxValueBytes));
    EXPECT_EQ(iniText().find('#'), std::string::npos);
    ASSERT_EQ(LoggedWarnings::lines().size(), 1u);
    EXPECT_NE(LoggedWarnings::lines().front().find("2 overlong lines shortened"), std::string::npos);
}

} // namespace
} // namespace zepo::test
