#include "bridge/Movie.h"

#include "bridge/ActionScript.h"

#include <cmath>

namespace zepo {

namespace {
const std::string kRootPrefix = "_root.";
} // namespace

Movie::Movie(TimerService& timers, const MovieSlot& slot)
    : timers_(timers), slot_(slot), frames_(timers), stageWidth_(slot.stageWidth), stageHeight_(slot.stageHeight)
{
}

Movie::~Movie() = default;

std::string Movie::normalise(const std::string& path)
{
    if (path.compare(0, kRootPrefix.size(), kRootPrefix) == 0)
        return path.substr(kRootPrefix.size());
    return path;
}

void Movie::setVariable(const std::string& path, const std::string& value)
{
    variables_[normalise(path)] = value;
}

std::string Movie::getVariable(const std::string& path) const
{
    auto it = variables_.find(normalise(path));
    return it == variables_.end() ? std::string() : it->second;
}

void Movie::gotoLabel(const std::string& target, const std::string& label)
{
    if (target != kCommandClip)
        return;
    auto it = labels_.find(label);
    if (it == labels_.end())
        return;
    // Copy: the action may redefine labels.
    auto action = it->second;
    wakeFrames();
    action();
}

void Movie::setHost(MovieHost* host)
{
    host_ = host;
    if (host_)
        onHostAttached();
}

void Movie::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    onLoad();
}

void Movie::resizeStage(double width, double height)
{
    if (width == stageWidth_ && height == stageHeight_)
        return;
    stageWidth_ = width;
    stageHeight_ = height;
    if (loaded_) {
        wakeFrames();
        onStageResize();
    }
}

QRectF Movie::visibleStage() const
{
    if (slot_.scale == StageScale::ShowAll)
        return QRectF(0, 0, slot_.stageWidth, slot_.stageHeight);
    return QRectF(slot_.stageWidth / 2.0 - stageWidth_ / 2.0, slot_.stageHeight / 2.0 - stageHeight_ / 2.0,
                  stageWidth_, stageHeight_);
}

void Movie::defineLabel(const std::string& label, std::function<void()> action)
{
    labels_[label] = std::move(action);
}

void Movie::sendCommand(const std::string& command, const std::string& args)
{
    if (commandSink_)
        commandSink_(command, args);
}

double Movie::number(const std::string& name) const
{
    return as::toNumber(getVariable(name));
}

void Movie::setNumber(const std::string& name, double value)
{
    setVariable(name, as::formatNumber(value));
}

int Movie::frameIntervalMs() const
{
    return static_cast<int>(std::lround(1000.0 / slot_.frameRate));
}

void Movie::playFrames()
{
    framesPlaying_ = true;
    wakeFrames();
}

void Movie::wakeFrames()
{
    if (framesPlaying_ && !frames_.running())
        frames_.start(frameIntervalMs(), [this] { onEnterFrame(); });
}

void Movie::repaint()
{
    repaint(visibleStage());
}

void Movie::repaint(const QRectF& stageRect)
{
    if (host_)
        host_->repaintStage(stageRect);
}

} // namespace zepo
