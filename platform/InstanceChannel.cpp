#include "platform/InstanceChannel.h"

#include "platform/Log.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace zepo {

namespace {

// A record's byte count precedes it as a 32-bit little-endian number.
constexpr std::size_t kLengthBytes = 4;
// How much a connection may hold unread in Qt's buffer: enough for any answer and for
// quick transfers, small enough that a flood cannot grow it without bound.
constexpr qint64 kSocketReadBuffer = 64 * 1024;
// Wait for ever: a waiting client's server may be showing a message box to the user.
constexpr int kNoTimeLimit = -1;
// The lock file beside the socket: its path is the socket's and this.
constexpr char kLockSuffix[] = ".lock";
// The lock file holds nothing; only the user needs to open it.
constexpr mode_t kLockFileMode = 0600;

std::string frame(const std::string& payload)
{
    const auto size = static_cast<std::uint32_t>(payload.size());
    std::string out;
    out.reserve(kLengthBytes + payload.size());
    for (std::size_t i = 0; i < kLengthBytes; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    out += payload;
    return out;
}

std::uint32_t frameLength(const std::string& received)
{
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < kLengthBytes; ++i)
        size |= std::uint32_t(static_cast<unsigned char>(received[i])) << (8 * i);
    return size;
}

enum class FrameState {
    Incomplete,
    Complete,
    Invalid,     // the frame is longer than maxPayload
    TooMuchHeld, // `received` would grow past maxHeld
};

// Moves what the socket holds into `received`, never past the end of one frame nor past
// maxHeld bytes; bytes after the frame stay unread.
FrameState takeFrame(QLocalSocket& socket, std::string& received, std::size_t maxPayload,
                     std::size_t maxHeld = SIZE_MAX)
{
    for (;;) {
        std::size_t wanted = kLengthBytes;
        if (received.size() >= kLengthBytes) {
            const std::uint32_t payload = frameLength(received);
            if (payload > maxPayload)
                return FrameState::Invalid;
            wanted += payload;
            if (received.size() == wanted)
                return FrameState::Complete;
        }
        if (socket.bytesAvailable() <= 0)
            return FrameState::Incomplete;
        if (received.size() + std::min<std::size_t>(wanted - received.size(), socket.bytesAvailable()) > maxHeld)
            return FrameState::TooMuchHeld;
        const QByteArray chunk = socket.read(static_cast<qint64>(wanted - received.size()));
        if (chunk.isEmpty())
            return FrameState::Incomplete;
        received.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    }
}

bool peerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

bool peerIsThisUser(const QLocalSocket& socket)
{
    return peerIsThisUser(static_cast<int>(socket.socketDescriptor()));
}

// A blocking connect to a socket file, for at most limitMs: a server whose backlog is full
// makes it wait in the kernel (not in a loop) until there is room or the time is up.
// The connected descriptor, or -1 with errno set (EAGAIN: the time ran out).
int connectWithin(const std::string& path, int limitMs)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    timeval limit{limitMs / 1000, (limitMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    // A signal may cut the wait short; the kernel then goes on connecting.
    while (result != 0 && (errno == EINTR || errno == EALREADY))
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result != 0 && errno != EISCONN) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // The records themselves may take as long as the server's handler.
    const timeval none{};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &none, sizeof none);
    return fd;
}

bool writeAll(QLocalSocket& socket, const std::string& bytes)
{
    if (socket.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kNoTimeLimit))
            return false;
    }
    return true;
}

} // namespace

InstanceChannel::InstanceChannel(std::string path, std::size_t maxRecordBytes, TimerService& timers)
    : path_(std::move(path)), maxRecordBytes_(maxRecordBytes), timers_(timers)
{
}

InstanceChannel::~InstanceChannel()
{
    close();
}

InstanceChannel::Claim InstanceChannel::claim()
{
    problem_.clear();
    const std::string lockPath = path_ + kLockSuffix;
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, kLockFileMode);
    if (fd < 0) {
        problem_ = lockPath + ": " + std::strerror(errno);
        return Claim::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Claim::HeldByOther;
        problem_ = lockPath + ": " + std::strerror(error);
        return Claim::Unavailable;
    }
    // The lock is ours, so a socket file there is a dead holder's.
    auto server = std::make_unique<QLocalServer>();
    const QString socketPath = QFile::decodeName(QByteArray::fromStdString(path_));
    QLocalServer::removeServer(socketPath);
    if (!server->listen(socketPath)) {
        problem_ = path_ + ": " + server->errorString().toStdString();
        ::close(fd);
        return Claim::Unavailable;
    }
    lockFd_ = fd;
    connect(server.get(), &QLocalServer::newConnection, this, &InstanceChannel::acceptConnections);
    server_ = std::move(server);
    return Claim::Owned;
}

void InstanceChannel::setHandler(Handler handler)
{
    handler_ = std::move(handler);
    scheduleDispatch();
}

