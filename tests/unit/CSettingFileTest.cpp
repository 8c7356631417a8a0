#include "app/CSettingFile.h"
#include "tests/support/RecordingMessageBox.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace zepo::test {
namespace {

class SettingFile : public ::testing::Test {
protected:
    std::string folder() const { return dir.path().toStdString(); }
    std::string iniPath() const { return folder() + "/setting.ini"; }
    std::string iniText() const
    {
        std::ifstream in(iniPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
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

} // namespace
} // namespace zepo::test
