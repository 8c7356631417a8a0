#pragma once

#include "bridge/Movie.h"
#include "movies/MovieEnvironment.h"

#include <cstdint>
#include <iterator>
#include <memory>

namespace zepo {

// The probe movie (control 1013, never shown): opens the file the player is about to show
// on a muted stream of its own and measures its picture size and length. The size comes
// from the metadata; the length from the metadata, or else from a search that seeks
// forward in halving steps until the stream stops moving. Findings go to the host as the
// movie commands "searchStart", "getSize", "getTotalTime" and "allDone"; the host reads
// the result variables m_data_flag, Size_flag, TotalTime_flag, m_width, m_height and
// m_duration.
//
// The movie has two frames and does not play by itself: rewind() runs frame 1 (new
// stream, everything reset), forward() runs frame 2 (start reading "flv_file").
class ProbeMovie : public Movie {
public:
    ProbeMovie(MovieEnvironment& environment, const MovieSlot& slot);
    ~ProbeMovie() override;

    void rewind() override;
    void forward() override;

    void paint(QPainter& painter) override;
    void mousePress(const QPointF& stagePoint) override;

    // Seek steps of the duration search in seconds, largest first.
    static constexpr double kSteps[] = {1024, 512, 256, 128, 64, 32, 16, 8, 4, 2, 1, 0.5};
    static constexpr int kLastStep = static_cast<int>(std::size(kSteps)) - 1;

protected:
    void onLoad() override;

private:
    void frameOne();
    void frameTwo();
    void openStream();
    void onStatus(const std::string& code);
    void onMetaData(const stream::AmfValue& metadata);
    void startSearch();
    void searchTick();
    void finish();
    void retryLoad();

    MovieEnvironment& environment_;
    // The stream of the current file; null when the runtime has no streams to give.
    std::unique_ptr<stream::NetStream> stream_;
    // The previous file's stream, closed, kept until the next restart so that a restart
    // made from inside one of its own event handlers never destroys the running handler.
    std::unique_ptr<stream::NetStream> retired_;
    // Counts restarts: a handler that sent a command checks it before going on, since
    // the host may have restarted the probe meanwhile.
    unsigned generation_ = 0;
    int frame_ = 1;

    IntervalTimer loadRetry_;
    // When the file was first opened (timer-service time): the retry gives up on it a
    // while after. UI thread only.
    std::int64_t loadStartedMs_ = 0;
    IntervalTimer search_;
    bool searchStarted_ = false;  // search_flag: the search started, or the length came from metadata
    bool streamStarted_ = false;  // searchStart_flag: "NetStream.Play.Start" was seen

    // Duration search state.
    int tCount_ = 0;          // index into kSteps of the current step
    bool tFlag_ = false;      // the current step is the one retry of the next larger step
    double time1_ = 0;        // stream time at this tick
    double time2_ = 0;        // stream time at the previous step; -1 after a step that failed
    bool firstTick_ = true;   // no step has been taken yet
};

} // namespace zepo