void InstanceChannel::close()
{
    handler_ = {};
    waiting_.clear();
    if (server_) {
        // Dropping the connections releases their clients, which then end without an
        // answer.
        for (auto& [client, connection] : connections_) {
            client->disconnect(this);
            client->abort();
            client->deleteLater();
        }
        connections_.clear();
        // Removes the socket file, while the lock still keeps the next holder away.
        server_->close();
        server_.reset();
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void InstanceChannel::acceptConnections()
{
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (connections_.size() >= kMaxConnections || !peerIsThisUser(*client)) {
            client->abort();
            client->deleteLater();
            continue;
        }
        connect(client, &QObject::destroyed, this, [this, client] { connections_.erase(client); });
        client->setReadBufferSize(kSocketReadBuffer);
        auto& connection = *connections_.emplace(client, std::make_unique<Connection>(timers_)).first->second;
        connect(client, &QLocalSocket::readyRead, this, [this, client] { readFrom(client); });
        watchIdle(client, connection);
        readFrom(client);
    }
}

void InstanceChannel::watchIdle(QLocalSocket* client, Connection& connection)
{
    connection.idle.start(kIdleMs, [this, client] {
        qCWarning(lcPlatform) << "a connection to the single-instance channel sent nothing for" << kIdleMs
                              << "ms - closed";
        drop(client);
    });
}

void InstanceChannel::drop(QLocalSocket* client)
{
    connections_.erase(client);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

std::size_t InstanceChannel::bufferedBytes() const
{
    std::size_t total = 0;
    for (const auto& [client, connection] : connections_)
        total += connection->received.size();
    for (const Waiting& waiting : waiting_)
        total += waiting.record.size();
    return total;
}

void InstanceChannel::readFrom(QLocalSocket* client)
{
    const auto found = connections_.find(client);
    if (found == connections_.end())
        return;
    Connection& connection = *found->second;
    const std::size_t budget = kBufferedRecords * (kLengthBytes + maxRecordBytes_);
    const std::size_t others = bufferedBytes() - connection.received.size();
    const std::size_t mayHold = budget > others ? budget - others : 0;
    const std::size_t before = connection.received.size();
    switch (takeFrame(*client, connection.received, maxRecordBytes_, mayHold)) {
    case FrameState::Incomplete:
        if (connection.received.size() != before)
            watchIdle(client, connection);
        return;
    case FrameState::Invalid:
        drop(client);
        return;
    case FrameState::TooMuchHeld:
        qCWarning(lcPlatform) << "the single-instance channel holds" << others
                              << "bytes of other records - a connection sending more was closed";
        drop(client);
        return;
    case FrameState::Complete:
        // One record per connection: nothing more is read from this client, and it may
        // wait for the handler as long as the user takes.
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
        connection.idle.stop();
        waiting_.push_back({client, connection.received.substr(kLengthBytes)});
        connection.received = std::string();
        scheduleDispatch();
        return;
    }
}

void InstanceChannel::scheduleDispatch()
{
    // Never run the handler from inside a socket's signal or the caller's frame: it may
    // spin event loops of its own.
    QMetaObject::invokeMethod(this, &InstanceChannel::dispatch, Qt::QueuedConnection);
}

void InstanceChannel::dispatch()
{
    if (dispatching_)
        return;
    dispatching_ = true;
    const QPointer<InstanceChannel> alive(this);
    while (handler_ && !waiting_.empty()) {
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        // A copy: close() may reset handler_ while the handler runs.
        const Handler handler = handler_;
        const std::string reply = handler(next.record);
        if (!alive)
            return;
        if (next.client && next.client->state() == QLocalSocket::ConnectedState)
            answer(*next.client, reply);
    }
    dispatching_ = false;
}

void InstanceChannel::answer(QLocalSocket& client, const std::string& reply)
{
    const std::string bytes = frame(reply);
    client.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Sends what is buffered, then closes; disconnected() then deletes the socket.
    client.disconnectFromServer();
}

FileResult<std::string> sessionChannelPath(const std::string& base)
{
    auto folder = privateRuntimeFolder();
    if (!folder)
        return folder.error();
    const char* display = std::getenv("DISPLAY");
    std::string name = base + "-" + std::to_string(::getuid()) + "-" + (display ? display : "");
    // A display name may hold a "/" (a socket path of its own); here it is one file name.
    for (char& c : name)
        if (c == '/')
            c = '_';
    return *folder + "/" + name;
}

ChannelReply sendToChannel(const std::string& path, const std::string& record, std::size_t maxRecordBytes,
                           int connectLimitMs)
{
    const int fd = connectWithin(path, connectLimitMs);
    if (fd < 0)
        return {errno == EAGAIN ? ChannelReply::Outcome::Busy : ChannelReply::Outcome::NoServer, {}};
    if (!peerIsThisUser(fd)) {
        ::close(fd);
        return {ChannelReply::Outcome::ForeignServer, {}};
    }
    QLocalSocket socket;
    if (!socket.setSocketDescriptor(fd)) {
        ::close(fd);
        return {ChannelReply::Outcome::NoServer, {}};
    }
    if (!writeAll(socket, frame(record)))
        return {ChannelReply::Outcome::Dropped, {}};
    std::string received;
    for (;;) {
        switch (takeFrame(socket, received, maxRecordBytes)) {
        case FrameState::Complete:
            return {ChannelReply::Outcome::Answered, received.substr(kLengthBytes)};
        case FrameState::Invalid:
        case FrameState::TooMuchHeld:
            return {ChannelReply::Outcome::Dropped, {}};
        case FrameState::Incomplete:
            break;
        }
        if (socket.bytesAvailable() > 0)
            continue;
        if (socket.state() != QLocalSocket::ConnectedState || !socket.waitForReadyRead(kNoTimeLimit)) {
            // The last bytes may have come together with the close.
            if (socket.bytesAvailable() > 0)
                continue;
            return {ChannelReply::Outcome::Dropped, {}};
        }
    }
}

} // namespace zepo
