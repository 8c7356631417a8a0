#include "playlist/AddQueue.h"

#include "platform/Log.h"
#include "platform/PathText.h"
#include "playlist/CPlayListDlg.h"
#include "playlist/FileAccess.h"
#include "playlist/FolderScan.h"
#include "playlist/PathRules.h"
#include "playlist/PlaylistFile.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace zepo {

namespace {
// Playlist entries handed to the player window at once: it looks at each of them.
constexpr std::size_t kEntriesPerHanding = 64;
// Folder names read in one step: reading a name costs far less than looking at an entry.
constexpr std::size_t kNamesPerStep = 16;

enum class Step { Continue, Done };
} // namespace

struct AddQueue::Request {
    enum class Kind { Path, Folder };
    Kind kind;
    std::string path;
    AddMode mode;
    bool recursive = true;
    // Named by the user (a command line, a drop, a hand-over), not found in a folder or a
    // playlist: a file that is left out is told.
    bool named = false;
};

// One piece of an open's work; the open works the frame on top of its stack.
class AddQueue::Frame {
public:
    virtual ~Frame() = default;
    // One step of work; Done when nothing is left.
    virtual Step step(Open& open) = 0;
    // Called once the frame is done and its work complete (not when the open stopped).
    virtual void finish(Open& open) { (void)open; }
    // The file or folder the frame reads, for the message when the cap is reached.
    virtual const std::string* reading() const { return nullptr; }
};

// One open: its stack of frames, what it has added and looked at, and the expansions of
// the playlists it has read.
class AddQueue::Open {
public:
    explicit Open(AddQueue& queue);

    void enqueue(Request request);
    bool started() const { return started_; }
    bool done() const { return stack_.empty(); }
    // One step of the frame on top; returns what it cost in slice steps.
    int step();
    // The open stopped at its cap, reading stoppedAt().
    bool stopped() const { return stopping_; }
    const std::string& stoppedAt() const { return stoppedAt_; }

    // --- For the frames.
    void process(const Request& request);
    void push(std::unique_ptr<Frame> frame) { stack_.push_back(std::move(frame)); }
    // Counts paths looked at; false (and the open stops) when that passes the cap.
    bool lookAt(std::size_t paths);
    void addEntry(const std::string& path, bool replace);
    void handToPlayer(const std::vector<std::string>& paths, AddMode mode);
    // The replace mode waits with this frame for the first entry actually added.
    void holdReplace(const Frame* frame) { replaceHolder_ = frame; }
    void dropReplace(const Frame* frame)
    {
        if (replaceHolder_ == frame)
            replaceHolder_ = nullptr;
    }
    // The expansion of a playlist: the entries added while it was read.
    const std::string& loggedEntry(std::size_t index) const { return log_[index]; }
    void remember(const std::string& playlist, std::size_t from);

private:
    void openFolder(const Request& request);
    void openPlaylist(const std::string& path, AddMode mode);
    void stop();
    std::string whereReading() const;

    AddQueue& queue_;
    std::vector<std::unique_ptr<Frame>> stack_;
    bool started_ = false;
    bool stopping_ = false;
    std::string stoppedAt_;
    std::size_t added_ = 0;
    std::size_t lookedAt_ = 0;
    int cost_ = 0;
    const Frame* replaceHolder_ = nullptr;
    // Playlists being read, outermost first (canonical paths).
    std::vector<std::string> reading_;
    // Entries added while any playlist is being read, in order, kept to the open's end:
    // the expansion of a playlist is a range of it.
    std::vector<std::string> log_;
    std::map<std::string, std::pair<std::size_t, std::size_t>> expansions_;
    std::string current_; // the path being worked, when no frame reads one
};

// Requests to work in order: the paths of the open itself, or those the player window
// came back with for one handing of playlist entries.
class AddQueue::RequestsFrame : public Frame {
public:
    explicit RequestsFrame(std::deque<Request> requests = {}) : requests_(std::move(requests)) {}
    void add(Request request) { requests_.push_back(std::move(request)); }
    Step step(Open& open) override
    {
        if (requests_.empty())
            return Step::Done;
        const Request request = std::move(requests_.front());
        requests_.pop_front();
        open.process(request);
        return Step::Continue;
    }

private:
    std::deque<Request> requests_;
};

// A folder scan, depth first in name order. The folders it has entered are shared with
// its subfolder scans, so that a link back up the tree cannot make it recurse without
// end and two links to one folder cannot make it add that folder's files twice.
class AddQueue::FolderFrame : public Frame {
public:
    FolderFrame(std::string path, FolderReader reader, std::shared_ptr<std::set<FolderId>> entered, bool recursive)
        : path_(std::move(path)), reader_(std::move(reader)), entered_(std::move(entered)), recursive_(recursive)
    {
    }
    Step step(Open& open) override
    {
        if (!reader_.listed()) {
            if (!open.lookAt(reader_.readNames(kNamesPerStep)))
                return Step::Done;
            return Step::Continue;
        }
        const auto entry = reader_.nextEntry();
        if (!entry)
            return Step::Done;
        if (entry->isFolder && recursive_) {
            const auto id = folderId(entry->path);
            if (id && entered_->insert(*id).second) {
                if (auto reader = FolderReader::open(entry->path))
                    open.push(std::make_unique<FolderFrame>(entry->path, std::move(*reader), entered_, true));
            }
            return Step::Continue;
        }
        // The replace mode is not given to the entry: it waits for the first entry any
        // part of the folder actually adds (see Open::addEntry).
        open.process({Request::Kind::Path, entry->path, AddMode::Append});
        return Step::Continue;
    }
    void finish(Open& open) override { open.dropReplace(this); }
    const std::string* reading() const override { return &path_; }

private:
    std::string path_;
    FolderReader reader_;
    std::shared_ptr<std::set<FolderId>> entered_;
    bool recursive_;
};

