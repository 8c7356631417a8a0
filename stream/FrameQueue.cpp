#include "stream/FrameQueue.h"

namespace zepo::stream {

bool FrameQueue::push(DecodedFrame frame)
{
    return pushWhen(std::move(frame), [this] { return items_.size() < kDepth; });
}

std::optional<FrameQueue::Peek> FrameQueue::peek() const
{
    std::lock_guard lock(mutex_);
    if (items_.empty())
        return std::nullopt;
    const DecodedFrame& f = items_.front();
    return Peek{f.serial, f.pts};
}

std::optional<DecodedFrame> FrameQueue::pop()
{
    std::optional<DecodedFrame> out;
    {
        std::lock_guard lock(mutex_);
        if (items_.empty())
            return out;
        out = std::move(items_.front());
        items_.pop_front();
    }
    space_.notify_all();
    return out;
}

} // namespace zepo::stream
