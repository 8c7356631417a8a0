// What a long playlist costs: the memory of each entry once the list shows it, and how
// long the window is kept from answering while a playlist file, a folder tree or files
// that include each other are opened, while the list fills, and by the list's
// operations at full length.
//   bench_playlist [ENTRIES]   (default 100000; runs offscreen unless told otherwise)
// The opening runs on real time with a 1 ms heartbeat timer beside it: the longest gap
// between two beats is the longest the window could not answer. The filling runs the
// list's 60 frames a second on a manual clock (the real pace would take half an hour
// for 100 000 entries), painting the window after every frame, and times each frame.
// Each time is given twice: as it passed, and the UI thread's own CPU time in it (on a
// busy machine the first also holds the time other programs had the core).
#include "bench/BenchSupport.h"
#include "bridge/CShockwaveFlash.h"
#include "movies/playList.h"
#include "platform/ManualClock.h"
#include "platform/MessageBoxService.h"
#include "platform/QtTimerService.h"
#include "playlist/AddOperations.h"
#include "playlist/AddQueue.h"
#include "res/MovieSlots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <ctime>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace zepo;

namespace {

// A frame of the list's 60 frames a second.
constexpr int kFrameMs = 17;
// Distinct video files the generated playlist names (its lines repeat them).
constexpr int kDistinctFiles = 1000;
// Files of the generated folder tree: 20 folders of 500.
constexpr int kTreeFolders = 20;
constexpr int kFilesPerFolder = 500;
// Playlists that each list all the others.
constexpr int kMutualPlaylists = 9;

// The CPU time of the calling thread, milliseconds.
double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The longest of a series of intervals, as they passed and in the thread's CPU time.
struct Longest {
    double wallMs = 0;
    double cpuMs = 0;
    void take(double wall, double cpu)
    {
        wallMs = std::max(wallMs, wall);
        cpuMs = std::max(cpuMs, cpu);
    }
};

double residentMiB()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The heap's freed pages go back to the system, so that what stays resident is what is
// held.
double heldMiB()
{
    ::malloc_trim(0);
    return residentMiB();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Message boxes, printed: every path the benchmark opens exists, so none is expected.
class PrintedMessages : public MessageBoxService {
public:
    void show(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
};

// The list in a window, fed the way the playlist window feeds it.
struct ListWindow {
    ManualClock clock;
    CShockwaveFlash control;
    PlayListMovie* movie = nullptr;

    ListWindow()
    {
        auto owned = std::make_unique<PlayListMovie>(clock, *movieSlot(kPlayListMovieControl));
        movie = owned.get();
        control.loadMovie(std::move(owned));
        control.resize(250, 350);
        control.show();
        QCoreApplication::processEvents();
    }
    void append(const std::string& path)
    {
        control.SetVariable(kFlvPathVariable, path);
        control.TGotoLabel(kCommandClip, "addList");
    }
};

// The playlist window as its add queue sees it: a playlist's entries go through the
// player window's add-files operation and come back to the queue.
class BenchTarget : public AddQueue::Target, private AddOperations {
public:
    explicit BenchTarget(ListWindow& list) : list_(list) {}
    AddQueue* queue = nullptr;
    int capsReached = 0;

    void addFiles(const std::vector<std::string>& paths, AddMode mode) override
    {
        addFilesTo(this, paths, mode, messages_);
    }
    void startNewList() override { list_.control.TGotoLabel(kCommandClip, "newList"); }
    void appendToList(const std::string& path) override { list_.append(path); }
    void tellCapReached(const std::string&) override { ++capsReached; }

private:
    void AddPath(const std::string& path, AddMode mode) override { queue->addPath(path, mode); }
    void AddFolder(const std::string& folder, AddMode mode, bool recursive) override
    {
        queue->addFolder(folder, mode, recursive);
    }

    ListWindow& list_;
    PrintedMessages messages_;
};

// Opens one path on real time; prints how long it took and the longest the event loop
// was held.
void timeOpen(const char* what, ListWindow& list, const std::function<void(AddQueue&)>& open)
{
    QtTimerService timers;
    BenchTarget target(list);
    AddQueue queue(timers, target);
    target.queue = &queue;
    const std::size_t before = list.movie->queuedPaths();

    QElapsedTimer clock;
    double lastBeatMs = 0, lastBeatCpuMs = threadCpuMs();
    Longest gap;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6, cpu = threadCpuMs();
        gap.take(now - lastBeatMs, cpu - lastBeatCpuMs);
        lastBeatMs = now;
        lastBeatCpuMs = cpu;
    });
    clock.start();
    heartbeat.start(1);
    open(queue);
    while (queue.busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    heartbeat.stop();
    std::printf("%-44s %7zu entries %6.2f s  longest gap %5.1f ms (CPU %4.1f ms)%s\n", what,
                list.movie->queuedPaths() - before, seconds, gap.wallMs, gap.cpuMs,
                target.capsReached ? "  (cap reached)" : "");
}

// Runs an operation of the list at full length with a repaint; returns its CPU time, ms.
double timeOperation(ListWindow& list, const std::function<void()>& operation)
{
    const double cpu = threadCpuMs();
    operation();
    list.control.repaint();
    QCoreApplication::processEvents();
    return threadCpuMs() - cpu;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100'000;

    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    // Paths of a usual length: a home folder, a series folder, a numbered episode.
    std::vector<std::string> files;
    ::mkdir((root + "/ビデオ").c_str(), 0755);
    for (int i = 0; i < kDistinctFiles; ++i) {
        files.push_back(root + "/ビデオ/番組 第" + std::to_string(i) + "話 (1280x720).flv");
        writeFile(files.back(), "FLV\x01\x05");
    }

    ListWindow list;
    // A first entry shown and removed: fonts and glyphs are loaded once for good.
    list.append(files.front());
    list.clock.advance(kFrameMs);
    QCoreApplication::processEvents();
    list.control.TGotoLabel(kCommandClip, "newList");
    QCoreApplication::processEvents();
    const double emptyMiB = heldMiB();
    std::printf("bench_playlist: %d entries, paths of about %zu bytes\n\n", entries, files.front().size());

    // --- Opening.
    std::string playlist = "[PlayList]\r\n";
    for (int i = 0; i < entries; ++i)
        playlist += files[std::size_t(i) % files.size()] + "\r\n";
    writeFile(root + "/long.zepo", playlist);
    const std::string longList = "playlist file of " + std::to_string(entries) + " lines";
    timeOpen(longList.c_str(), list, [&](AddQueue& queue) { queue.addPath(root + "/long.zepo", AddMode::Append); });
    const double queuedMiB = heldMiB();

    ListWindow scratch;
    for (int f = 0; f < kTreeFolders; ++f) {
        const std::string folder = root + "/tree/" + std::to_string(f);
        ::mkdir((root + "/tree").c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        for (int i = 0; i < kFilesPerFolder; ++i)
            writeFile(folder + "/" + std::to_string(i) + (i % 2 ? ".flv" : ".txt"), i % 2 ? "FLV" : "text");
    }
    timeOpen("folder tree of 10 000 files and 20 folders", scratch,
             [&](AddQueue& queue) { queue.addFolder(root + "/tree", AddMode::Append, true); });
    for (int i = 0; i < kMutualPlaylists; ++i) {
        std::string text = "[PlayList]\n" + files[std::size_t(i)] + "\n";
        for (int j = 0; j < kMutualPlaylists; ++j)
            if (j != i)
                text += root + "/mutual" + std::to_string(j) + ".zepo\n";
        writeFile(root + "/mutual" + std::to_string(i) + ".zepo", text);
    }
    timeOpen("nine playlists that list each other", scratch,
             [&](AddQueue& queue) { queue.addPath(root + "/mutual0.zepo", AddMode::Append); });

    // --- Filling at the list's pace, a frame at a time, each followed by the window's
    // events (its repaint among them).
    QElapsedTimer clock;
    Longest frame;
    const std::size_t frames = list.movie->queuedPaths();
    const double cpuBefore = threadCpuMs();
    while (list.movie->queuedPaths() > 0) {
        clock.start();
        const double cpu = threadCpuMs();
        list.clock.advance(kFrameMs);
        QCoreApplication::processEvents();
        frame.take(double(clock.nsecsElapsed()) / 1e6, threadCpuMs() - cpu);
    }
    const double cpuPerFrameMs = (threadCpuMs() - cpuBefore) / double(frames);
    const double fullMiB = heldMiB();
    std::printf("\nfilling: longest frame with the events after it %.1f ms (CPU %.1f ms); CPU %.3f ms a frame on "
                "average, %.1f %% of a core at 60 frames a second\n",
                frame.wallMs, frame.cpuMs, cpuPerFrameMs, cpuPerFrameMs * 60 / 10);
    std::printf("memory: %.1f MiB with the paths queued, %.1f MiB with them listed: %.0f bytes per entry\n",
                queuedMiB - emptyMiB, fullMiB - emptyMiB,
                (fullMiB - emptyMiB) * 1024 * 1024 / double(list.movie->entries().size()));

    // --- The list's operations at full length, each with a repaint.
    PlayListMovie& movie = *list.movie;
    const int middle = static_cast<int>(movie.entries().size() / 2);
    std::vector<std::pair<const char*, double>> times{
        {"scroll to the middle", timeOperation(list, [&] { movie.scrollFileColumn(middle); })},
        {"click a row", timeOperation(list, [&] { movie.clickFileRow(middle); })},
        {"Ctrl-click another", timeOperation(list, [&] { movie.clickFileRow(middle + 3, RowClick::Toggle); })},
        {"Shift-click a range", timeOperation(list, [&] { movie.clickFileRow(middle - 500, RowClick::Extend); })},
        {"move the selection up", timeOperation(list, [&] { movie.moveUpSelectFlv(); })},
        {"play the selection", timeOperation(list, [&] { movie.playSelectFlv(); })},
        {"delete the selection", timeOperation(list, [&] { movie.delSelectFlv(); })},
        {"next file", timeOperation(list, [&] { movie.playNextFlv_2(); })},
        {"save (the list's text)", timeOperation(list, [&] { movie.saveList(); })},
        {"new list", timeOperation(list, [&] { movie.newList(); })},
    };
    std::printf("\noperations at full length, with a repaint, CPU ms:\n");
    for (const auto& [what, ms] : times)
        std::printf("  %-26s %7.2f ms\n", what, ms);
    std::printf("\npeak resident memory %.0f MiB\n", bench::peakRssMiB());
    return 0;
}