// A playlist file read line by line. The lines that name something are handed to the
// player window a few at a time, as one list for the first handing's replace mode.
class AddQueue::PlaylistFrame : public Frame {
public:
    PlaylistFrame(std::string path, std::string identity, AddMode mode, PlaylistReader reader, std::size_t logStart)
        : path_(std::move(path)), identity_(std::move(identity)), mode_(mode), reader_(std::move(reader)),
          logStart_(logStart)
    {
    }
    Step step(Open& open) override
    {
        if (ended_)
            return Step::Done;
        auto line = reader_.nextLine();
        if (!line) {
            if (reader_.atEnd()) {
                ended_ = true;
                hand(open);
            }
            return Step::Continue;
        }
        if (!open.lookAt(1))
            return Step::Done;
        // Every line is a candidate, the header line too; lines that name the playlist
        // itself or nothing that exists drop out silently.
        if (auto entry = existingEntry(*line); entry && *entry != path_) {
            entries_.push_back(std::move(*entry));
            if (entries_.size() == kEntriesPerHanding)
                hand(open);
        }
        return Step::Continue;
    }
    void finish(Open& open) override { open.remember(identity_, logStart_); }
    const std::string* reading() const override { return &path_; }

private:
    // A relative line names a path beside the playlist file. Lists saved from paths given
    // relative to the folder the program ran in hold lines relative to that folder, so a
    // line that names nothing beside the file is still looked up there.
    std::optional<std::string> existingEntry(const std::string& line) const
    {
        std::string beside = resolveBesideFile(path_, line);
        if (pathKind(beside) != PathKind::Missing)
            return beside;
        if (beside != line && pathKind(line) != PathKind::Missing)
            return line;
        return std::nullopt;
    }
    void hand(Open& open)
    {
        if (entries_.empty())
            return;
        open.handToPlayer(entries_, handed_ ? AddMode::Append : mode_);
        handed_ = true;
        entries_.clear();
    }

    std::string path_;     // as it was opened
    std::string identity_; // canonical
    AddMode mode_;
    PlaylistReader reader_;
    std::size_t logStart_;
    std::vector<std::string> entries_;
    bool handed_ = false;
    bool ended_ = false;
};

// A playlist read before in this open, added again as it was expanded then; in replace
// mode its first entry starts the new list.
class AddQueue::ReplayFrame : public Frame {
public:
    ReplayFrame(std::string identity, std::pair<std::size_t, std::size_t> range, bool replace)
        : identity_(std::move(identity)), next_(range.first), end_(range.second), replace_(replace)
    {
    }
    Step step(Open& open) override
    {
        if (next_ == end_)
            return Step::Done;
        // A copy: adding may log the entry again and move the log.
        const std::string path = open.loggedEntry(next_++);
        open.addEntry(path, replace_);
        replace_ = false;
        return Step::Continue;
    }
    const std::string* reading() const override { return &identity_; }

private:
    std::string identity_;
    std::size_t next_;
    std::size_t end_;
    bool replace_;
};

AddQueue::Open::Open(AddQueue& queue) : queue_(queue)
{
    stack_.push_back(std::make_unique<RequestsFrame>());
}

void AddQueue::Open::enqueue(Request request)
{
    static_cast<RequestsFrame&>(*stack_.front()).add(std::move(request));
}

int AddQueue::Open::step()
{
    started_ = true;
    cost_ = 1;
    Frame& top = *stack_.back();
    const Step result = top.step(*this);
    if (stopping_) {
        stack_.clear();
        return cost_;
    }
    // A frame that is done has pushed nothing: it is still on top.
    if (result == Step::Done && stack_.back().get() == &top) {
        top.finish(*this);
        stack_.pop_back();
    }
    return cost_;
}

// Adding one path: a playlist file is read, an FLV file is added (after the list has
// been emptied in replace mode), anything else is ignored without a message.
void AddQueue::Open::process(const Request& request)
{
    current_ = request.path;
    switch (request.kind) {
    case Request::Kind::Folder:
        openFolder(request);
        break;
    case Request::Kind::Path:
        if (CPlayListDlg::IsPlaylistFile(request.path))
            openPlaylist(request.path, request.mode);
        else if (CPlayListDlg::IsFlvFile(request.path))
            addEntry(request.path, request.mode == AddMode::Replace);
        else if (request.named)
            qCWarning(lcPlaylist).noquote() << toQt(request.path)
                                            << ": neither an FLV file nor a playlist (\"[PlayList]\" on its first line)"
                                               " - left out";
        break;
    }
}

