#include "platform/InstanceChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
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

std::string uniqueName()
{
    static int counter = 0;
    return "zepo-channel-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
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
    socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket->connectToServer(QString::fromStdString(name));
    EXPECT_TRUE(socket->waitForConnected(kPatienceMs));
    if (!bytes.empty()) {
        socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
        EXPECT_TRUE(socket->waitForBytesWritten(kPatienceMs));
    }
    return socket;
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
    InstanceChannel channel{name, kMaxRecord};
    std::vector<std::string> seen;
};

TEST(InstanceChannelName, IsHeldByOneChannelAtATimeAndFreedWithIt)
{
    const std::string name = uniqueName();
    auto first = std::make_unique<InstanceChannel>(name, kMaxRecord);
    InstanceChannel second(name, kMaxRecord);
    EXPECT_EQ(first->claim(), InstanceChannel::Claim::Owned);
    EXPECT_EQ(second.claim(), InstanceChannel::Claim::HeldByOther);
    first.reset();
    EXPECT_EQ(second.claim(), InstanceChannel::Claim::Owned);
    second.close();
    InstanceChannel third(name, kMaxRecord);
    EXPECT_EQ(third.claim(), InstanceChannel::Claim::Owned);
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

} // namespace
} // namespace zepo::test
