#include "movies/LoadFlv_2.h"
#include "tests/support/LogCapture.h"
#include "tests/support/PlaylistPlayerHarness.h"

#include <QDir>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zepo {
namespace {

using Paths = std::vector<std::string>;
constexpr AddMode kReplace = AddMode::Replace, kAppend = AddMode::Append;

class AddFilesTest : public ::testing::Test, protected test::PlaylistPlayerHarness {
protected:
    // A list that replace mode would clear.
    void startWithOldList()
    {
        player->AddFiles({flv("old.flv")}, kAppend);
        ASSERT_EQ(entries(), Paths{path("old.flv")});
    }
    // Entries the movie has taken in or still has queued.
    std::size_t added() { return listMovie().entries().size() + listMovie().queuedPaths(); }
    std::string playlistFile(const std::string& relative, const Paths& lines, const char* end = "\r\n")
    {
        std::string bytes = std::string("[PlayList]") + end;
        for (const std::string& line : lines)
            bytes += line + end;
        return write(relative, bytes);
    }
};

TEST_F(AddFilesTest, FilesFoldersAndPlaylistsAreListedInOrderAndTheFirstPlays)
{
    const std::string a = flv("a.flv"), b = flv("b.flv");
    flv("folder/c.flv");
    flv("folder/sub/d.flv");
    const std::string list = playlistFile("list.zepo", {flv("e.flv"), flv("f.flv")});
    player->AddFiles({a, b, path("folder"), list}, kReplace);
    EXPECT_EQ(entries(), (Paths{a, b, path("folder/c.flv"), path("folder/sub/d.flv"), path("e.flv"), path("f.flv")}));
    EXPECT_EQ(player->windowTitle(), "a.flv - ZEPO");
    EXPECT_EQ(player->playerControl().GetVariable("flv_file"), a);
    EXPECT_TRUE(messages.texts.empty());
}

// The UTF-8 text in UTF-16 with a byte-order mark, as a Windows editor saves it.
std::string utf16(const std::string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : QString::fromStdString(text).toStdU16String()) {
        bytes.push_back(static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8));
    }
    return bytes;
}

TEST_F(AddFilesTest, PlaylistsSavedInUtf16OrWithAMarkAreOpened)
{
    const std::string a = flv("ビデオ/a.flv"), b = flv("b😀.flv");
    const std::string lines = "[PlayList]\r\n" + a + "\r\n" + b + "\r\n";
    const std::string little = write("little.zepo", utf16(lines, false));
    const std::string big = write("big.zepo", utf16(lines, true));
    const std::string marked = write("marked.zepo", "\xEF\xBB\xBF" + lines);
    test::LogCapture log;
    player->AddFiles({little, big, marked}, kReplace);
    EXPECT_EQ(entries(), (Paths{a, b, a, b, a, b}));
    EXPECT_TRUE(log.lines("zepo.playlist").empty());
}

TEST_F(AddFilesTest, AFileNamedThatIsNeitherVideoNorPlaylistIsToldOnce)
{
    const std::string notes = write("notes.txt", "[Playlist]\r\n");
    write("texts/readme.txt", "notes");
    const std::string list = playlistFile("list.zepo", {notes});
    test::LogCapture log;
    player->AddFiles({notes, path("texts"), list, flv("a.flv")}, kAppend);
    EXPECT_EQ(entries(), Paths{path("a.flv")});
    // Files met in a folder or a playlist go unsaid, as a folder holds many.
    const auto lines = log.lines("zepo.playlist");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().text.rfind(notes + " : neither an FLV file nor a playlist", 0), 0u);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, ReplaceClearsTheListOnlyWhenTheFirstPathLeadsToAnFlvFile)
{
    startWithOldList();
    const std::string missing = path("gone.flv");
    player->AddFiles({missing, flv("x.flv")}, kReplace);
    EXPECT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n" + missing});
    EXPECT_EQ(entries(), (Paths{path("old.flv"), path("x.flv")}));

    // A folder that adds nothing uses up the replace mode: the next path appends.
    write("texts/A.txt", "notes");
    player->AddFiles({path("texts"), flv("z.flv")}, kReplace);
    EXPECT_EQ(entries(), (Paths{path("old.flv"), path("x.flv"), path("z.flv")}));

    // An empty playlist adds nothing and so clears nothing.
    player->AddFiles({playlistFile("empty.zepo", {})}, kReplace);
    EXPECT_EQ(entries().size(), 3u);

    // A playlist whose first line is missing: its first existing entry replaces.
    player->AddFiles({playlistFile("p.zepo", {path("nothing.flv"), flv("y.flv")})}, kReplace);
    EXPECT_EQ(entries(), Paths{path("y.flv")});
    EXPECT_EQ(messages.texts.size(), 1u) << "missing playlist lines are dropped silently";
}

