#include "movies/playList.h"
#include "playlist/CPlayListDlg.h"
#include "stream/PlaybackSession.h"
#include "tests/stream/HostileFiles.h"
#include "tests/stream/RealPlayerWindow.h"
#include "tests/stream/StreamRecorder.h"

#include <QFile>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepo::test {
namespace {

using namespace stream;

// A list entry that was a file when it was listed and is a named pipe when its turn
// comes: the player never waits on it. It is given up like a file that does not open,
// the user is told, and the list goes on.
TEST(BlockingSource, AListEntryThatBecameAPipeIsGivenUpAndTheListGoesOn)
{
    RealPlayerWindow w;
    ASSERT_TRUE(w.exposed);
    const std::string folder = fromQt(w.dir.path());
    const std::string clip = fixture("flv1_mp3.flv");
    // The first file plays for a minute, while the next one turns into a pipe.
    writeFile(folder + "/first.flv", FlvTags::read(clip).laps(20, 3000).bytes());
    for (const char* name : {"/pipe.flv", "/next.flv"})
        ASSERT_TRUE(QFile::copy(toQt(clip), toQt(folder + name)));
    w.player.AddFiles({folder + "/first.flv", folder + "/pipe.flv", folder + "/next.flv"}, AddMode::Replace);
    auto& list = dynamic_cast<PlayListMovie&>(*w.player.playlist()->movie().movie());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.entries().size() == 3; }, 20000));
    const std::string pipe = folder + "/pipe.flv";
    ASSERT_EQ(::unlink(pipe.c_str()), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    // The user's "next file" (Page Down).
    w.player.playlist()->movie().TGotoLabel(kCommandClip, "gotoNextFlv_2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "pipe.flv - ZEPO"; }, 5000));
    // A window that waited on the pipe would never get this far.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.player.windowTitle() == "next.flv - ZEPO"; }, 15000))
        << "still on " << fromQt(w.player.windowTitle());
    ASSERT_EQ(w.messages.texts.size(), 1u);
    EXPECT_NE(w.messages.texts[0].find(pipe), std::string::npos) << w.messages.texts[0];
}

// A session that tells nothing; the test sees when the session lets it go.
struct SilentEvents final : StreamEvents {
    void status(const char*) override {}
    void error(StreamError) override {}
    void metaData(AmfValue) override {}
    void frame(Picture) override {}
};

// Whether a thread of this process waits in a write to a full pipe.
bool aThreadWaitsOnAPipe()
{
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream wchan(task.path() / "wchan");
        std::string where;
        if (std::getline(wchan, where) && where.find("pipe_write") != std::string::npos)
            return true;
    }
    return false;
}

// A session with a thread stuck in I/O ends without waiting for it: the owner's thread
// goes on at once, and the stuck thread, once free, ends on its own and lets the
// session's state go; nothing of the session is touched after it is gone (the sanitizer
// builds run this too). The thread here is the audio decoder, closing SDL's disk output
// while SDL writes into a pipe that nobody reads.
TEST(BlockingSource, ASessionDoesNotWaitForAThreadStuckInIo)
{
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath("sound.raw"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", pipe);

    auto events = std::make_shared<SilentEvents>();
    const std::weak_ptr<SilentEvents> heard = events;
    auto session = std::make_unique<PlaybackSession>(fixture("pcm_s16le.flv"), std::move(events),
                                                     PlaybackSession::Settings{});
    ASSERT_TRUE(QTest::qWaitFor(aThreadWaitsOnAPipe, 5000));
    session.reset();  // returns although a thread of the session is stuck
    EXPECT_FALSE(heard.expired()) << "the stuck thread still holds the session";
    qputenv("SDL_AUDIODRIVER", "dummy");

    // Freed, the thread ends, and the session's state goes with it.
    const bool ended = QTest::qWaitFor(
        [&] {
            char drain[4096];
            while (::read(reader, drain, sizeof drain) > 0) {
            }
            return heard.expired();
        },
        5000);
    ::close(reader);
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace zepo::test
