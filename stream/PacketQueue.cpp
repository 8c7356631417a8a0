#include "stream/PacketQueue.h"

namespace zepo::stream {

void PacketQueue::push(MediaPacket packet)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_ || packet.serial != serial_)
            return;
        bytes_ += packet.payload.size();
        packets_.push_back(std::move(packet));
    }
    ready_.notify_one();
}

std::optional<MediaPacket> PacketQueue::pop(std::atomic<bool>& idle)
{
    std::unique_lock lock(mutex_);
    if (packets_.empty() && !closed_) {
        idle = true;
        ready_.wait(lock, [this] { return closed_ || !packets_.empty(); });
    }
    idle = false;
    if (closed_)
        return std::nullopt;
    MediaPacket p = std::move(packets_.front());
    packets_.pop_front();
    bytes_ -= p.payload.size();
    return p;
}

void PacketQueue::flush(int serial)
{
    std::lock_guard lock(mutex_);
    serial_ = serial;
    packets_.clear();
    bytes_ = 0;
}

void PacketQueue::close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        packets_.clear();
        bytes_ = 0;
    }
    ready_.notify_all();
}

std::size_t PacketQueue::bytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

bool PacketQueue::empty() const
{
    std::lock_guard lock(mutex_);
    return packets_.empty();
}

} // namespace zepo::stream