TEST_F(AddFilesTest, AFolderWhoseSubfolderComesFirstReplacesWithAllItsFiles)
{
    startWithOldList();
    flv("disc/a/x.flv");
    flv("disc/b.flv");
    player->AddFiles({path("disc")}, kReplace);
    EXPECT_EQ(entries(), (Paths{path("disc/a/x.flv"), path("disc/b.flv")}));
    EXPECT_EQ(player->windowTitle(), "x.flv - ZEPO");

    player->AddFiles({path("disc")}, kAppend);
    EXPECT_EQ(entries().size(), 4u);
}

TEST_F(AddFilesTest, AFolderReplacesTheListWithTheFirstEntryItActuallyAdds)
{
    startWithOldList();
    write("disc/a/readme.txt", "read me first");
    flv("disc/a/x.flv");
    flv("disc/b.flv");
    write("disc/c.txt", "notes");
    player->AddFiles({path("disc")}, kReplace);
    EXPECT_EQ(entries(), (Paths{path("disc/a/x.flv"), path("disc/b.flv")}));
    EXPECT_EQ(player->windowTitle(), "x.flv - ZEPO");

    // The same with a text file lying directly in the folder, before its only video.
    write("notes/A.txt", "notes");
    flv("notes/b.flv");
    player->AddFiles({path("notes")}, kReplace);
    EXPECT_EQ(entries(), Paths{path("notes/b.flv")});
    EXPECT_EQ(player->windowTitle(), "b.flv - ZEPO");
}

TEST_F(AddFilesTest, QuotesArePeeledOncePerPath)
{
    const std::string a = flv("a b.flv");
    player->AddFiles({"\"" + a + "\"", "\"\"", "\""}, kAppend);
    EXPECT_EQ(entries(), Paths{a});
    EXPECT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n\""});
}

TEST_F(AddFilesTest, PercentReachesTheMoviesEscapedAndStaysPlainInTheList)
{
    const std::string percent = flv("100% #1.flv");
    player->AddFiles({percent}, kReplace);
    EXPECT_EQ(entries(), Paths{percent});
    EXPECT_EQ(player->windowTitle(), "100% #1.flv - ZEPO");
    EXPECT_EQ(player->playerControl().GetVariable("flv_file"), path("100%25 #1.flv"));
    EXPECT_EQ(player->currentFileName(), "100% #1.flv");

    player->SendFileToPlayer(path("noextension"));
    EXPECT_EQ(player->windowTitle(), "noextension - ZEPO");
}

