#include "platform/InstanceChannel.h"
#include "platform/ManualClock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zepo::test {
namespace {

// Small enough that an oversized record is cheap to make.
constexpr std::size_t kMaxRecord = 1024;
// Generous bound for anything that should happen at once; a test that hits it fails
// instead of hanging.
constexpr int kPatienceMs = 10000;
// Long enough for a record to cross a local socket and be read many times over.
constexpr int kSettleMs = 300;

// A private folder (QTemporaryDir makes it 0700) for the channels of one test.
const QTemporaryDir& channelFolder()
{
    static const QTemporaryDir folder;
    return folder;
}

std::string uniqueName()
{
    static int counter = 0;
    return channelFolder().path().toStdString() + "/channel-" + std::to_string(++counter);
}

// Runs the event loop until `done` holds or the patience runs out.
bool processUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(kPatienceMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void processFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A second instance: sends one record from a thread of its own and keeps the reply. The
// reply is handed over by the flag, which ThreadSanitizer sees (Qt's own thread states
// are locked where it cannot look).
class Client {
public:
    Client(const std::string& name, std::string record)
        : thread_([this, name, record] {
            reply_ = sendToChannel(name, record, kMaxRecord);
            finished_ = true;
        })
    {
    }
    ~Client() { thread_.join(); }
    bool finished() const { return finished_; }
    bool waitFinished() { return processUntil([this] { return finished(); }); }
    const ChannelReply& reply() const { return reply_; }

private:
    ChannelReply reply_{ChannelReply::Outcome::NoServer, {}};
    std::atomic<bool> finished_{false};
    std::thread thread_;  // last: it starts once the fields it writes exist
};

// A client that speaks raw bytes on the main thread; only for what the kernel buffers.
std::unique_ptr<QLocalSocket> rawClient(const std::string& name, const std::string& bytes)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(QString::fromStdString(name));
    EXPECT_TRUE(socket->waitForConnected(kPatienceMs));
    if (!bytes.empty()) {
        socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
        EXPECT_TRUE(socket->waitForBytesWritten(kPatienceMs));
    }
    return socket;
}

sockaddr_un socketAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    return address;
}

// A socket file that listens with the shortest backlog and never accepts; -1 on failure.
int listeningSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = socketAddress(path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string lengthPrefix(std::uint32_t size)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    return out;
}

// A channel that holds its name, with a handler that keeps every record it is given.
class OwnedChannel : public ::testing::Test {
protected:
    using Answer = std::function<std::string(const std::string& record)>;

    void SetUp() override { ASSERT_EQ(channel.claim(), InstanceChannel::Claim::Owned); }
    // From now on records go to `seen`, each answered as `answer` says.
    void keepRecords(Answer answer = [](const std::string&) { return std::string("ok"); })
    {
        channel.setHandler([this, answer](const std::string& record) {
            seen.push_back(record);
            return answer(record);
        });
    }

    const std::string name = uniqueName();
    ManualClock clock;
    InstanceChannel channel{name, kMaxRecord, clock};
    std::vector<std::string> seen;
};

TEST(InstanceChannelName, IsHeldByOneChannelAtATimeAndFreedWithIt)
{
    ManualClock clock;
    const std::string name = uniqueName();
    auto first = std::make_unique<InstanceChannel>(name, kMaxRecord, clock);
    InstanceChannel second(name, kMaxRecord, clock);
    EXPECT_EQ(first->claim(), InstanceChannel::Claim::Owned);
    EXPECT_EQ(second.claim(), InstanceChannel::Claim::HeldByOther);
    first.reset();
    EXPECT_EQ(second.claim(), InstanceChannel::Claim::Owned);
    second.close();
    InstanceChannel third(name, kMaxRecord, clock);
    EXPECT_EQ(third.claim(), InstanceChannel::Claim::Owned);
}

