#pragma once

#include "stream/AudioBuffer.h"
#include "stream/FrameQueue.h"
#include "stream/KeyframeIndex.h"
#include "stream/MasterClock.h"
#include "stream/PacketQueue.h"
#include "stream/PictureMemory.h"
#include "stream/SessionPhase.h"
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
    MasterClock clock;                // changed by `phase`; the audio callback syncs it
    SessionPhase phase{clock};        // UI thread seeks and pauses, pacer starts and ends

    // Wishes of the UI thread.
    std::atomic<int> volume{100};
    std::atomic<bool> audioWanted{true};
    std::atomic<bool> videoWanted{false};
    std::atomic<int> bufferMs{10000};

    // Queues between the threads (each has its own lock). Each carries the seek generation
    // it is in, and a seek flushes them all into the next one.
    PacketQueue videoPackets;         // reader -> video decoder
    PacketQueue audioPackets;         // reader -> audio decoder
    FrameQueue frames;                // video decoder -> pacer
    AudioBuffer sound;                // audio decoder -> device callback

    // Published by the decoders.
    std::atomic<bool> videoUsable{true};      // false once the video cannot be decoded
    std::atomic<bool> audioUsable{true};      // false once the sound cannot be decoded or played
    std::atomic<bool> videoIdle{false};       // waiting for packets
    std::atomic<bool> audioIdle{false};

    std::mutex mutex;
    std::condition_variable changed;          // any of the guarded fields below changed

    struct SeekRequest {
        int serial;
        double seconds;
    };
    std::optional<SeekRequest> pendingSeek;   // UI thread sets, reader takes
    // How far the reader has read in the generation it reads in.
    struct ReadProgress {
        int serial = -1;                      // that generation; none until the file is open
        std::int64_t ms = 0;                  // the latest timestamp read in it
        bool atEnd = false;                   // the file was read to its end in it
    };
    ReadProgress read;                        // reader sets, pacer reads
    bool indexDone = false;                   // indexer sets
    std::shared_ptr<const KeyframeIndex> index;  // indexer sets; null when the scan failed
    PictureSize videoSize;                    // UI thread sets, pacer reads
    int videoSizeVersion = 0;                 // bumped with each new size
    // The sound device, once the audio decoder has opened it (it sets and clears this);
    // the pacer closes and reopens it as playback pauses and resumes.
    std::shared_ptr<AudioOutput> audioOutput;
    int runningThreads = 0;                   // each thread counts itself out as it ends

    bool stopping() const { return abort.load(std::memory_order_relaxed); }
    // The owner's seek: the next generation begins, held at the target, with every queue
    // flushed into it before the reader can take the request (its flush markers and what
    // it reads after them are of the new generation).
    void seek(double seconds)
    {
        {
            std::lock_guard lock(mutex);
            const int serial = phase.seek(seconds);
            videoPackets.flush(serial);
            audioPackets.flush(serial);
            frames.flush(serial);
            sound.flush(serial);
            pendingSeek = SeekRequest{serial, seconds};
        }
        changed.notify_all();
    }
    void notify()
    {
        { std::lock_guard lock(mutex); }
        changed.notify_all();
    }
};

} // namespace zepo::stream
