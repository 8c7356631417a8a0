#pragma once

#include "platform/X11SharedMemory.h"
#include "stream/PicturePool.h"

#include <memory>

namespace zepo {

// Picture memory that the X server reads: the player's pictures are converted straight
// into it and put on screen from there. Where the server takes no more segments, plain
// memory stands in, and those pictures are painted by the toolkit.
class SharedPictureMemory final : public stream::PicturePool::Source {
public:
    explicit SharedPictureMemory(std::shared_ptr<X11SharedMemory> shared) : shared_(std::move(shared)) {}

    std::uint8_t* allocate(std::size_t bytes) override;
    void release(std::uint8_t* memory, std::size_t bytes) override;

private:
    const std::shared_ptr<X11SharedMemory> shared_;
};

} // namespace zepo