// What a holder that was killed leaves: its socket file, bound and never removed, and its
// lock file, no longer locked.
TEST(InstanceChannelName, FilesOfAHolderThatDiedDoNotKeepTheNextOneOut)
{
    const std::string name = uniqueName();
    const int dead = listeningSocket(name);
    ASSERT_GE(dead, 0);
    ::close(dead);
    const int lock = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    ::close(lock);

    // Nobody answers there: a start is told, at once, that nobody serves it.
    EXPECT_EQ(sendToChannel(name, "x", kMaxRecord).outcome, ChannelReply::Outcome::NoServer);

    ManualClock clock;
    InstanceChannel next(name, kMaxRecord, clock);
    ASSERT_EQ(next.claim(), InstanceChannel::Claim::Owned);
    next.setHandler([](const std::string& record) { return "took " + record; });
    Client client(name, "a.flv");
    ASSERT_TRUE(client.waitFinished());
    EXPECT_EQ(client.reply().answer, "took a.flv");
}

TEST(InstanceChannelName, OfManyStartsAtOnceExactlyOneHoldsIt)
{
    constexpr int kStarts = 8;
    const std::string name = uniqueName();
    std::atomic<int> owners = 0;
    std::atomic<int> others = 0;
    // Every start claims before any lets go. QThreads, which serve the channel's socket
    // notifier; what they found comes back through atomics and the latch. Each start counts
    // itself through last: the thread sanitizer sees neither the latch's futex nor Qt's
    // wait for a thread, and the count orders everything a start did before the checks.
    std::latch claimed(kStarts);
    std::atomic<int> through = 0;
    std::vector<std::unique_ptr<QThread>> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.emplace_back(QThread::create([&] {
            ManualClock clock;
            InstanceChannel channel(name, kMaxRecord, clock);
            const InstanceChannel::Claim claim = channel.claim();
            (claim == InstanceChannel::Claim::Owned ? owners : others) += 1;
            claimed.arrive_and_wait();
            through += 1;
        }));
        starts.back()->start();
    }
    for (auto& start : starts)
        ASSERT_TRUE(start->wait(kPatienceMs));
    ASSERT_EQ(through, kStarts);
    EXPECT_EQ(owners, 1);
    EXPECT_EQ(others, kStarts - 1);
}

// A listener that never accepts, with its backlog full: a start waits in the kernel
// for the time limit, not for ever and not in a busy loop, and is told so.
TEST(InstanceChannelName, AServerThatTakesNoConnectionIsGivenUpAfterTheLimit)
{
    const std::string name = uniqueName();
    const int listener = listeningSocket(name);
    ASSERT_GE(listener, 0);
    const sockaddr_un address = socketAddress(name);
    std::vector<int> queued;
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            break;
        }
        queued.push_back(fd);
    }
    constexpr int kLimitMs = 200;
    const QDeadlineTimer patience(kPatienceMs);
    EXPECT_EQ(sendToChannel(name, "x", kMaxRecord, kLimitMs).outcome, ChannelReply::Outcome::Busy);
    EXPECT_FALSE(patience.hasExpired());
    for (int fd : queued)
        ::close(fd);
    ::close(listener);
}

