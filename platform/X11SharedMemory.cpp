#include "platform/X11SharedMemory.h"

#include <QGuiApplication>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace zepo {

namespace {
// MIT-SHM takes segments as file descriptors from this version on: memory that nobody
// can leave behind in the system's segment table.
constexpr int kFdVersionMajor = 1;
constexpr int kFdVersionMinor = 2;
// A display that cannot map our memory (a remote one) refuses even this much.
constexpr std::size_t kProbeBytes = 4096;
// The pixel layout the pictures are in: 0xAARRGGBB words, red in the third byte.
constexpr std::uint32_t kRedMask = 0xff0000;
constexpr std::uint32_t kGreenMask = 0x00ff00;
constexpr std::uint32_t kBlueMask = 0x0000ff;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

// Whether a visual takes 0xAARRGGBB words as they are.
bool takesOurPixels(xcb_connection_t* connection, xcb_visualid_t visual)
{
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(connection)); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
            for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem; xcb_visualtype_next(&type)) {
                if (type.data->visual_id == visual)
                    return type.data->red_mask == kRedMask && type.data->green_mask == kGreenMask
                        && type.data->blue_mask == kBlueMask;
            }
        }
    }
    return false;
}
} // namespace

std::shared_ptr<X11SharedMemory> X11SharedMemory::open()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!extension || !extension->present)
        return nullptr;
    const auto version = owned(xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr));
    if (!version || version->major_version < kFdVersionMajor
        || (version->major_version == kFdVersionMajor && version->minor_version < kFdVersionMinor))
        return nullptr;
    std::shared_ptr<X11SharedMemory> memory(
        new X11SharedMemory(connection, extension->first_event, extension->major_opcode));
    std::uint8_t* probe = memory->allocate(kProbeBytes);
    if (!probe)
        return nullptr;
    memory->release(probe);
    return memory;
}

X11SharedMemory::X11SharedMemory(xcb_connection_t* connection, int firstEvent, int majorOpcode)
    : connection_(connection), firstEvent_(firstEvent), majorOpcode_(majorOpcode)
{
    qGuiApp->installNativeEventFilter(this);
}

// Every segment went back with the pictures in it, and every put was read: the pictures
// waiting for it hold this object.
X11SharedMemory::~X11SharedMemory()
{
    if (gc_ && qGuiApp) {
        xcb_free_gc(connection_, gc_);
        xcb_flush(connection_);
    }
}

std::uint8_t* X11SharedMemory::allocate(std::size_t bytes)
{
    const int fd = memfd_create("zepo-picture", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* address = MAP_FAILED;
    if (ftruncate(fd, off_t(bytes)) == 0)
        address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    const std::uint32_t id = xcb_generate_id(connection_);
    // xcb closes the descriptor once it has sent it; the mapping stays.
    if (auto error = owned(xcb_request_check(connection_, xcb_shm_attach_fd_checked(connection_, id, fd, 1)))) {
        munmap(address, bytes);
        return nullptr;
    }
    auto* memory = static_cast<std::uint8_t*>(address);
    std::lock_guard lock(mutex_);
    segments_[memory] = Segment{id, bytes};
    return memory;
}

bool X11SharedMemory::release(std::uint8_t* memory)
{
    Segment segment{};
    {
        std::lock_guard lock(mutex_);
        const auto it = segments_.find(memory);
        if (it == segments_.end())
            return false;
        segment = it->second;
        segments_.erase(it);
    }
    xcb_shm_detach(connection_, segment.id);
    xcb_flush(connection_);
    munmap(memory, segment.bytes);
    return true;
}

std::uint32_t X11SharedMemory::segmentOf(const std::uint8_t* memory) const
{
    std::lock_guard lock(mutex_);
    const auto it = segments_.find(memory);
    return it == segments_.end() ? 0 : it->second.id;
}

// A graphics context for the window, once its pixels are known to be ours.
bool X11SharedMemory::useWindow(std::uint32_t window)
{
    if (window == window_)
        return gc_ != 0;
    if (gc_)
        xcb_free_gc(connection_, gc_);
    window_ = window;
    gc_ = 0;
    const auto geometry = owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    const auto attributes =
        owned(xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr));
    if (!geometry || !attributes || (geometry->depth != 24 && geometry->depth != 32)
        || !takesOurPixels(connection_, attributes->visual))
        return false;
    depth_ = geometry->depth;
    gc_ = xcb_generate_id(connection_);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(connection_, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return true;
}

bool X11SharedMemory::put(std::uint32_t window, const Image& image, QPoint origin, const QRegion& region,
                          std::function<void()> read)
{
    const std::uint32_t segment = segmentOf(image.pixels);
    if (!segment || image.stride % 4 != 0 || !useWindow(window))
        return false;
    const QRegion parts = region & QRect(0, 0, image.width, image.height);
    if (parts.isEmpty()) {
        read();
        return true;
    }
    int left = parts.rectCount();
    Pending pending{segment, 0, std::move(read)};
    for (const QRect& r : parts) {
        // The last part's completion says that the server is done with the image.
        const std::uint8_t tell = --left == 0 ? 1 : 0;
        const xcb_void_cookie_t cookie = xcb_shm_put_image(
            connection_, window, gc_, std::uint16_t(image.stride / 4), std::uint16_t(image.height),
            std::uint16_t(r.x()), std::uint16_t(r.y()), std::uint16_t(r.width()), std::uint16_t(r.height()),
            std::int16_t(origin.x() + r.x()), std::int16_t(origin.y() + r.y()), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP,
            tell, segment, 0);
        pending.lastRequest = cookie.sequence;
    }
    xcb_flush(connection_);
    pending_.push_back(std::move(pending));
    return true;
}

// The server says it has read an image (or that it could not put it: the window went):
// the image's memory may be written again.
bool X11SharedMemory::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (pending_.empty() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    bool done = false;
    if (type == firstEvent_ + XCB_SHM_COMPLETION) {
        done = reinterpret_cast<const xcb_shm_completion_event_t*>(event)->shmseg == pending_.front().segment;
    } else if (type == 0) {
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(event);
        if (error->major_code != majorOpcode_ || error->minor_code != XCB_SHM_PUT_IMAGE)
            return false;
        // Each part of a failed put fails; the last one ends the put.
        done = error->full_sequence == pending_.front().lastRequest;
        if (!done)
            return true;
    }
    if (!done)
        return false;
    const std::function<void()> read = std::move(pending_.front().read);
    pending_.pop_front();
    read();
    return true;
}

} // namespace zepo
