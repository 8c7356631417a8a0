#pragma once

#include <cstdint>
#include <memory>

namespace zepo::stream {

// A width and a height in pixels.
struct PictureSize {
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const PictureSize&) const = default;
};

// A picture ready to be shown 1:1: 32-bit pixels, each 0xAARRGGBB in the machine's byte
// order (the layout of the X server's 24- and 32-bit visuals), rows `stride` bytes apart.
// The alpha byte counts only where hasAlpha() (VP6 with alpha; not premultiplied).
//
// Copies share the pixels. The memory comes with its own release: whoever provided it
// gets it back when the last copy goes, so a display can have pictures converted straight
// into memory of its own (memory the X server reads, say) instead of copying them there.
class Picture {
public:
    Picture() = default;
    // Memory provided elsewhere: `pixels` holds size.height rows of `stride` bytes, and its
    // deleter returns them to the provider.
    Picture(std::shared_ptr<std::uint8_t> pixels, PictureSize size, int stride, bool alpha)
        : pixels_(std::move(pixels)), size_(size), stride_(stride), alpha_(alpha) {}
    // Plain memory of its own, rows aligned for vector stores; a null picture when none can
    // be had. (Playback takes its pictures from a PictureMemory instead.)
    static Picture allocate(PictureSize size, bool alpha);
    // The row length in bytes of a picture that wide: rows start aligned for vector stores.
    static int strideFor(int width);

    bool isNull() const { return !pixels_; }
    PictureSize size() const { return size_; }
    int stride() const { return stride_; }
    bool hasAlpha() const { return alpha_; }
    std::uint8_t* pixels() const { return pixels_.get(); }

private:
    std::shared_ptr<std::uint8_t> pixels_;
    PictureSize size_;
    int stride_ = 0;
    bool alpha_ = false;
};

} // namespace zepo::stream