TEST_F(OwnedChannel, RecordReachesTheHandlerAndItsAnswerTheClient)
{
    keepRecords([](const std::string& record) { return "answer to " + record; });
    Client client(name, "a.flv|");
    ASSERT_TRUE(client.waitFinished());
    EXPECT_EQ(client.reply().outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(client.reply().answer, "answer to a.flv|");
    EXPECT_EQ(seen, std::vector<std::string>{"a.flv|"});

    // An empty record is a record too.
    Client empty(name, "");
    ASSERT_TRUE(empty.waitFinished());
    EXPECT_EQ(empty.reply().outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(seen, (std::vector<std::string>{"a.flv|", ""}));
}

TEST_F(OwnedChannel, RecordsThatArriveBeforeTheHandlerWaitAndAreHandledInOrder)
{
    // The first record is read while the program starts; the second one arrives while
    // the program is busy and stays in the kernel's backlog.
    auto first = rawClient(name, lengthPrefix(5) + "first");
    processFor(kSettleMs);
    auto second = rawClient(name, lengthPrefix(6) + "second");

    keepRecords([](const std::string& record) { return "ok " + record; });
    ASSERT_TRUE(processUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));
    // Each answer went to its own client.
    ASSERT_TRUE(processUntil([&] { return first->bytesAvailable() >= 12 && second->bytesAvailable() >= 13; }));
    EXPECT_EQ(first->readAll().toStdString(), lengthPrefix(8) + "ok first");
    EXPECT_EQ(second->readAll().toStdString(), lengthPrefix(9) + "ok second");
}

TEST_F(OwnedChannel, ClientWaitsWhileTheHandlerRunsANestedLoopAndRecordsAreHandledOneAtATime)
{
    std::vector<std::string> events;
    std::unique_ptr<Client> late;
    bool firstWaitedDuringTheBox = false;
    Client* first = nullptr;
    channel.setHandler([&](const std::string& record) {
        events.push_back("enter " + record);
        if (record == "a") {
            // A message box: a nested loop the user ends much later. Meanwhile another
            // start sends its record.
            late = std::make_unique<Client>(name, "b");
            processFor(kSettleMs);
            firstWaitedDuringTheBox = !first->finished();
        }
        events.push_back("leave " + record);
        return std::string("ok");
    });
    Client a(name, "a");
    first = &a;
    ASSERT_TRUE(a.waitFinished());
    ASSERT_TRUE(processUntil([&] { return late && late->finished(); }));
    EXPECT_TRUE(firstWaitedDuringTheBox);
    EXPECT_EQ(events, (std::vector<std::string>{"enter a", "leave a", "enter b", "leave b"}));
    EXPECT_EQ(a.reply().outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(late->reply().outcome, ChannelReply::Outcome::Answered);
}

TEST_F(OwnedChannel, GarbageStallsAndEarlyDisconnectsDoNotDisturbOtherClients)
{
    keepRecords();

    auto gone = rawClient(name, "");
    gone->abort();
    auto halfHeader = rawClient(name, lengthPrefix(5).substr(0, 2));
    halfHeader->abort();
    auto halfRecord = rawClient(name, lengthPrefix(100) + "only a part");
    halfRecord->abort();
    auto stalled = rawClient(name, lengthPrefix(100) + "and then nothing");
    auto oversized = rawClient(name, lengthPrefix(kMaxRecord + 1) + "x");
    auto huge = rawClient(name, lengthPrefix(0xFFFFFFFF));
    // Refused records are dropped at once, without waiting for bytes never coming.
    EXPECT_TRUE(processUntil([&] {
        return oversized->state() == QLocalSocket::UnconnectedState && huge->state() == QLocalSocket::UnconnectedState;
    }));

    Client good(name, "good");
    ASSERT_TRUE(good.waitFinished());
    EXPECT_EQ(good.reply().outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(seen, std::vector<std::string>{"good"});
    EXPECT_EQ(stalled->state(), QLocalSocket::ConnectedState);
}

TEST_F(OwnedChannel, RecordOfAClientThatLeftIsStillHandled)
{
    auto leaving = rawClient(name, lengthPrefix(4) + "gone");
    leaving->disconnectFromServer();
    leaving.reset();
    processFor(kSettleMs);
    keepRecords();
    EXPECT_TRUE(processUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, std::vector<std::string>{"gone"});
}

TEST_F(OwnedChannel, OversizedRecordIsDroppedUnanswered)
{
    keepRecords();
    Client big(name, std::string(kMaxRecord + 1, 'x'));
    ASSERT_TRUE(big.waitFinished());
    EXPECT_EQ(big.reply().outcome, ChannelReply::Outcome::Dropped);
    Client fits(name, std::string(kMaxRecord, 'x'));
    ASSERT_TRUE(fits.waitFinished());
    EXPECT_EQ(fits.reply().outcome, ChannelReply::Outcome::Answered);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(OwnedChannel, ClosingDropsWaitingClientsAndFreesTheName)
{
    auto read = rawClient(name, lengthPrefix(4) + "read");
    processFor(kSettleMs);
    auto unread = rawClient(name, lengthPrefix(6) + "unread");
    channel.close();
    keepRecords();
    // Both are let go without an answer: a second start then ends instead of waiting.
    EXPECT_TRUE(processUntil([&] {
        return read->state() == QLocalSocket::UnconnectedState && unread->state() == QLocalSocket::UnconnectedState;
    }));
    EXPECT_EQ(read->bytesAvailable(), 0);
    EXPECT_TRUE(seen.empty());

    Client late(name, "x");
    ASSERT_TRUE(late.waitFinished());
    EXPECT_EQ(late.reply().outcome, ChannelReply::Outcome::NoServer);
}

TEST_F(OwnedChannel, ClosingFromInsideTheHandlerEndsTheQueue)
{
    auto first = rawClient(name, lengthPrefix(5) + "first");
    processFor(kSettleMs);
    auto second = rawClient(name, lengthPrefix(6) + "second");
    processFor(kSettleMs);
    keepRecords([this](const std::string&) {
        // The player window closes while it handles the first record.
        channel.close();
        return std::string("ok");
    });
    EXPECT_TRUE(processUntil([&] { return second->state() == QLocalSocket::UnconnectedState; }));
    processFor(kSettleMs);
    EXPECT_EQ(seen, std::vector<std::string>{"first"});
    EXPECT_EQ(second->bytesAvailable(), 0);
}

TEST_F(OwnedChannel, AConnectionThatSendsNothingForAWhileIsClosed)
{
    keepRecords();
    auto silent = rawClient(name, "");
    auto stalled = rawClient(name, lengthPrefix(100) + "a part");
    auto trickling = rawClient(name, lengthPrefix(10) + "a");
    ASSERT_TRUE(processUntil([&] { return channel.connectionCount() == 3; }));

    clock.advance(InstanceChannel::kIdleMs - 1000);
    trickling->write("b");
    ASSERT_TRUE(processUntil([&] { return trickling->bytesToWrite() == 0; }));
    processFor(kSettleMs);
    clock.advance(1000);
    EXPECT_TRUE(processUntil([&] {
        return silent->state() == QLocalSocket::UnconnectedState && stalled->state() == QLocalSocket::UnconnectedState;
    }));
    // A byte now and then keeps a slow sender's connection.
    EXPECT_EQ(trickling->state(), QLocalSocket::ConnectedState);
    EXPECT_EQ(channel.connectionCount(), 1u);

    // A complete record waits for the handler as long as the user takes.
    trickling->write("cdefghij");
    ASSERT_TRUE(processUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen.front(), "abcdefghij");
}

TEST_F(OwnedChannel, ConnectionsPastTheLimitAreClosedAtOnce)
{
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    // One at a time, taken in before the next: the kernel's backlog is shorter.
    for (std::size_t i = 0; i < InstanceChannel::kMaxConnections; ++i) {
        idle.push_back(rawClient(name, ""));
        ASSERT_TRUE(processUntil([&] { return channel.connectionCount() == i + 1; }));
    }
    auto extra = rawClient(name, lengthPrefix(1) + "x");
    EXPECT_TRUE(processUntil([&] { return extra->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(channel.connectionCount(), InstanceChannel::kMaxConnections);

    // Once the idle ones are gone, starts are served again.
    keepRecords();
    clock.advance(InstanceChannel::kIdleMs);
    ASSERT_TRUE(processUntil([&] { return channel.connectionCount() == 0; }));
    Client late(name, "late");
    ASSERT_TRUE(late.waitFinished());
    EXPECT_EQ(late.reply().outcome, ChannelReply::Outcome::Answered);
}

TEST_F(OwnedChannel, WhatAllConnectionsHoldTogetherIsBounded)
{
    // Two records held nearly whole take all the room there is; a third sender is closed,
    // and the two complete theirs and are served.
    const std::string body(kMaxRecord - 24, 'x');
    auto first = rawClient(name, lengthPrefix(kMaxRecord) + body);
    auto second = rawClient(name, lengthPrefix(kMaxRecord) + body);
    ASSERT_TRUE(processUntil([&] { return channel.connectionCount() == 2; }));
    processFor(kSettleMs);
    auto third = rawClient(name, lengthPrefix(kMaxRecord) + body);
    EXPECT_TRUE(processUntil([&] { return third->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(first->state(), QLocalSocket::ConnectedState);
    EXPECT_EQ(second->state(), QLocalSocket::ConnectedState);

    keepRecords();
    const std::string rest(24, 'y');
    first->write(rest.data(), static_cast<qint64>(rest.size()));
    second->write(rest.data(), static_cast<qint64>(rest.size()));
    ASSERT_TRUE(processUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.front(), body + rest);
}

} // namespace
} // namespace zepo::test
