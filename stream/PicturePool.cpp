#include "stream/PicturePool.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <mutex>
#include <vector>

namespace zepo::stream {
namespace {

// Buffers kept for the next pictures: every picture alive at once during playback (the
// one converted ahead of its time, the one on its way to the display, the one on screen
// and one the display may still be reading). More are freed as they come back.
constexpr std::size_t kIdleBuffers = 4;

class PlainMemory final : public PicturePool::Source {
public:
    std::uint8_t* allocate(std::size_t bytes) override { return static_cast<std::uint8_t*>(av_malloc(bytes)); }
    void release(std::uint8_t* memory, std::size_t) override { av_free(memory); }
};

} // namespace

// What the pool and its pictures share; it lives until the pool and every picture of it
// are gone.
struct PicturePool::Shelf {
    explicit Shelf(std::unique_ptr<Source> from) : source(std::move(from)) {}

    void giveBack(std::uint8_t* memory, std::size_t size)
    {
        {
            std::lock_guard lock(mutex);
            if (open && size == bytes && idle.size() < kIdleBuffers) {
                idle.push_back(memory);
                return;
            }
        }
        source->release(memory, size);
    }

    const std::unique_ptr<Source> source;
    mutable std::mutex mutex;
    std::size_t bytes = 0;             // guarded: the size of the buffers kept, the latest asked for
    std::vector<std::uint8_t*> idle;   // guarded
    bool open = true;                  // guarded: false once the pool is gone and keeps nothing
};

PicturePool::PicturePool() : PicturePool(std::make_unique<PlainMemory>()) {}

PicturePool::PicturePool(std::unique_ptr<Source> source) : shelf_(std::make_shared<Shelf>(std::move(source))) {}

// Memory kept for pictures to come is given back now; pictures still out give theirs
// back as they go.
PicturePool::~PicturePool()
{
    std::vector<std::uint8_t*> idle;
    std::size_t bytes = 0;
    {
        std::lock_guard lock(shelf_->mutex);
        shelf_->open = false;
        idle.swap(shelf_->idle);
        bytes = shelf_->bytes;
    }
    for (std::uint8_t* memory : idle)
        shelf_->source->release(memory, bytes);
}

Picture PicturePool::take(PictureSize size, bool alpha)
{
    if (size.isEmpty())
        return {};
    const int stride = Picture::strideFor(size.width);
    const std::size_t bytes = std::size_t(stride) * std::size_t(size.height);
    std::uint8_t* memory = nullptr;
    std::vector<std::uint8_t*> outgrown;
    std::size_t outgrownBytes = 0;
    {
        std::lock_guard lock(shelf_->mutex);
        if (bytes != shelf_->bytes) {
            outgrown.swap(shelf_->idle);
            outgrownBytes = shelf_->bytes;
            shelf_->bytes = bytes;
        } else if (!shelf_->idle.empty()) {
            memory = shelf_->idle.back();
            shelf_->idle.pop_back();
        }
    }
    for (std::uint8_t* old : outgrown)
        shelf_->source->release(old, outgrownBytes);
    if (!memory)
        memory = shelf_->source->allocate(bytes);
    if (!memory)
        return {};
    auto pixels = std::shared_ptr<std::uint8_t>(memory, [shelf = shelf_, bytes](std::uint8_t* p) { shelf->giveBack(p, bytes); });
    return Picture(std::move(pixels), size, stride, alpha);
}

} // namespace zepo::stream
