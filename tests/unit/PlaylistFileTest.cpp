#include "platform/PathText.h"
#include "playlist/CPlayListDlg.h"
#include "playlist/FileAccess.h"
#include "playlist/FolderScan.h"
#include "playlist/PathRules.h"
#include "playlist/PlaylistFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo {
namespace {

using Lines = std::vector<std::string>;

// Every line of a playlist file, read as the add queue reads it; nothing when it cannot
// be opened.
std::optional<Lines> readPlaylistLines(const std::string& path)
{
    auto reader = PlaylistReader::open(path);
    if (!reader)
        return std::nullopt;
    Lines lines;
    while (!reader->atEnd())
        if (auto line = reader->nextLine())
            lines.push_back(std::move(*line));
    return lines;
}

class PlaylistFileTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return fromQt(dir.path()) + "/" + name; }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // Files in the folder, to see that no temporary file was left behind.
    std::size_t fileCount() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size();
    }

    QTemporaryDir dir;
};

TEST_F(PlaylistFileTest, WritesTheHeaderAndEveryPathWithCrLf)
{
    const std::string file = path("two.zepo");
    ASSERT_TRUE(writePlaylistFile(file, "/a.flv\n/b c.flv\n"));
    EXPECT_EQ(read(file), "[PlayList]\r\n/a.flv\r\n/b c.flv\r\n");

    const std::string empty = path("empty.zepo");
    ASSERT_TRUE(writePlaylistFile(empty, ""));
    EXPECT_EQ(read(empty), "[PlayList]\r\n");
    EXPECT_EQ(read(empty).size(), 12u);
}

TEST_F(PlaylistFileTest, ReadsLfAndCrLfLinesAlikeAndALastLineWithoutEnd)
{
    const Lines expected{"[PlayList]", "/a.flv", "", "/b c.flv"};
    EXPECT_EQ(readPlaylistLines(write("crlf", "[PlayList]\r\n/a.flv\r\n\r\n/b c.flv\r\n")), expected);
    EXPECT_EQ(readPlaylistLines(write("lf", "[PlayList]\n/a.flv\n\n/b c.flv\n")), expected);
    EXPECT_EQ(readPlaylistLines(write("open", "[PlayList]\n/a.flv\n\n/b c.flv")), expected);
    // Only a CR right before LF is a line end; quotes, tabs and spaces stay.
    EXPECT_EQ(readPlaylistLines(write("cr", "a\rb\r\n \"q\"\t\n")), (Lines{"a\rb", " \"q\"\t"}));
    EXPECT_EQ(readPlaylistLines(write("zero", std::string("/a.flv\0tail\n/b\n", 15))), (Lines{"/a.flv", "/b"}));
    EXPECT_EQ(readPlaylistLines(path("missing")), std::nullopt);
}

TEST_F(PlaylistFileTest, ReadsLongLinesWhole)
{
    const std::string japanese = "/ビデオ/" + std::string(600, 'x') + ".flv";
    std::string bytes = japanese + "\r\n";
    // Short lines up to just before the reader's 64 KiB chunk ends, then a line across.
    std::size_t fillers = 0;
    for (; bytes.size() < 64 * 1024 - 40; ++fillers)
        bytes += std::string(99, 'f') + "\n";
    const std::string across = "/across/" + std::string(80, 'c') + ".flv";
    // A line longer than any path the system can open is left out, the next one kept.
    bytes += across + "\r\n" + std::string(5000, 'z') + "\n/after.flv\n";
    const Lines lines = readPlaylistLines(write("long", bytes)).value();
    ASSERT_EQ(lines.size(), fillers + 3);
    EXPECT_EQ(lines.front(), japanese);
    EXPECT_EQ(lines[fillers + 1], across);
    EXPECT_EQ(lines.back(), "/after.flv");
}

TEST_F(PlaylistFileTest, AFileWithoutLineEndsIsReadAPieceAtATime)
{
    // Four megabytes of garbage in one line: a reader that took it in one call would
    // hold whoever reads a line until the whole file was read.
    const std::string file = write("oneline", "[PlayList]\n/a.flv\n" + std::string(4 << 20, 'g'));
    auto reader = PlaylistReader::open(file);
    ASSERT_TRUE(reader);
    std::vector<std::string> lines;
    int calls = 0;
    for (; !reader->atEnd(); ++calls)
        if (auto line = reader->nextLine())
            lines.push_back(*line);
    EXPECT_EQ(lines, (Lines{"[PlayList]", "/a.flv"}));
    EXPECT_GT(calls, 32);
}

TEST_F(PlaylistFileTest, RecognisesPlaylistsByTheirExactHeader)
{
    EXPECT_TRUE(CPlayListDlg::IsPlaylistFile(write("any.name", "[PlayList] anything\r\n/a.flv\r\n")));
    EXPECT_TRUE(CPlayListDlg::IsPlaylistFile(write("bare", "[PlayList]")));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(write("lower.zepo", "[playlist]\r\n/a.flv\r\n")));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(write("broken.zepo", "[Play\nList]\n")));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(write("empty.zepo", "")));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(path("missing.zepo")));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(fromQt(dir.path())));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(""));
}

TEST_F(PlaylistFileTest, Utf16FilesAreReadAsUtf8WhereverTheirChunksEnd)
{
    // A line of one character past the basic plane, placed so that the reader's first
    // 64 KiB chunk ends inside its surrogate pair; the file ends in a lone surrogate and
    // half a unit.
    std::u16string text = u"[PlayList]\r\n";
    while (2 + 2 * text.size() < 64 * 1024 - 4)
        text += text.size() % 64 == 63 ? u'\n' : u'x';
    text += u"\n\U0001F600\r\n/\u30D3\u30C7\u30AA.flv\r\n\xD800";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes += "x"; // an odd last byte
    const Lines lines = readPlaylistLines(write("wide.zepo", bytes)).value();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "[PlayList]");
    EXPECT_EQ(lines[lines.size() - 3], "\xF0\x9F\x98\x80");
    EXPECT_EQ(lines[lines.size() - 2], "/ビデオ.flv");
    // What is no character is one replacement character each.
    EXPECT_EQ(lines.back(), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_TRUE(CPlayListDlg::IsPlaylistFile(write("wide.zepo", bytes)));
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(write("half.zepo", bytes.substr(0, 12))));
}