TEST_F(AddFilesTest, PlaylistsThatListThemselvesOrEachOtherExpandOncePerChain)
{
    const std::string a = flv("a.flv"), b = flv("b.flv");
    const std::string self = path("self.zepo");
    playlistFile("self.zepo", {self, a, path("./self.zepo")});
    player->AddFiles({self}, kReplace);
    EXPECT_EQ(entries(), Paths{a});

    // A lists B, B lists A: each is read once.
    playlistFile("A.zepo", {a, path("B.zepo")}, "\n");
    playlistFile("B.zepo", {b, path("A.zepo")}, "\n");
    player->AddFiles({path("A.zepo")}, kReplace);
    EXPECT_EQ(entries(), (Paths{a, b}));

    // Two chains may each read the same file.
    playlistFile("c.zepo", {flv("c.flv")});
    playlistFile("one.zepo", {path("c.zepo")});
    playlistFile("two.zepo", {path("c.zepo")});
    player->AddFiles({path("one.zepo"), path("two.zepo")}, kReplace);
    EXPECT_EQ(entries(), (Paths{path("c.flv"), path("c.flv")}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, PlaylistsThatAllListEachOtherAreReadOncePerOpen)
{
    // Nine playlists, each with one video of its own and a line for every other one:
    // expanding every chain would give 109 601 entries.
    constexpr int kLists = 9;
    const auto video = [](int i) { return std::string("v").append(std::to_string(i)).append(".flv"); };
    const auto list = [](int i) { return std::string("list").append(std::to_string(i)).append(".zepo"); };
    for (int i = 0; i < kLists; ++i) {
        Paths lines{flv(video(i))};
        for (int j = 0; j < kLists; ++j)
            if (j != i)
                lines.push_back(path(list(j)));
        playlistFile(list(i), lines);
    }
    player->AddFiles({path("list0.zepo")}, kReplace);
    EXPECT_EQ(listMovie().queuedPaths(), 0u) << "nothing is added before the window's events have run";
    const int slices = finishAdding();
    // Each list is read once; where it is met again, what it gave is added again: list i
    // gives its video and what every later list gives.
    ASSERT_EQ(added(), 256u);
    EXPECT_LT(slices, 10);
    const Paths listed = entries();
    for (int i = 0; i < kLists; ++i)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), path(video(i))), i == 0 ? 1 : 1 << (i - 1));
    EXPECT_EQ(listed.front(), path("v0.flv"));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, AnOpenStopsAtItsCapAndSaysSo)
{
    startWithOldList();
    const std::string video = flv("same.flv");
    std::string lines = "[PlayList]\n";
    for (std::size_t i = 0; i <= AddQueue::kMaxEntriesPerOpen; ++i)
        lines += video + "\n";
    const std::string list = write("huge.zepo", lines);
    player->AddFiles({list, flv("after.flv")}, kAppend);
    finishAdding();
    EXPECT_EQ(added(), 1 + AddQueue::kMaxEntriesPerOpen);
    EXPECT_EQ(messages.texts, Paths{"項目が多すぎるため、途中で追加をやめました ：\n" + list});

    // The next open starts afresh.
    player->AddFiles({flv("next.flv")}, kAppend);
    finishAdding();
    EXPECT_EQ(added(), 2 + AddQueue::kMaxEntriesPerOpen);
    EXPECT_EQ(messages.texts.size(), 1u);
}

TEST_F(AddFilesTest, AFileOfGarbageIsLookedAtUpToItsCap)
{
    // Lines that name nothing add nothing, but each must be looked up.
    std::string lines = "[PlayList]\n";
    for (std::size_t i = 0; i <= AddQueue::kMaxPathsPerOpen; ++i)
        lines.append("/\x01\x7f").append(std::to_string(i)).append("\n");
    const std::string list = write("garbage.zepo", lines);
    player->AddFiles({list}, kAppend);
    finishAdding();
    EXPECT_EQ(messages.texts, Paths{"項目が多すぎるため、途中で追加をやめました ：\n" + list});
}

TEST_F(AddFilesTest, GarbageLinesAreTakenBesideThePlaylistAndNeverScanTheCurrentFolder)
{
    const std::string a = flv("lists/a.flv"), b = flv("lists/b.flv");
    flv("elsewhere/c.flv");
    // What binary garbage after the header can leave: "." and a relative name.
    const char garbage[] = "[PlayList]\n\x01\xff\xfe\0junk\n.\nb.flv\n\x89PNG\r\n";
    const std::string list = write("lists/garbage.zepo", std::string(garbage, sizeof garbage - 1));
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(toQt(path("elsewhere"))));
    player->AddFiles({list}, kReplace);
    const Paths listed = entries();
    QDir::setCurrent(saved);
    // "." is the playlist's folder (the playlist itself is not read again), "b.flv" lies
    // beside it.
    EXPECT_EQ(listed, (Paths{a, b, b}));
}

TEST_F(AddFilesTest, RelativeLinesOfListsSavedFromTheCurrentFolderStillOpen)
{
    flv("here/a.flv");
    flv("here/sub/b.flv");
    const std::string list = write("saved/list.zepo", "[PlayList]\r\na.flv\r\nsub/b.flv\r\n");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(toQt(path("here"))));
    player->AddFiles({list}, kReplace);
    const Paths listed = entries();
    QDir::setCurrent(saved);
    EXPECT_EQ(listed, (Paths{"a.flv", "sub/b.flv"}));
}

TEST_F(AddFilesTest, AFolderIsScannedInSlicesBetweenTheWindowsEvents)
{
    // More files than a few slices look at; every third one a video.
    constexpr int kFiles = 3000;
    Paths videos;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "big/" + std::string(4 - std::to_string(i).size(), '0') + std::to_string(i);
        if (i % 3 == 0)
            videos.push_back(flv(name + ".flv"));
        else
            write(name + ".txt", "text");
    }
    player->AddFiles({path("big")}, kReplace);
    EXPECT_EQ(listMovie().queuedPaths(), 0u) << "the folder is not read while the window waits";
    clock.advance(AddQueue::kSliceIntervalMs);
    EXPECT_LE(added(), std::size_t(AddQueue::kSliceSteps));
    // Every file is a step of its own.
    EXPECT_GE(1 + finishAdding(), kFiles / AddQueue::kSliceSteps);
    EXPECT_EQ(entries(), videos);
}

