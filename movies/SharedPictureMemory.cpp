#include "movies/SharedPictureMemory.h"

#include <cstdlib>

namespace zepo {

namespace {
// Row starts of the stand-in memory, aligned as the stream aligns its own for libswscale's
// vector stores.
constexpr std::size_t kAlignment = 64;
} // namespace

std::uint8_t* SharedPictureMemory::allocate(std::size_t bytes)
{
    if (std::uint8_t* memory = shared_->allocate(bytes))
        return memory;
    return static_cast<std::uint8_t*>(std::aligned_alloc(kAlignment, (bytes + kAlignment - 1) / kAlignment * kAlignment));
}

void SharedPictureMemory::release(std::uint8_t* memory, std::size_t)
{
    if (!shared_->release(memory))
        std::free(memory);
}

} // namespace zepo
