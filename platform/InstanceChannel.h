#pragma once

#include "platform/PrivateFolder.h"
#include "platform/TimerService.h"

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>

class QLocalServer;
class QLocalSocket;

namespace zepo {

// The channel through which a second start of the program hands its files to the running
// one. It is a local socket file in a folder only this user can reach, so no other user
// can take its name first or connect to it. Beside it lies a lock file (the socket's path
// and ".lock"): whoever holds the lock (flock) holds the channel, and the kernel lets go of
// the lock when its holder ends, however it ends. A socket file left by a holder that died
// is stale and is replaced by the next holder; of two starts at once exactly one gets the
// lock. The holder removes the socket file before it lets the lock go, so that it never
// removes the socket of the holder after it.
//
// On the wire a record is a 4-byte little-endian byte count followed by that many bytes.
// A client sends one record and waits; the server answers with one record once its
// handler has returned, then closes the connection. What a connection may cost the
// server is bounded (see the limits below), whatever the other end does.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Owned,       // this process holds the channel and serves it
        HeldByOther, // another process holds the lock
        Unavailable, // the system refused for another reason (see problem())
    };
    // Takes one complete record and returns the answer. Runs on the thread of the
    // channel (the UI thread) and may run nested event loops (message boxes).
    using Handler = std::function<std::string(const std::string& record)>;

    // The most connections served at once; later ones are closed at once. Far below the
    // 1024 descriptors a process has by default, and far above the starts a user makes
    // at once.
    static constexpr std::size_t kMaxConnections = 64;
    // A connection whose record has not arrived after this long without a byte is
    // closed: a start sends its record as soon as it is connected, in milliseconds.
    static constexpr int kIdleMs = 5000;
    // The bytes held for all connections together (records arriving and records waiting
    // for the handler), in whole records: one may arrive while another waits for a
    // message box to close. A connection that would pass it is closed.
    static constexpr std::size_t kBufferedRecords = 2;

    // path: the socket file, in a private folder. maxRecordBytes: a longer record is
    // refused and its connection dropped unanswered. timers: the idle limit's clock.
    InstanceChannel(std::string path, std::size_t maxRecordBytes, TimerService& timers);
    ~InstanceChannel() override;

    Claim claim();
    // Why the last claim was Unavailable: one line for the log.
    const std::string& problem() const { return problem_; }

    // Records that arrived before (since claim()) are handled first, in order of
    // arrival. One record is handled at a time: records completed while a handler runs
    // wait for it to return.
    void setHandler(Handler handler);

    // Stops serving: waiting clients are dropped unanswered, queued records discarded,
    // the socket file removed and the lock let go.
    void close();

    // Connections open now (for tests of the limits).
    std::size_t connectionCount() const { return connections_.size(); }

private:
    // One accepted connection; owned by connections_, keyed by its socket.
    struct Connection {
        explicit Connection(TimerService& timers) : idle(timers) {}
        std::string received; // what has arrived of its record
        IntervalTimer idle;   // runs while the record is incomplete
    };
    struct Waiting {
        QPointer<QLocalSocket> client; // null once the client went away
        std::string record;
    };

    void acceptConnections();
    void readFrom(QLocalSocket* client);
    void drop(QLocalSocket* client);
    void watchIdle(QLocalSocket* client, Connection& connection);
    std::size_t bufferedBytes() const;
    void scheduleDispatch();
    void dispatch();
    static void answer(QLocalSocket& client, const std::string& reply);

    const std::string path_;
    const std::size_t maxRecordBytes_;
    TimerService& timers_;
    // All of the following are owned by the channel and touched on its thread only.
    std::string problem_;
    int lockFd_ = -1; // the held lock file, -1 when not held
    Handler handler_;
    std::deque<Waiting> waiting_;
    bool dispatching_ = false;
    // Before server_: the sockets it owns remove their entries here as they go.
    std::map<QLocalSocket*, std::unique_ptr<Connection>> connections_;
    std::unique_ptr<QLocalServer> server_;
};

// The channel's path for this user in this graphical session: in the user's private
// runtime folder, named from the base name, the user id and the display, so that a start
// on another display or by another user runs a player of its own, as a session-local
// lock would. Why there is none when no private folder can be had.
FileResult<std::string> sessionChannelPath(const std::string& base);

// What became of a record sent to a channel.
struct ChannelReply {
    enum class Outcome {
        Answered,      // the handler ran; answer holds its reply
        NoServer,      // nobody serves the path
        Busy,          // the server took no connection within the time limit
        ForeignServer, // another user's process serves the path; nothing was sent
        Dropped,       // the server went away or refused the record before answering
    };
    Outcome outcome;
    std::string answer;
};

// How long a start waits for a connection: the server's backlog holds many, so only a
// server that takes none while something floods it makes a start wait at all.
inline constexpr int kConnectLimitMs = 5000;

// Sends one record to the channel at this path and blocks until it is answered: at most
// connectLimitMs for the connection, then with no time limit while the server lives, as
// its handler may wait on the user. Needs no event loop; call it from a thread with a Qt
// event dispatcher (any QThread or the main one).
ChannelReply sendToChannel(const std::string& path, const std::string& record, std::size_t maxRecordBytes,
                           int connectLimitMs = kConnectLimitMs);

} // namespace zepo