TEST_F(AddFilesTest, PlaylistLinesCanNameFoldersAndLongPaths)
{
    const std::string longPath =
        flv(std::string(200, 'p') + "/" + std::string(200, 'q') + "/" + std::string(196, 'r') + ".flv");
    ASSERT_GE(longPath.size(), 600u);
    flv("tree/one.flv");
    flv("tree/deeper/two.flv");
    write("lower.zepo", "[playlist]\r\n" + path("tree/one.flv") + "\r\n");
    playlistFile("mixed.zepo", {longPath, path("tree"), path("lower.zepo")}, "\n");
    player->AddFiles({path("mixed.zepo")}, kReplace);
    EXPECT_EQ(entries(), (Paths{longPath, path("tree/deeper/two.flv"), path("tree/one.flv")}));
}

TEST_F(AddFilesTest, FolderLinksBackUpTheTreeAreScannedOnce)
{
    flv("loop/a.flv");
    ASSERT_EQ(::symlink(path("loop").c_str(), path("loop/again").c_str()), 0);
    player->AddFiles({path("loop")}, kReplace);
    EXPECT_EQ(entries(), Paths{path("loop/a.flv")});

    // Two links to one folder: its files are added once, where the first link stands.
    flv("twins/real/b.flv");
    ASSERT_EQ(::symlink(path("twins/real").c_str(), path("twins/link").c_str()), 0);
    player->AddFiles({path("twins")}, kReplace);
    EXPECT_EQ(entries(), Paths{path("twins/link/b.flv")});
}

TEST_F(AddFilesTest, HandOverRecordReplacesTheListWithEveryPathWhole)
{
    startWithOldList();
    const Paths names = {flv("a|b.flv"), flv("new\nline.flv"), flv("100%.flv"), flv("-dash.flv"),
                         flv("\x83\x65\x83\x58\x83\x67.flv")};
    std::string data;
    for (const std::string& name : names)
        data += name + '\0';
    EXPECT_FALSE(player->OnCopyData(0x8001, data));
    EXPECT_EQ(entries().size(), 1u);
    // An empty piece is skipped; a last piece without its zero still counts.
    EXPECT_TRUE(player->OnCopyData(0x8000, data + '\0' + path("old.flv")));
    EXPECT_EQ(entries(), (Paths{names[0], names[1], names[2], names[3], names[4], path("old.flv")}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, AQueuedFileThatWillNotOpenIsToldAndTheNextOnePlays)
{
    const std::string a = flv("a.flv"), b = flv("b.flv"), c = flv("c.flv");
    player->AddFiles({a, b, c}, kReplace);
    ASSERT_EQ(entries().size(), 3u);
    ASSERT_EQ(std::remove(b.c_str()), 0);
    auto* stream = static_cast<test::ScriptedStream*>(
        dynamic_cast<PlayerMovie&>(*player->playerControl().movie()).stream());
    stream->status(stream::kPlayStart);
    stream->status(stream::kPlayStop);
    ASSERT_EQ(player->windowTitle(), "b.flv - ZEPO");
    // The scripted stream never starts on its own: b stands for a file that will not open.
    clock.advance(5000);
    EXPECT_EQ(player->windowTitle(), "c.flv - ZEPO");
    EXPECT_EQ(messages.texts, Paths{"ファイル取得失敗 ：\n" + b});
    std::vector<int> states;
    for (const auto& entry : listMovie().entries())
        states.push_back(entry.state);
    EXPECT_EQ(states, (std::vector<int>{playstate::Done, playstate::Done, playstate::Playing}));
}

TEST_F(AddFilesTest, MessageAndTitleCommandsOfThePlaylistMovie)
{
    playlist().OnMovieCommand("msg", "");
    playlist().OnMovieCommand("text", "新しい題");
    playlist().OnMovieCommand("Msg", "ignored");
    EXPECT_EQ(messages.texts, Paths{""});
    EXPECT_EQ(playlist().windowTitle(), "新しい題");
}

} // namespace
} // namespace zepo
