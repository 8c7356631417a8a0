#include "app/CPlayerApp.h"
#include "platform/HandOverRecord.h"
#include "platform/InstanceChannel.h"
#include "platform/ManualClock.h"
#include "platform/PathNames.h"
#include "tests/support/LogCapture.h"
#include "tests/support/PlayerHarness.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zepo::test {
namespace {

// How often the window looks whether the other thread's work is done.
constexpr int kPollMs = 10;

std::string uniqueLock()
{
    static const QTemporaryDir folder;
    static int counter = 0;
    return folder.path().toStdString() + "/app-" + std::to_string(++counter);
}

// A running first instance: the lock is held and the player window runs modally while
// `whileRunning` does its work on a thread; the window closes when it is done.
class RunningPlayer : public ::testing::Test {
protected:
    void runWhile(const std::function<void()>& whileRunning)
    {
        CPlayerApp first({}, harness.clock, lock);
        ASSERT_TRUE(first.InitInstance());
        CPlayerDlg& window = harness.open();
        // A std::thread and an atomic flag rather than QThread and its finished signal: the
        // thread sanitizer sees the join and the flag, not Qt's own hand-over.
        std::atomic<bool> done = false;
        std::thread other;
        QTimer::singleShot(0, &window, [&] {
            other = std::thread([&] {
                whileRunning();
                done = true;
            });
        });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &window, [&] {
            if (done)
                window.close();
        });
        poll.start(kPollMs);
        EXPECT_EQ(first.Run(window), 0);
        other.join();
    }

    const std::string lock = uniqueLock();
    PlayerHarness harness;
};

TEST_F(RunningPlayer, SecondStartHandsItsFilesOverAndEndsWithoutAPlayerOfItsOwn)
{
    bool secondRunsAPlayer = true;
    runWhile([&] {
        CPlayerApp second({"/no/such.flv", "not here.flv"}, harness.clock, lock);
        secondRunsAPlayer = second.InitInstance();
    });
    EXPECT_FALSE(secondRunsAPlayer);
    // The relative path was completed in the sender's folder, where it was meant.
    const std::string folder = std::filesystem::current_path().native();
    EXPECT_EQ(harness.messages.texts, (std::vector<std::string>{"ファイル取得失敗 ：\n/no/such.flv",
                                                                "ファイル取得失敗 ：\n" + folder + "/not here.flv"}));
}

TEST_F(RunningPlayer, EveryHandedOverPathArrivesWholeWhateverItsBytes)
{
    const std::vector<std::string> names = {"/no/a|b.flv", "/no/new\nline.flv", "/no/100%.flv",
                                            "/no/\x83\x65\x83\x58\x83\x67.flv", "-dash.flv"};
    runWhile([&] { CPlayerApp(names, harness.clock, lock).InitInstance(); });
    const std::string folder = std::filesystem::current_path().native();
    std::vector<std::string> expected;
    for (const std::string& name : names)
        expected.push_back("ファイル取得失敗 ：\n" + (name.front() == '/' ? name : folder + "/" + name));
    EXPECT_EQ(harness.messages.texts, expected);
}

TEST_F(RunningPlayer, RecordsAreAnsweredWithWhetherThePlayerTookThem)
{
    ChannelReply taken{ChannelReply::Outcome::NoServer, {}};
    ChannelReply otherKind = taken;
    ChannelReply malformed = taken;
    runWhile([&] {
        taken = sendToChannel(lock, encodeHandOver({HandOverRecord::kKind, ""}), HandOverRecord::kMaxBytes);
        const std::string missing = std::string("/no/such.flv") + '\0';
        otherKind = sendToChannel(lock, encodeHandOver({0x4000, missing}), HandOverRecord::kMaxBytes);
        malformed = sendToChannel(lock, std::string("\x00\x80", 2), HandOverRecord::kMaxBytes);
    });
    EXPECT_EQ(taken.outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(taken.answer, "\1");
    EXPECT_EQ(otherKind.answer, std::string(1, '\0'));
    EXPECT_EQ(malformed.answer, std::string(1, '\0'));
    EXPECT_TRUE(harness.messages.texts.empty());
}

TEST_F(RunningPlayer, LockIsFreeOnceThePlayerHasClosed)
{
    runWhile([] {});
    CPlayerApp next({}, harness.clock, lock);
    EXPECT_TRUE(next.InitInstance());
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first, it->second->c_str(), 1);
            else
                ::unsetenv(it->first);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// The session of these tests: a runtime folder and a display of their own.
class PlayerAppSession : public ::testing::Test {
protected:
    PlayerAppSession()
    {
        environment.set("XDG_RUNTIME_DIR", runtime.path().toStdString());
        environment.set("TMPDIR", temporary.path().toStdString());
        environment.set("DISPLAY", display);
    }

    QTemporaryDir runtime;
    QTemporaryDir temporary;
    const std::string display = ":zepo-test-" + std::to_string(::getpid());
    ScopedEnvironment environment;
    ManualClock clock;
};

// Any local user may bind a name in the abstract namespace, where the channel once lived,
// and a full backlog there made every start wait for ever. Nothing of it counts now.
TEST_F(PlayerAppSession, ASquatterOnTheOldNameCannotStopAStart)
{
    QLocalServer squatter;
    squatter.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    squatter.setMaxPendingConnections(0);
    const std::string oldName = "MultiplexStartingPreventionTest-" + std::to_string(::getuid()) + "-" + display;
    ASSERT_TRUE(squatter.listen(QString::fromStdString(oldName)));
    std::vector<int> queued;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, oldName.data(), oldName.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + oldName.size());
    for (int i = 0; i < 200; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
            ::close(fd);
            break;
        }
        queued.push_back(fd);
    }

    const auto path = CPlayerApp::defaultLockPath();
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, runtime.path().toStdString() + "/" + oldName);
    CPlayerApp first({}, clock);
    EXPECT_TRUE(first.InitInstance());
    // It holds the channel: the next start finds it there.
    InstanceChannel next(*path, HandOverRecord::kMaxBytes, clock);
    EXPECT_EQ(next.claim(), InstanceChannel::Claim::HeldByOther);
    for (int fd : queued)
        ::close(fd);
}

TEST_F(PlayerAppSession, WithoutAPrivateFolderThePlayerRunsAloneAndSaysSo)
{
    // A runtime folder others may enter is passed over for a folder of zepo's own.
    ASSERT_EQ(::chmod(runtime.path().toLocal8Bit().constData(), 0755), 0);
    const std::string own = temporary.path().toStdString() + "/zepo-" + std::to_string(::getuid());
    {
        LogCapture log;
        const auto path = CPlayerApp::defaultLockPath();
        ASSERT_TRUE(path);
        EXPECT_EQ(folderOf(*path), own + "/");
        EXPECT_EQ(log.lines("zepo.platform", "XDG_RUNTIME_DIR").size(), 1u);
        struct stat info {};
        ASSERT_EQ(::lstat(own.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    // That folder replaced by a link to a folder anyone may use: no channel at all.
    ASSERT_EQ(::rmdir(own.c_str()), 0);
    ASSERT_EQ(::symlink("/tmp", own.c_str()), 0);
    LogCapture log;
    const auto path = CPlayerApp::defaultLockPath();
    ASSERT_FALSE(path);
    CPlayerApp lone({}, clock, path);
    EXPECT_TRUE(lone.InitInstance());
    const auto lines = log.lines("zepo.app", "runs alone");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines.front().text.find(own + ": is a link"), std::string::npos);
}

} // namespace
} // namespace zepo::test
