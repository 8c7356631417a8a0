#pragma once

#include "platform/TimerService.h"
#include "platform/X11SharedMemory.h"
#include "res/MovieSlots.h"

#include <QPointF>
#include <QRectF>
#include <functional>
#include <map>
#include <string>

class QPainter;
class QWidget;

namespace zepo {

// What a movie may ask of the control that shows it. Implemented by CShockwaveFlash;
// tests may leave a movie without one.
class MovieHost {
public:
    virtual ~MovieHost() = default;
    virtual void repaintStage(const QRectF& stageRect) = 0;
    // The control, as parent for the native widgets a movie may embed.
    virtual QWidget* widget() = 0;
    virtual QPointF stageToWidget(const QPointF& stagePoint) const = 0;
    // Has the display put an image that lies in its shared memory straight on screen over
    // a stage rectangle, past the toolkit's painting: a new video picture costs no repaint
    // and no copy. The movie's paint() draws the same picture there, for whenever the
    // control is repainted. `read` runs once the display has read the image. False when
    // the image cannot go that way (the control is hidden or partly covered, the memory is
    // not the display's): the movie repaints instead.
    virtual bool putImage(X11SharedMemory& memory, const X11SharedMemory::Image& image, const QRectF& stageRect,
                          std::function<void()> read) = 0;
};

// The clip on the root timeline of the player and playlist movies whose frame labels are
// the host commands: every host command jumps it, and its own variables are addressed
// through it.
inline constexpr char kCommandClip[] = "FromMFC_mc";
// The path of a variable of the command clip ("FromMFC_mc.name").
inline std::string commandClipVariable(const std::string& name)
{
    return std::string(kCommandClip) + "." + name;
}

// A movie: a table of bridged text variables, a command clip `FromMFC_mc` whose frame
// labels are handlers, frame ticks at the movie's frame rate from the timer service, and
// painting and input in stage coordinates. Host and movie logic run on the UI thread
// only; a movie never blocks and never locks.
//
// Variable paths: "name" and "_root.name" address the same root variable;
// "FromMFC_mc.name" a variable of the command clip. An unset variable reads as "".
class Movie {
public:
    using CommandSink = std::function<void(const std::string& command, const std::string& args)>;

    Movie(TimerService& timers, const MovieSlot& slot);
    virtual ~Movie();
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    const MovieSlot& slot() const { return slot_; }

    // --- The bridge: what the host calls through its control. Virtual so that tests
    // can record the host's calls.
    virtual void setVariable(const std::string& path, const std::string& value);
    virtual std::string getVariable(const std::string& path) const;
    // Jumps the command clip to a label; only target "FromMFC_mc" exists, and a label
    // the clip lacks does nothing.
    virtual void gotoLabel(const std::string& target, const std::string& label);
    // Back to frame 1, stopped / one frame ahead. Only the probe movie has frames to
    // step; for the others these do nothing.
    virtual void rewind() {}
    virtual void forward() {}
    // Where movie commands (FSCommand) go.
    void setCommandSink(CommandSink sink) { commandSink_ = std::move(sink); }

    // --- The runtime: what the control calls.
    void setHost(MovieHost* host);
    // Runs the first frame: called once, when the movie has its stage size.
    void load();
    bool isLoaded() const { return loaded_; }
    // The visible stage size in stage pixels (for a NoScale movie the control's size).
    void resizeStage(double width, double height);
    double stageWidth() const { return stageWidth_; }
    double stageHeight() const { return stageHeight_; }
    // The visible area in stage coordinates: a NoScale stage is centred on the authoring
    // stage's centre, a ShowAll stage is the authoring stage itself.
    QRectF visibleStage() const;

    virtual void paint(QPainter& painter) { (void)painter; }
    // The part of the stage paint() covers with opaque pixels, which the control then
    // need not clear first (for video, every pixel would be written twice); empty when
    // nothing is certain.
    virtual QRectF opaqueArea() const { return {}; }
    virtual void mouseMove(const QPointF& stagePoint) { (void)stagePoint; }
    virtual void mousePress(const QPointF& stagePoint) { (void)stagePoint; }
    virtual void mouseRelease(const QPointF& stagePoint) { (void)stagePoint; }
    // The pointer left the control (no more moves will come until it returns).
    virtual void mouseLeave() {}
    virtual void keyPress(int virtualKey) { (void)virtualKey; }

protected:
    virtual void onLoad() = 0;          // the first frame's script
    virtual void onEnterFrame() {}      // every frame while the timeline plays
    virtual void onStageResize() {}     // the visible stage changed size
    virtual void onHostAttached() {}    // host() became available (native widgets)

    void defineLabel(const std::string& label, std::function<void()> action);
    void sendCommand(const std::string& command, const std::string& args = {});

    std::string text(const std::string& name) const { return getVariable(name); }
    void setText(const std::string& name, const std::string& value) { setVariable(name, value); }
    double number(const std::string& name) const;
    void setNumber(const std::string& name, double value);
    // 1 when the variable's number is exactly 1: the movies' flags.
    bool flag(const std::string& name) const { return number(name) == 1; }
    void setFlag(const std::string& name, bool on) { setNumber(name, on ? 1 : 0); }

    // Frame ticks at the slot's frame rate.
    void playFrames();
    int frameIntervalMs() const;
    // A playing timeline with nothing to do on its frames lets them sleep, so an idle
    // program does not wake its thread dozens of times a second; whatever gives the movie
    // something to do again wakes them (a label, a new stage size, and whatever else the
    // movie itself knows of), and they tick on at the frame rate from then.
    void sleepFrames() { frames_.stop(); }
    void wakeFrames();
    bool framesAsleep() const { return framesPlaying_ && !frames_.running(); }

    void repaint();
    void repaint(const QRectF& stageRect);
    MovieHost* host() const { return host_; }
    TimerService& timers() { return timers_; }

private:
    static std::string normalise(const std::string& path);

    TimerService& timers_;
    const MovieSlot slot_;
    MovieHost* host_ = nullptr;
    CommandSink commandSink_;
    std::map<std::string, std::string> variables_;
    std::map<std::string, std::function<void()>> labels_;
    IntervalTimer frames_;
    bool framesPlaying_ = false;  // playFrames() was called: the timeline plays, awake or asleep
    double stageWidth_;
    double stageHeight_;
    bool loaded_ = false;
};

} // namespace zepo