void AddQueue::Open::openFolder(const Request& request)
{
    const auto id = folderId(request.path);
    if (!id)
        return;
    auto reader = FolderReader::open(request.path);
    if (!reader)
        return;
    auto entered = std::make_shared<std::set<FolderId>>();
    entered->insert(*id);
    push(std::make_unique<FolderFrame>(request.path, std::move(*reader), std::move(entered), request.recursive));
    if (request.mode == AddMode::Replace)
        holdReplace(stack_.back().get());
}

void AddQueue::Open::openPlaylist(const std::string& path, AddMode mode)
{
    if (path.empty())
        return;
    const auto identity = canonicalPath(path);
    if (!identity || std::find(reading_.begin(), reading_.end(), *identity) != reading_.end())
        return;
    if (const auto known = expansions_.find(*identity); known != expansions_.end()) {
        push(std::make_unique<ReplayFrame>(*identity, known->second, mode == AddMode::Replace));
        return;
    }
    auto reader = PlaylistReader::open(path);
    if (!reader)
        return;
    reading_.push_back(*identity);
    push(std::make_unique<PlaylistFrame>(path, *identity, mode, std::move(*reader), log_.size()));
}

bool AddQueue::Open::lookAt(std::size_t paths)
{
    if (lookedAt_ + paths > kMaxPathsPerOpen) {
        stop();
        return false;
    }
    lookedAt_ += paths;
    return true;
}

// The replace mode goes with the first entry actually added: a folder in replace mode
// holds it until any file in it or below it is added, so that neither a text file nor a
// subfolder's files (added first, and then thrown away with the old list) use it up.
void AddQueue::Open::addEntry(const std::string& path, bool replace)
{
    current_ = path;
    if (added_ == kMaxEntriesPerOpen) {
        stop();
        return;
    }
    if (replace || replaceHolder_) {
        replaceHolder_ = nullptr;
        queue_.target_.startNewList();
    }
    queue_.target_.appendToList(path);
    ++added_;
    if (!reading_.empty())
        log_.push_back(path);
}

void AddQueue::Open::handToPlayer(const std::vector<std::string>& paths, AddMode mode)
{
    std::deque<Request> collected;
    queue_.collecting_ = &collected;
    queue_.target_.addFiles(paths, mode);
    queue_.collecting_ = nullptr;
    cost_ += static_cast<int>(paths.size());
    if (!collected.empty())
        push(std::make_unique<RequestsFrame>(std::move(collected)));
}

// A playlist is read inside the expansion of the ones below it on the stack, so the one
// that ends is always the last one begun.
void AddQueue::Open::remember(const std::string& playlist, std::size_t from)
{
    expansions_[playlist] = {from, log_.size()};
    reading_.pop_back();
}

void AddQueue::Open::stop()
{
    if (stopping_)
        return;
    stopping_ = true;
    stoppedAt_ = whereReading();
}

std::string AddQueue::Open::whereReading() const
{
    for (auto frame = stack_.rbegin(); frame != stack_.rend(); ++frame)
        if (const std::string* path = (*frame)->reading())
            return *path;
    return current_;
}

AddQueue::AddQueue(TimerService& timers, Target& target) : timers_(timers), target_(target), slices_(timers) {}

AddQueue::~AddQueue() = default;

void AddQueue::addPath(const std::string& path, AddMode mode)
{
    // While a playlist's entries are with the player window, what comes back is theirs.
    enqueue({Request::Kind::Path, path, mode, true, collecting_ == nullptr});
}

void AddQueue::addFolder(const std::string& folder, AddMode mode, bool recursive)
{
    enqueue({Request::Kind::Folder, folder, mode, recursive});
}

void AddQueue::enqueue(Request request)
{
    if (collecting_) {
        collecting_->push_back(std::move(request));
        return;
    }
    if (opens_.empty() || opens_.back()->started())
        opens_.push_back(std::make_unique<Open>(*this));
    opens_.back()->enqueue(std::move(request));
    if (!slices_.running())
        slices_.start(kSliceIntervalMs, [this] { runSlice(); });
}

void AddQueue::runSlice()
{
    if (inSlice_)
        return;
    inSlice_ = true;
    std::vector<std::string> stoppedAt;
    const std::int64_t start = timers_.nowMs();
    int steps = 0;
    while (!opens_.empty() && steps < kSliceSteps && timers_.nowMs() - start < kSliceMs) {
        Open& open = *opens_.front();
        if (!open.done())
            steps += open.step();
        if (open.done()) {
            if (open.stopped())
                stoppedAt.push_back(open.stoppedAt());
            opens_.pop_front();
        }
    }
    if (opens_.empty())
        slices_.stop();
    inSlice_ = false;
    // Told after the slice: a message box runs events, slices among them.
    for (const std::string& where : stoppedAt)
        target_.tellCapReached(where);
}

} // namespace zepo
