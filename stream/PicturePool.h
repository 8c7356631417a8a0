#pragma once

#include "stream/PictureMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zepo::stream {

// Picture memory reused from one picture to the next: a picture's memory comes back to the
// pool when its last copy goes, and the next picture of the same size takes it again, so
// playback does not map, fault in and unmap megabytes for every picture it shows. The pool
// keeps a few buffers of the size asked for last; memory of an earlier size is freed as it
// comes back. Where the bytes come from is a Source: plain memory, or memory a display
// provides. Thread-safe; pictures may outlive the pool.
class PicturePool final : public PictureMemory {
public:
    // Hands out and takes back the pool's buffers; called from any thread, by several
    // at once (the pacer takes memory while the display gives a picture back).
    class Source {
    public:
        virtual ~Source() = default;
        // Null when no memory can be had.
        virtual std::uint8_t* allocate(std::size_t bytes) = 0;
        virtual void release(std::uint8_t* memory, std::size_t bytes) = 0;
    };

    // Plain memory.
    PicturePool();
    explicit PicturePool(std::unique_ptr<Source> source);
    ~PicturePool() override;
    PicturePool(const PicturePool&) = delete;
    PicturePool& operator=(const PicturePool&) = delete;

    Picture take(PictureSize size, bool alpha) override;

private:
    struct Shelf;
    std::shared_ptr<Shelf> shelf_;
};

} // namespace zepo::stream
