#include "stream/PicturePool.h"

#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <optional>

namespace zepo::stream {
namespace {

// Plain memory that counts what the pool asks of it and what it gives back.
class CountingSource final : public PicturePool::Source {
public:
    struct Counts {
        std::mutex mutex;
        int allocated = 0;
        std::map<std::uint8_t*, std::size_t> live;  // memory handed out, with its size
    };
    explicit CountingSource(std::shared_ptr<Counts> counts) : counts_(std::move(counts)) {}

    std::uint8_t* allocate(std::size_t bytes) override
    {
        auto* memory = new std::uint8_t[bytes];
        std::lock_guard lock(counts_->mutex);
        ++counts_->allocated;
        counts_->live[memory] = bytes;
        return memory;
    }
    void release(std::uint8_t* memory, std::size_t bytes) override
    {
        {
            std::lock_guard lock(counts_->mutex);
            EXPECT_EQ(counts_->live.at(memory), bytes);
            counts_->live.erase(memory);
        }
        delete[] memory;
    }

private:
    std::shared_ptr<Counts> counts_;
};

class PicturePoolTest : public ::testing::Test {
protected:
    std::shared_ptr<CountingSource::Counts> counts = std::make_shared<CountingSource::Counts>();
    std::optional<PicturePool> pool{std::in_place, std::make_unique<CountingSource>(counts)};
};

// Playback shows one picture after another at one size: once the first few are back,
// every further picture reuses their memory instead of asking for more.
TEST_F(PicturePoolTest, PicturesOfOneSizeReuseTheMemoryOfThoseShownBefore)
{
    std::uint8_t* first = nullptr;
    {
        const Picture a = pool->take({1280, 720}, false);
        ASSERT_FALSE(a.isNull());
        first = a.pixels();
        EXPECT_EQ(a.size(), (PictureSize{1280, 720}));
        EXPECT_EQ(a.stride(), 1280 * 4);
        const Picture copy = a;  // the display's copy keeps it out of the pool
        EXPECT_NE(pool->take({1280, 720}, false).pixels(), first);
    }
    EXPECT_EQ(counts->live.size(), 2u);  // both kept for the next pictures
    for (int i = 0; i < 100; ++i) {
        Picture converted = pool->take({1280, 720}, false);
        Picture onScreen = pool->take({1280, 720}, false);
        ASSERT_FALSE(onScreen.isNull());
    }
    EXPECT_EQ(counts->allocated, 2);
    // Rows start aligned for vector stores whatever the width.
    const Picture odd = pool->take({33, 7}, true);
    EXPECT_EQ(odd.stride() % 64, 0);
    EXPECT_GE(odd.stride(), 33 * 4);
    EXPECT_TRUE(odd.hasAlpha());
}

// A new display size makes the kept memory useless: it is given back, and memory of the
// old size that comes back later goes straight back too. Only a few buffers are kept
// however many pictures a display held at once.
TEST_F(PicturePoolTest, MemoryOfAnOutgrownSizeAndBeyondTheFewKeptIsGivenBack)
{
    std::vector<Picture> held;
    for (int i = 0; i < 10; ++i)
        held.push_back(pool->take({640, 360}, false));
    held.clear();
    EXPECT_LT(counts->live.size(), 10u);  // nothing is held: what is live is kept idle

    Picture old = pool->take({640, 360}, false);
    const Picture bigger = pool->take({1280, 720}, false);
    EXPECT_EQ(counts->live.size(), 2u);  // the idle ones of 640x360 went back
    old = Picture();
    EXPECT_EQ(counts->live.size(), 1u);  // only the picture still held
}

// Pictures may outlive the pool (a display still shows the last one after the stream
// closed): their memory goes back to the source when they go, and none is lost.
TEST_F(PicturePoolTest, PicturesOutliveThePoolAndTheirMemoryIsReleasedWhenTheyGo)
{
    Picture last = pool->take({64, 64}, false);
    pool->take({64, 64}, false);
    pool.reset();
    EXPECT_EQ(counts->live.size(), 1u);
    last.pixels()[0] = 1;  // still writable memory
    last = Picture();
    EXPECT_TRUE(counts->live.empty());
}

TEST(PicturePool, RefusesEmptySizesAndSaysSoWhenNoMemoryCanBeHad)
{
    class NoMemory final : public PicturePool::Source {
        std::uint8_t* allocate(std::size_t) override { return nullptr; }
        void release(std::uint8_t*, std::size_t) override { ADD_FAILURE() << "nothing was handed out"; }
    };
    PicturePool pool(std::make_unique<NoMemory>());
    EXPECT_TRUE(pool.take({0, 10}, false).isNull());
    EXPECT_TRUE(pool.take({100, 100}, false).isNull());
}

} // namespace
} // namespace zepo::stream
