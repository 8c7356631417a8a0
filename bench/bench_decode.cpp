// Decode floor: every audio and video packet of a file through our reader and the same
// FFmpeg decoders playback uses, as fast as they go, with nothing shown or heard.
// Usage: bench_decode FILE
#include "bench/BenchSupport.h"
#include "stream/DecoderSetup.h"
#include "stream/FlvReader.h"

#include <cstdio>

using namespace zepo;
using namespace zepo::stream;

namespace {

struct Track {
    CodecContextPtr codec;
    DecoderParams params;
    long frames = 0;

    void feed(const FlvPayload& info, const std::vector<std::uint8_t>& payload, std::uint32_t ts)
    {
        if (info.kind == FlvPayload::Kind::SequenceHeader) {
            params = paramsFor(info);
            params.extradata.assign(payload.begin() + std::ptrdiff_t(info.offset), payload.end());
            codec = openDecoder(params);
            return;
        }
        if (info.kind != FlvPayload::Kind::Frame)
            return;
        if (!codec && !needsSequenceHeader(info.codec)) {
            params = paramsFor(info);
            codec = openDecoder(params);
        }
        if (!codec)
            return;
        MediaPacket packet;
        packet.info = info;
        packet.payload = payload;
        packet.dtsMs = ts;
        auto pkt = toAvPacket(packet);
        if (pkt && avcodec_send_packet(codec.get(), pkt.get()) >= 0)
            drain();
    }
    void drain()
    {
        FramePtr frame(av_frame_alloc());
        while (avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
            ++frames;
            av_frame_unref(frame.get());
        }
    }
    void finish()
    {
        if (codec && avcodec_send_packet(codec.get(), nullptr) >= 0)
            drain();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    auto reader = FlvReader::open(FileSource::open(argv[1]));
    if (!reader)
        return 1;
    Track video;
    Track audio;
    const double cpu0 = bench::cpuSeconds();
    const auto t = bench::Clock::now();
    while (auto tag = reader->next(true)) {
        if (tag->header.type == FlvTagType::Video)
            video.feed(parseVideoPayload(tag->data), tag->data, tag->header.timestampMs);
        else if (tag->header.type == FlvTagType::Audio)
            audio.feed(parseAudioPayload(tag->data), tag->data, tag->header.timestampMs);
    }
    video.finish();
    audio.finish();
    const double wall = bench::secondsSince(t);
    std::printf("decode_wall_s=%.3f decode_cpu_s=%.3f video_frames=%ld audio_frames=%ld\n", wall,
                bench::cpuSeconds() - cpu0, video.frames, audio.frames);
    return 0;
}
