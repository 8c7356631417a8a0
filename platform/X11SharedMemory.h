#pragma once

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <QRegion>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

struct xcb_connection_t;

namespace zepo {

// Memory the program shares with the X server (MIT-SHM): segments both map, from which the
// server itself puts 32-bit images on a window. A picture converted into such memory
// reaches the screen without another copy of ours and without passing through the socket.
// It works on the toolkit's own connection, so its puts keep their order with the
// toolkit's painting of the same window.
class X11SharedMemory final : private QAbstractNativeEventFilter {
public:
    // Made on the UI thread. Nothing without an X display that takes segments as file
    // descriptors (MIT-SHM 1.2): offscreen, another platform, a remote display.
    static std::shared_ptr<X11SharedMemory> open();
    ~X11SharedMemory() override;
    X11SharedMemory(const X11SharedMemory&) = delete;
    X11SharedMemory& operator=(const X11SharedMemory&) = delete;

    // Memory mapped here and attached by the server; null when none can be had. Any thread.
    std::uint8_t* allocate(std::size_t bytes);
    // Gives back memory from allocate(); false (and nothing done) for any other memory.
    // Any thread; the server must have read the last image put from it.
    bool release(std::uint8_t* memory);

    // 32-bit pixels (0xAARRGGBB words in the machine's order), rows `stride` bytes apart.
    struct Image {
        const std::uint8_t* pixels;
        int width;
        int height;
        int stride;
    };
    // Has the server put the parts `region` (image coordinates) of an image that lies at
    // the start of memory from allocate() on a window, the image's top left at `origin`
    // (window pixels). `read` runs on the UI thread once the server has read the image or
    // failed to put it (at once when no part is to be put). False, with nothing put and `read` not kept, when
    // the memory is not ours or the window does not hold 24- or 32-bit pixels. UI thread.
    bool put(std::uint32_t window, const Image& image, QPoint origin, const QRegion& region,
             std::function<void()> read);

private:
    X11SharedMemory(xcb_connection_t* connection, int firstEvent, int majorOpcode);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    std::uint32_t segmentOf(const std::uint8_t* memory) const;
    bool useWindow(std::uint32_t window);

    struct Segment {
        std::uint32_t id;
        std::size_t bytes;
    };
    // A put whose image the server has not yet read.
    struct Pending {
        std::uint32_t segment;
        unsigned int lastRequest;  // the number of its last request, which errors name
        std::function<void()> read;
    };

    xcb_connection_t* const connection_;
    const int firstEvent_;     // the extension's first event number (its completion event)
    const int majorOpcode_;    // the extension's request number, named by its errors
    mutable std::mutex mutex_;
    std::map<const std::uint8_t*, Segment> segments_;  // guarded: every segment mapped here
    // UI thread only.
    std::deque<Pending> pending_;   // in the order the puts were made, which the server keeps
    std::uint32_t window_ = 0;      // the window the graphics context below belongs to
    std::uint32_t gc_ = 0;
    std::uint8_t depth_ = 0;        // that window's depth
};

} // namespace zepo
