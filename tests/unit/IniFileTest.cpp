#include "settings/IniFile.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo::test {
namespace {

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// Names of the files in a folder, to see that no temporary file is left behind.
QStringList filesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

TEST(IniText, NamesMatchWithoutRegardToCaseAndBlanksAroundNamesAndValuesAreIgnored)
{
    const IniText ini("[Setting]\nrestore = 0 \n[ PrevInfo ]\r\nVOLUME=  75\r\n");
    EXPECT_EQ(ini.get("Setting", "Restore"), "0");
    EXPECT_EQ(ini.get("SETTING", "restore"), "0");
    EXPECT_EQ(ini.get("previnfo", "Volume"), "75");
    // A key of another section, and a section that is not there.
    EXPECT_EQ(ini.get("PrevInfo", "Restore"), std::nullopt);
    EXPECT_EQ(ini.get("Other", "Restore"), std::nullopt);
}

TEST(IniText, LinesBeforeAnySectionAndLinesWithoutEqualsSignBelongToNoKey)
{
    const IniText ini("Restore=5\n[Setting]\nnonsense\n[broken\nRestore=7\n");
    // "[broken" is no section header, so Restore=7 still lies in [Setting].
    EXPECT_EQ(ini.get("Setting", "Restore"), "7");
    EXPECT_EQ(ini.get("Setting", "nonsense"), std::nullopt);
}

TEST(IniText, WritesBuildSectionsAndKeysInTheOrderOfWriting)
{
    IniText ini;
    ini.set("PrevInfo", "Main_x", "10");
    ini.set("PrevInfo", "Main_y", "20");
    ini.set("Setting", "Restore", "1");
    ini.set("PrevInfo", "volume", "100");
    EXPECT_EQ(ini.serialise(), "[PrevInfo]\r\nMain_x=10\r\nMain_y=20\r\nvolume=100\r\n"
                               "[Setting]\r\nRestore=1\r\n");
}

TEST(IniText, ExistingKeyIsOverwrittenInPlaceAndNewKeyGoesAfterTheLastEntryOfItsSection)
{
    IniText ini("[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    ini.set("a", "X", "9");
    ini.set("A", "w", "4");
    EXPECT_EQ(ini.serialise(), "[A]\r\nX=9\r\ny=2\r\nw=4\r\n\r\n[B]\r\nz=3\r\n");
}

TEST(IniText, LfOnlyFileIsReadAndRewrittenWithCrLf)
{
    IniText ini("[A]\nx=1\ny=2");
    ini.set("A", "y", "3");
    EXPECT_EQ(ini.serialise(), "[A]\r\nx=1\r\ny=3\r\n");
}

// The text in UTF-16 with its byte-order mark, as an editor saves it.
std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

TEST(IniText, CrOnlyLineEndsAndByteOrderMarkedFilesAreRead)
{
    const IniText cr("[Setting]\rRestore=0\rHideCursor=0\r");
    EXPECT_EQ(cr.get("Setting", "Restore"), "0");
    EXPECT_EQ(cr.get("Setting", "HideCursor"), "0");
    // In a file with LF line ends a lone CR is a byte of its line.
    EXPECT_EQ(IniText("[A]\nx=a\rb\n").get("A", "x"), "a\rb");

    EXPECT_EQ(IniText("\xEF\xBB\xBF[Setting]\r\nRestore=0\r\n").get("Setting", "Restore"), "0");
    for (bool bigEndian : {false, true}) {
        IniText wide(utf16(u"[PrevInfo]\r\nvolume=75\r\n[\u8a2d\u5b9a]\r\nx=\U0001F600\r\n", bigEndian));
        EXPECT_EQ(wide.get("PrevInfo", "volume"), "75");
        EXPECT_EQ(wide.get("\xE8\xA8\xAD\xE5\xAE\x9A", "x"), "\xF0\x9F\x98\x80");
        // Saved, it is the UTF-8 the program writes.
        wide.set("PrevInfo", "volume", "80");
        EXPECT_EQ(wide.serialise().substr(0, 23), "[PrevInfo]\r\nvolume=80\r\n");
    }
}

TEST(IniText, OverlongValuesAreCutAndOverlongLinesThatAreNoKeyGo)
{
    const std::string longValue(300, 'v');
    const std::string longJunk(300, 'j');
    IniText ini("[A]\r\nx=" + longValue + "\r\n" + longJunk + "\r\ny=" + longValue.substr(0, 259) + "\r\n");
    EXPECT_EQ(ini.shortenOverlongLines(), 2u);
    EXPECT_EQ(ini.serialise(), "[A]\r\nx=" + longValue.substr(0, 259) + "\r\ny=" + longValue.substr(0, 259) + "\r\n");
    EXPECT_EQ(ini.shortenOverlongLines(), 0u);
}

class IniFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = dir.path().toStdString() + "/setting.ini";
};

// The key as the file now holds it.
std::optional<std::string> valueIn(const std::string& path, const std::string& section, const std::string& key)
{
    const auto text = ini::load(path);
    return text ? text->get(section, key) : std::nullopt;
}

// Reads the file, sets one key and saves it, as one write of a setting does.
FileResult<void> writeKey(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value)
{
    auto text = ini::load(path);
    if (!text)
        return text.error();
    text->set(section, key, value);
    return ini::save(path, *text);
}

TEST_F(IniFile, MissingFileReadsAsAbsentAndTheFirstWriteCreatesIt)
{
    EXPECT_EQ(valueIn(path, "Setting", "Restore"), std::nullopt);
    EXPECT_TRUE(writeKey(path, "Setting", "Restore", "1"));
    EXPECT_EQ(fileBytes(path), "[Setting]\r\nRestore=1\r\n");
    EXPECT_EQ(valueIn(path, "setting", "RESTORE"), "1");
}

TEST_F(IniFile, WriteKeepsEveryOtherLineOfAFileWrittenByHand)
{
    writeFile(path, "; my notes\n[PrevInfo]\nvolume=40\n[Setting]\nrestore=0\n");
    EXPECT_TRUE(writeKey(path, "Setting", "Restore", "1"));
    EXPECT_EQ(fileBytes(path), "; my notes\r\n[PrevInfo]\r\nvolume=40\r\n[Setting]\r\nRestore=1\r\n");
    EXPECT_EQ(filesIn(dir), QStringList{"setting.ini"});
}

TEST_F(IniFile, ReplacedFileGetsTheUsualPermissionsNotThoseOfATemporaryFile)
{
    ASSERT_TRUE(writeKey(path, "Setting", "Restore", "1"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(IniFile, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFileBehind)
{
    const std::string old = "[Setting]\r\nRestore=0\r\n";
    writeFile(path, old);
    // A full disk: the file-size limit makes every write past a few bytes fail, for
    // root as for anyone.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    const auto written = writeKey(path, "PrevInfo", "volume", std::string(100, '7'));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().category, FileError::Category::NotWritten);
    EXPECT_EQ(written.error().code, EFBIG);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_EQ(filesIn(dir), QStringList{"setting.ini"});
}

TEST_F(IniFile, ExistingFileThatCannotBeReadIsNotReplaced)
{
    // Reading the process's own memory at address 0 fails, whoever reads.
    ASSERT_EQ(::symlink("/proc/self/mem", path.c_str()), 0);
    EXPECT_EQ(valueIn(path, "Setting", "Restore"), std::nullopt);
    EXPECT_FALSE(writeKey(path, "Setting", "Restore", "1"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isSymLink());
}

TEST_F(IniFile, WhatIsSavedCanAlwaysBeReadBack)
{
    // Keys of others, short each, that fill the file to just under the read limit: one key
    // more would pass it. The save is refused and the old file stays, readable.
    std::string many = "[Other]\r\n";
    for (int n = 0; many.size() < ini::kMaxFileBytes - 20; ++n) {
        const std::string key = std::to_string(n);
        many.append("k").append(key).append("=1\r\n");
    }
    writeFile(path, many);
    ASSERT_EQ(valueIn(path, "Other", "k0"), "1");
    const auto refused = writeKey(path, "PrevInfo", "Main_x", "10");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().category, FileError::Category::TooLarge);
    EXPECT_EQ(fileBytes(path), many);
    EXPECT_EQ(valueIn(path, "Other", "k0"), "1");
}

TEST_F(IniFile, PipesDevicesAndHugeFilesAreNotReadAtAll)
{
    // A pipe nobody writes would block the open, /dev/zero never ends, a sparse file of
    // 2 GiB would fill the memory.
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    auto pipe = ini::load(path);
    ASSERT_FALSE(pipe);
    EXPECT_EQ(pipe.error().category, FileError::Category::NotRegularFile);

    const std::string zero = dir.path().toStdString() + "/zero.ini";
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    auto device = ini::load(zero);
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error().category, FileError::Category::NotRegularFile);

    const std::string huge = dir.path().toStdString() + "/huge.ini";
    writeFile(huge, "[Setting]\r\nRestore=0\r\n");
    ASSERT_EQ(::truncate(huge.c_str(), 2LL << 30), 0);
    auto tooLarge = ini::load(huge);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.error().category, FileError::Category::TooLarge);
}

} // namespace
} // namespace zepo::test
