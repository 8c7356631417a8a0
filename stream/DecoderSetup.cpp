#include "stream/DecoderSetup.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "stream/PictureBound.h"

#include <cstring>

namespace zepo::stream {

AVCodecID avCodecId(FlvCodec codec, int bitsPerSample)
{
    switch (codec) {
    case FlvCodec::SorensonH263: return AV_CODEC_ID_FLV1;
    case FlvCodec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
    case FlvCodec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
    case FlvCodec::Vp6: return AV_CODEC_ID_VP6F;
    case FlvCodec::Vp6Alpha: return AV_CODEC_ID_VP6A;
    case FlvCodec::Avc: return AV_CODEC_ID_H264;
    case FlvCodec::Hevc: return AV_CODEC_ID_HEVC;
    case FlvCodec::Av1: return AV_CODEC_ID_AV1;
    case FlvCodec::Vp9: return AV_CODEC_ID_VP9;
    // "Platform endian" PCM was written on little-endian machines in practice.
    case FlvCodec::PcmPlatformEndian:
    case FlvCodec::PcmLittleEndian: return bitsPerSample == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
    case FlvCodec::Adpcm: return AV_CODEC_ID_ADPCM_SWF;
    case FlvCodec::Mp3: return AV_CODEC_ID_MP3;
    case FlvCodec::Nellymoser: return AV_CODEC_ID_NELLYMOSER;
    case FlvCodec::G711ALaw: return AV_CODEC_ID_PCM_ALAW;
    case FlvCodec::G711MuLaw: return AV_CODEC_ID_PCM_MULAW;
    case FlvCodec::Aac: return AV_CODEC_ID_AAC;
    case FlvCodec::Speex: return AV_CODEC_ID_SPEEX;
    case FlvCodec::None: break;
    }
    return AV_CODEC_ID_NONE;
}

bool needsSequenceHeader(FlvCodec codec)
{
    return codec == FlvCodec::Avc || codec == FlvCodec::Hevc || codec == FlvCodec::Aac;
}

DecoderParams paramsFor(const FlvPayload& info)
{
    DecoderParams p;
    p.codec = info.codec;
    p.sampleRate = info.sampleRate;
    p.channels = info.channels;
    // Only raw PCM tells its sample width in the header; for the rest the bit is noise.
    if (info.codec == FlvCodec::PcmPlatformEndian || info.codec == FlvCodec::PcmLittleEndian)
        p.bitsPerSample = info.bitsPerSample;
    if (info.codec == FlvCodec::Vp6 || info.codec == FlvCodec::Vp6Alpha)
        p.extradata = {info.vp6Adjustment};
    return p;
}

Result<CodecContextPtr, StreamError> openDecoder(const DecoderParams& params, LogFile* logFile)
{
    const AVCodecID id = avCodecId(params.codec, params.bitsPerSample);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    const std::string name = avcodec_get_name(id);
    const auto refused = [&](int code) -> Result<CodecContextPtr, StreamError> {
        const FlvErrorKind kind = code == AVERROR_INVALIDDATA ? FlvErrorKind::Corrupt : FlvErrorKind::Unsupported;
        return StreamError(kind, name + " decoder refused its configuration: " + ffmpegErrorText(code));
    };
    if (!codec)
        return StreamError(FlvErrorKind::Unsupported, "no " + name + " decoder here");
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        return refused(AVERROR(ENOMEM));
    // Its messages, from its own frame threads too, name the file (FFmpeg copies this).
    ctx->opaque = logFile;
    ctx->pkt_timebase = AVRational{1, 1000};
    if (codec->type == AVMEDIA_TYPE_VIDEO) {
        ctx->thread_count = 0;  // as many as there are cores: large pictures need them
        ctx->max_pixels = kMaxPicturePixels;
    }
    if (params.sampleRate > 0)
        ctx->sample_rate = params.sampleRate;
    if (params.channels > 0)
        av_channel_layout_default(&ctx->ch_layout, params.channels);
    if (!params.extradata.empty()) {
        ctx->extradata = static_cast<std::uint8_t*>(av_mallocz(params.extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!ctx->extradata)
            return refused(AVERROR(ENOMEM));
        std::memcpy(ctx->extradata, params.extradata.data(), params.extradata.size());
        ctx->extradata_size = static_cast<int>(params.extradata.size());
    }
    if (const int rc = avcodec_open2(ctx.get(), codec, nullptr); rc < 0)
        return refused(rc);
    return ctx;
}

PacketPtr toAvPacket(const MediaPacket& packet)
{
    PacketPtr pkt(av_packet_alloc());
    const std::size_t offset = packet.info.offset;
    if (!pkt || offset > packet.payload.size())
        return nullptr;
    const std::size_t size = packet.payload.size() - offset;
    if (av_new_packet(pkt.get(), static_cast<int>(size)) < 0)
        return nullptr;
    if (size > 0)
        std::memcpy(pkt->data, packet.payload.data() + offset, size);
    pkt->dts = packet.dtsMs;
    pkt->pts = static_cast<std::int64_t>(packet.dtsMs) + packet.info.compositionMs;
    if (packet.info.keyframe)
        pkt->flags |= AV_PKT_FLAG_KEY;
    return pkt;
}

} // namespace zepo::stream