TEST_F(PlaylistFileTest, RecognisesFlvFilesByTheirFirstThreeBytes)
{
    EXPECT_TRUE(CPlayListDlg::IsFlvFile(write("video.dat", "FLV\x01")));
    EXPECT_TRUE(CPlayListDlg::IsFlvFile(write("lower", "flv")));
    EXPECT_TRUE(CPlayListDlg::IsFlvFile(write("mixed", "fLv and more")));
    EXPECT_FALSE(CPlayListDlg::IsFlvFile(write("fake.flv", "RIFF....")));
    EXPECT_FALSE(CPlayListDlg::IsFlvFile(write("short.flv", "FL")));
    EXPECT_FALSE(CPlayListDlg::IsFlvFile(path("missing.flv")));
    EXPECT_FALSE(CPlayListDlg::IsFlvFile(""));
}

TEST_F(PlaylistFileTest, PipesAreNeverReadSoTheyCannotBlock)
{
    const std::string fifo = path("pipe.flv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(CPlayListDlg::IsPlaylistFile(fifo));
    EXPECT_FALSE(CPlayListDlg::IsFlvFile(fifo));
    EXPECT_EQ(readPlaylistLines(fifo), std::nullopt);
}

TEST_F(PlaylistFileTest, SavingReplacesTheWholeFileAndKeepsItsPermissions)
{
    const std::string file = write("list.zepo", "an earlier, much longer playlist file content\r\n");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(writePlaylistFile(file, "/a.flv\n"));
    EXPECT_EQ(read(file), "[PlayList]\r\n/a.flv\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(PlaylistFileTest, FailedSavesReportFailureAndLeaveTheEarlierFileIntact)
{
    EXPECT_FALSE(writePlaylistFile(path("no/such/folder/list.zepo"), "/a.flv\n"));

    // A folder in the way: the rename fails and the folder stays.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.zepo"));
    EXPECT_FALSE(writePlaylistFile(path("taken.zepo"), "/a.flv\n"));
    EXPECT_TRUE(QFileInfo(toQt(path("taken.zepo"))).isDir());

    // A write that fails half way (the file size limit stands in for a full disk).
    const std::string earlier = "[PlayList]\r\n/old.flv\r\n";
    const std::string file = write("list.zepo", earlier);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = saved;
    tight.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const auto written = writePlaylistFile(file, std::string(200, 'x') + "\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().category, FileError::Category::NotWritten);
    EXPECT_EQ(read(file), earlier);
    EXPECT_EQ(fileCount(), 1u) << "the temporary file is removed";
}

// Every entry of a folder, its names read a few at a time.
std::vector<FolderEntry> readFolder(const std::string& folder)
{
    auto reader = FolderReader::open(folder);
    if (!reader)
        return {};
    EXPECT_FALSE(reader->nextEntry()) << "no entry before every name is read";
    while (!reader->listed())
        reader->readNames(2);
    std::vector<FolderEntry> entries;
    while (auto entry = reader->nextEntry())
        entries.push_back(std::move(*entry));
    return entries;
}

TEST_F(PlaylistFileTest, FolderEntriesComeInNameOrderWithoutRegardToCase)
{
    for (const char* name : {"b.flv", "A.flv", ".hidden.flv", "_x.flv", "C.txt", "a.flv"})
        write(name, "FLV");
    ASSERT_TRUE(QDir(dir.path()).mkdir("Sub"));
    const std::string folder = fromQt(dir.path());
    std::vector<std::string> names;
    for (const FolderEntry& entry : readFolder(folder + "/")) {
        EXPECT_EQ(entry.path.rfind(folder + "/", 0), 0u) << "one slash between folder and name";
        EXPECT_EQ(entry.isFolder, entry.path == folder + "/Sub");
        names.push_back(entry.path.substr(folder.size() + 1));
    }
    // Upper-case comparison puts "_" after the letters; names equal but for case go
    // in byte order.
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.flv", "A.flv", "a.flv", "b.flv", "C.txt", "Sub", "_x.flv"}));
    EXPECT_FALSE(FolderReader::open(path("missing")));
}

TEST(PlaylistLines, RelativeLinesAreTakenBesideThePlaylistFile)
{
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", "a.flv"), "/m/a.flv");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", "sub/../a.flv"), "/m/sub/../a.flv");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", "/abs/a.flv"), "/abs/a.flv");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", "./a.flv"), "/m/a.flv");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", "."), "/m");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", ".//"), "/m");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", ".."), "/m/..");
    EXPECT_EQ(resolveBesideFile("/list.zepo", "."), "/");
    EXPECT_EQ(resolveBesideFile("/list.zepo", "a.flv"), "/a.flv");
    // A playlist given relative to the current folder keeps its lines relative to it.
    EXPECT_EQ(resolveBesideFile("list.zepo", "a.flv"), "a.flv");
    EXPECT_EQ(resolveBesideFile("list.zepo", "."), ".");
    EXPECT_EQ(resolveBesideFile("lists/list.zepo", "./a.flv"), "lists/a.flv");
    EXPECT_EQ(resolveBesideFile("/m/list.zepo", ""), "");
}

} // namespace
} // namespace zepo
