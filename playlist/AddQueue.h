#pragma once

#include "platform/TimerService.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zepo {

// The work of adding paths to the list: files, folders scanned to their full depth and
// playlist files with everything they name. It runs in short slices on the UI thread
// between the window's other events, so neither a folder tree nor a huge or hostile
// playlist file ever holds the window up.
//
// The paths that arrive together (one command line, one drop, one hand-over: every call
// made before the work's first slice) form one open. An open reads each playlist file it
// meets once: a playlist met again inside its own expansion (files that list each
// other) is skipped, and one met again elsewhere is added as it was expanded the first
// time. An open adds at most kMaxEntriesPerOpen entries and looks at most at
// kMaxPathsPerOpen paths (playlist lines and folder entries); past either it stops and
// says so. Opens run one after another in the order they came.
//
// Owned by the playlist window; UI thread only.
class AddQueue {
public:
    // Where the work goes: the playlist window.
    class Target {
    public:
        virtual ~Target() = default;
        // A playlist's entries, handed to the player window's add-files operation (mode 1
        // appends all, another value lets the first replace); it comes back with each of
        // them through AddPath and AddFolder.
        virtual void addFiles(const std::vector<std::string>& paths, int mode) = 0;
        virtual void startNewList() = 0;
        // One FLV file for the end of the list.
        virtual void appendToList(const std::string& path) = 0;
        // An open stopped at its cap while reading `where` (a playlist file or folder).
        virtual void tellCapReached(const std::string& where) = 0;
    };

    AddQueue(TimerService& timers, Target& target);
    ~AddQueue();
    AddQueue(const AddQueue&) = delete;
    AddQueue& operator=(const AddQueue&) = delete;

    // The playlist window's operations, queued (modes as the numbers of the add
    // operations: 0 replaces, any other value appends; a folder's subfolders are scanned
    // when recursion is exactly 1). The queue takes numbers still because a benchmark
    // drives it as the playlist window does.
    void addPath(const std::string& path, int mode);
    void addFolder(const std::string& folder, int mode, int recursion);

    // Work is waiting or under way.
    bool busy() const { return !opens_.empty(); }

    // The most entries one open adds: a list this long still costs well under the memory
    // a desktop can spare (see bench_playlist), and no one queues more by hand.
    static constexpr std::size_t kMaxEntriesPerOpen = 100'000;
    // The most paths one open looks at: five times the entries it may add leaves room for
    // the files that are no videos; it bounds a scan of the whole file system to seconds
    // and the names one huge folder holds at once to tens of megabytes.
    static constexpr std::size_t kMaxPathsPerOpen = 500'000;
    // Steps of one slice; a step looks at one path (a stat, at most two small reads),
    // some tens of microseconds when the files are cached.
    static constexpr int kSliceSteps = 256;
    // A slice also ends after this long on the timer service's clock, so that a slow
    // disk cannot stretch one: well under the 100 ms in which the window must answer.
    static constexpr int kSliceMs = 8;
    // The pause between slices, in which the window's own events run.
    static constexpr int kSliceIntervalMs = 1;

private:
    struct Request;
    class Frame;
    class RequestsFrame;
    class FolderFrame;
    class PlaylistFrame;
    class ReplayFrame;
    class Open;

    void enqueue(Request request);
    void runSlice();

    TimerService& timers_;
    Target& target_;
    IntervalTimer slices_;
    std::deque<std::unique_ptr<Open>> opens_;
    // While a playlist's entries are with the player window, the requests that come back
    // from it are gathered here, to be worked where the playlist stands.
    std::deque<Request>* collecting_ = nullptr;
    // A slice is running (a message box's event loop inside it must not start another).
    bool inSlice_ = false;
};

} // namespace zepo
