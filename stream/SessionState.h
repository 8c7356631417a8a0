#pragma once

#include "stream/AudioBuffer.h"
#include "stream/FrameQueue.h"
#include "stream/KeyframeIndex.h"
#include "stream/MasterClock.h"
#include "stream/PacketQueue.h"
#include "stream/PictureMemory.h"
#include "stream/StreamEvents.h"
#include "stream/StreamLog.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace zepo::stream {

class AudioOutput;

// Everything the threads of one playback session share. Atomics are written by the one
// party named in their comment and read by anyone; the rest is guarded by `mutex`. Each
// thread holds a share of it: a session whose owner could not wait for a thread stuck in
// I/O goes away when that thread ends.
struct SessionState {
    SessionState(std::string filePath, std::shared_ptr<StreamEvents> sink, bool quiet)
        : path(std::move(filePath)), log(path, quiet), events(std::move(sink)) {}

    const std::string path;
    LogFile log;                      // the session's lines about its file, any thread
    const std::shared_ptr<StreamEvents> events;
    // Where the pacer converts pictures into (null: memory of its own); set before the
    // threads start.
    std::shared_ptr<PictureMemory> pictureMemory;

    std::atomic<bool> abort{false};   // session owner: stop every thread
    std::atomic<int> serial{0};       // UI thread: bumped by each seek; stale items are dropped
    MasterClock clock;                // UI thread seeks/pauses, audio callback syncs, pacer releases

    // Wishes of the UI thread.
    std::atomic<int> volume{100};
    std::atomic<bool> audioWanted{true};
    std::atomic<bool> videoWanted{false};
    std::atomic<int> bufferMs{10000};

    // Queues between the threads (each has its own lock).
    PacketQueue videoPackets;         // reader -> video decoder
    PacketQueue audioPackets;         // reader -> audio decoder
    FrameQueue frames;                // video decoder -> pacer
    AudioBuffer sound;                // audio decoder -> device callback

    // Published by the reader thread.
    std::atomic<int> readerSerial{-1};        // generation the reader is reading in
    std::atomic<std::int64_t> readMs{0};      // latest timestamp read in that generation
    std::atomic<int> endOfFileSerial{-1};     // generation in which the reader reached the end
    // Published by the decoders.
    std::atomic<bool> videoUsable{true};      // false once the video cannot be decoded
    std::atomic<bool> audioUsable{true};      // false once the sound cannot be decoded or played
    std::atomic<bool> videoIdle{false};       // waiting for packets
    std::atomic<bool> audioIdle{false};
    std::atomic<int> videoEndSerial{-1};      // generation whose last frame was queued
    std::atomic<int> audioEndSerial{-1};

    std::mutex mutex;
    std::condition_variable changed;          // any of the guarded fields below changed

    struct SeekRequest {
        int serial;
        double seconds;
    };
    std::optional<SeekRequest> pendingSeek;   // UI thread sets, reader takes
    bool indexDone = false;                   // indexer sets
    std::shared_ptr<const KeyframeIndex> index;  // indexer sets; null when the scan failed
    PictureSize videoSize;                    // UI thread sets, pacer reads
    int videoSizeVersion = 0;                 // bumped with each new size
    // The sound device, once the audio decoder has opened it (it sets and clears this);
    // the pacer closes and reopens it as playback pauses and resumes.
    std::shared_ptr<AudioOutput> audioOutput;
    int runningThreads = 0;                   // each thread counts itself out as it ends

    bool stopping() const { return abort.load(std::memory_order_relaxed); }
    void notify()
    {
        { std::lock_guard lock(mutex); }
        changed.notify_all();
    }
};

} // namespace zepo::stream
