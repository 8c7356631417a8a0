#include "stream/FrameQueue.h"

#include <algorithm>

namespace zepo::stream {

bool FrameQueue::push(DecodedFrame frame, const std::atomic<int>& currentSerial)
{
    std::unique_lock lock(mutex_);
    space_.wait(lock, [&] { return closed_ || frame.serial != currentSerial.load() || frames_.size() < kDepth; });
    if (closed_)
        return false;
    if (frame.serial == currentSerial.load())
        frames_.push_back(std::move(frame));
    return true;
}

void FrameQueue::wake()
{
    { std::lock_guard lock(mutex_); }
    space_.notify_all();
}

std::optional<FrameQueue::Peek> FrameQueue::peek() const
{
    std::lock_guard lock(mutex_);
    if (frames_.empty())
        return std::nullopt;
    const DecodedFrame& f = frames_.front();
    return Peek{f.serial, f.pts};
}

std::optional<DecodedFrame> FrameQueue::pop()
{
    std::optional<DecodedFrame> out;
    {
        std::lock_guard lock(mutex_);
        if (frames_.empty())
            return out;
        out = std::move(frames_.front());
        frames_.pop_front();
    }
    space_.notify_all();
    return out;
}

void FrameQueue::dropOtherSerials(int serial)
{
    {
        std::lock_guard lock(mutex_);
        std::erase_if(frames_, [serial](const DecodedFrame& f) { return f.serial != serial; });
    }
    space_.notify_all();
}

bool FrameQueue::hasSerial(int serial) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(frames_.begin(), frames_.end(), [serial](const DecodedFrame& f) { return f.serial == serial; });
}

void FrameQueue::close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        frames_.clear();
    }
    space_.notify_all();
}

} // namespace zepo::stream
