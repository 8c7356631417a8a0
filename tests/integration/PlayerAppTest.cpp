#include "app/CPlayerApp.h"
#include "platform/HandOverRecord.h"
#include "platform/InstanceChannel.h"
#include "tests/support/PlayerHarness.h"

#include <QTimer>
#include <atomic>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace zepo::test {
namespace {

// How often the window looks whether the other thread's work is done.
constexpr int kPollMs = 10;

std::string uniqueLock()
{
    static int counter = 0;
    return "zepo-app-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

// A running first instance: the lock is held and the player window runs modally while
// `whileRunning` does its work on a thread; the window closes when it is done.
class RunningPlayer : public ::testing::Test {
protected:
    void runWhile(const std::function<void()>& whileRunning)
    {
        CPlayerApp first({}, lock);
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
        CPlayerApp second({"/no/such.flv", "not here.flv"}, lock);
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
    runWhile([&] { CPlayerApp(names, lock).InitInstance(); });
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
    CPlayerApp next({}, lock);
    EXPECT_TRUE(next.InitInstance());
}

} // namespace
} // namespace zepo::test
