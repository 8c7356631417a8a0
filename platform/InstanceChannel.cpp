#include "platform/InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <cstdint>
#include <cstdlib>
#include <sys/socket.h>
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

enum class FrameState { Incomplete, Complete, Invalid };

// Moves what the socket holds into `received`, never past the end of one frame; bytes
// after the frame stay unread.
FrameState takeFrame(QLocalSocket& socket, std::string& received, std::size_t maxPayload)
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
        const QByteArray chunk = socket.read(static_cast<qint64>(wanted - received.size()));
        if (chunk.isEmpty())
            return FrameState::Incomplete;
        received.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    }
}

bool peerIsThisUser(const QLocalSocket& socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
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

InstanceChannel::InstanceChannel(std::string name, std::size_t maxRecordBytes)
    : name_(std::move(name)), maxRecordBytes_(maxRecordBytes)
{
}

InstanceChannel::~InstanceChannel() = default;

InstanceChannel::Claim InstanceChannel::claim()
{
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(QString::fromStdString(name_))) {
        return server->serverError() == QAbstractSocket::AddressInUseError ? Claim::HeldByOther
                                                                           : Claim::Unavailable;
    }
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
    if (!server_)
        return;
    server_->close();
    // The accepted connections are the server's children; dropping them releases
    // their clients, which then end without an answer.
    for (QLocalSocket* client : server_->findChildren<QLocalSocket*>()) {
        client->abort();
        client->deleteLater();
    }
}

void InstanceChannel::acceptConnections()
{
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (!peerIsThisUser(*client)) {
            client->abort();
            client->deleteLater();
            continue;
        }
        client->setReadBufferSize(kSocketReadBuffer);
        // What has arrived of this client's record; lives as long as the connection.
        auto received = std::make_shared<std::string>();
        connect(client, &QLocalSocket::readyRead, this, [this, client, received] { readFrom(client, *received); });
        readFrom(client, *received);
    }
}

void InstanceChannel::readFrom(QLocalSocket* client, std::string& received)
{
    switch (takeFrame(*client, received, maxRecordBytes_)) {
    case FrameState::Incomplete:
        return;
    case FrameState::Invalid:
        client->disconnect(this);
        client->abort();
        client->deleteLater();
        return;
    case FrameState::Complete:
        // One record per connection: nothing more is read from this client.
        client->disconnect(this);
        waiting_.push_back({client, received.substr(kLengthBytes)});
        received.clear();
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

std::string sessionChannelName(const std::string& base)
{
    const char* display = std::getenv("DISPLAY");
    return base + "-" + std::to_string(::getuid()) + "-" + (display ? display : "");
}

ChannelReply sendToChannel(const std::string& name, const std::string& record, std::size_t maxRecordBytes)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(QString::fromStdString(name));
    if (!socket.waitForConnected(kNoTimeLimit))
        return {ChannelReply::Outcome::NoServer, {}};
    if (!peerIsThisUser(socket))
        return {ChannelReply::Outcome::ForeignServer, {}};
    if (!writeAll(socket, frame(record)))
        return {ChannelReply::Outcome::Dropped, {}};
    std::string received;
    for (;;) {
        switch (takeFrame(socket, received, maxRecordBytes)) {
        case FrameState::Complete:
            return {ChannelReply::Outcome::Answered, received.substr(kLengthBytes)};
        case FrameState::Invalid:
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
