#pragma once

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace zepo {

// The channel through which a second start of the program hands its files to the running
// one. Holding the channel's name is the single-instance lock: the name lives in Linux's
// abstract socket namespace, so nothing is left on disk and the kernel frees it when the
// holding process ends, however it ends.
//
// On the wire a record is a 4-byte little-endian byte count followed by that many bytes.
// A client sends one record and waits; the server answers with one record once its
// handler has returned, then closes the connection. Connections from other users are
// refused, since abstract sockets carry no file permissions.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Owned,       // this process holds the name and serves it
        HeldByOther, // another process holds the name
        Unavailable, // the system refused for another reason
    };
    // Takes one complete record and returns the answer. Runs on the thread of the
    // channel (the UI thread) and may run nested event loops (message boxes).
    using Handler = std::function<std::string(const std::string& record)>;

    // maxRecordBytes: a longer record is refused and its connection dropped unanswered.
    InstanceChannel(std::string name, std::size_t maxRecordBytes);
    ~InstanceChannel() override;

    Claim claim();

    // Records that arrived before (since claim()) are handled first, in order of
    // arrival. One record is handled at a time: records completed while a handler runs
    // wait for it to return.
    void setHandler(Handler handler);

    // Stops serving: waiting clients are dropped unanswered, queued records discarded,
    // the name is released.
    void close();

private:
    struct Waiting {
        QPointer<QLocalSocket> client; // null once the client went away
        std::string record;
    };

    void acceptConnections();
    void readFrom(QLocalSocket* client, std::string& received);
    void scheduleDispatch();
    void dispatch();
    static void answer(QLocalSocket& client, const std::string& reply);

    const std::string name_;
    const std::size_t maxRecordBytes_;
    // All of the following are owned by the channel and touched on its thread only.
    std::unique_ptr<QLocalServer> server_;
    Handler handler_;
    std::deque<Waiting> waiting_;
    bool dispatching_ = false;
};

// The channel's name for this user in this graphical session: the base name, the user
// id and the display, so that a start on another display or by another user runs a
// player of its own, as a session-local lock would.
std::string sessionChannelName(const std::string& base);

// What became of a record sent to a channel.
struct ChannelReply {
    enum class Outcome {
        Answered,      // the handler ran; answer holds its reply
        NoServer,      // nobody serves the name
        ForeignServer, // another user's process holds the name; nothing was sent
        Dropped,       // the server went away or refused the record before answering
    };
    Outcome outcome;
    std::string answer;
};

// Sends one record to the channel of this name and blocks until it is answered, with no
// time limit while the server lives: its handler may wait on the user. Needs no event
// loop; call it from a thread with a Qt event dispatcher (any QThread or the main one).
ChannelReply sendToChannel(const std::string& name, const std::string& record, std::size_t maxRecordBytes);

} // namespace zepo
