#include "stream/VideoDecoder.h"

namespace zepo::stream {
namespace {

// On the way to a seek target whose picture the reader did not find ahead, pictures that
// nothing refers to and that are stamped this much before the target are not decoded at
// all: none of them can be the picture at the target (the last one not after it) in any
// video of at least one frame a second.
constexpr double kSkipBeforeTargetSeconds = 1.0;

} // namespace

void VideoDecoder::restart()
{
    seeking_ = true;
    atTarget_.reset();
}

// On the way to a seek target, the pictures nothing refers to are left out: every one
// before the picture at the target when the reader found that one ahead, else those well
// before the target.
AVDiscard VideoDecoder::skipFor(const MediaPacket& packet)
{
    if (!seeking_)
        return AVDISCARD_DEFAULT;
    const std::int64_t ptsMs = std::int64_t(packet.dtsMs) + packet.info.compositionMs;
    const bool beforeTarget = targetPictureMs_ >= 0 ? ptsMs < targetPictureMs_
                                                    : double(ptsMs) / 1000.0 < target_ - kSkipBeforeTargetSeconds;
    return beforeTarget ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

bool VideoDecoder::decoded(FramePtr& frame)
{
    const std::int64_t ms = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    DecodedFrame d{std::move(frame), serial_, ms == AV_NOPTS_VALUE ? target_ : double(ms) / 1000.0};
    if (seeking_) {
        if (d.pts <= target_) {
            atTarget_ = std::move(d);
            return true;
        }
        seeking_ = false;
        if (atTarget_) {
            if (!deliver(std::move(*atTarget_)))
                return false;
            atTarget_.reset();
        }
    }
    return deliver(std::move(d));
}

// The picture held for the target comes out when nothing came after it.
void VideoDecoder::drained()
{
    if (atTarget_) {
        deliver(std::move(*atTarget_));
        atTarget_.reset();
    }
    seeking_ = false;
    s_.frames.markEnd(serial_);
}

bool VideoDecoder::deliver(DecodedFrame frame)
{
    const bool ok = s_.frames.push(std::move(frame));
    s_.notify();
    return ok;
}

} // namespace zepo::stream
