#include "app/CPlayerApp.h"

#include "platform/HandOverRecord.h"
#include "platform/InstanceChannel.h"
#include "platform/Log.h"
#include "player/CPlayerDlg.h"

#include <QThread>
#include <filesystem>
#include <system_error>

namespace zepo {

namespace {

// The folder the relative arguments were meant against; empty when the system cannot
// tell (the folder was removed), and the arguments then travel as they are.
std::string currentFolder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.native();
}

// The answer to a sender, which it does not read: whether the record was taken.
std::string takenAnswer(bool taken)
{
    return std::string(1, taken ? '\1' : '\0');
}

} // namespace

CPlayerApp::CPlayerApp(std::vector<std::string> arguments, TimerService& timers, LockPath lockPath)
    : arguments_(std::move(arguments)), timers_(timers), lockPath_(std::move(lockPath))
{
}

CPlayerApp::~CPlayerApp() = default;

CPlayerApp::LockPath CPlayerApp::defaultLockPath()
{
    return sessionChannelPath("MultiplexStartingPreventionTest");
}

void CPlayerApp::runAlone(const std::string& why)
{
    qCWarning(lcApp).noquote() << "no single-instance channel:" << QString::fromLocal8Bit(why)
                               << "- this player runs alone, and files of a later start do not reach it";
}

bool CPlayerApp::InitInstance()
{
    if (!lockPath_) {
        runAlone(lockPath_.error().describe());
        return true;
    }
    const std::string& path = *lockPath_;
    for (int attempt = 1;; ++attempt) {
        auto channel = std::make_unique<InstanceChannel>(path, HandOverRecord::kMaxBytes, timers_);
        switch (channel->claim()) {
        case InstanceChannel::Claim::Owned:
            channel_ = std::move(channel);
            return true;
        case InstanceChannel::Claim::Unavailable:
            runAlone(channel->problem());
            return true;
        case InstanceChannel::Claim::HeldByOther:
            break;
        }
        const std::string record =
            encodeHandOver({HandOverRecord::kKind, handOverData(arguments_, currentFolder())});
        const ChannelReply reply = sendToChannel(path, record, HandOverRecord::kMaxBytes);
        switch (reply.outcome) {
        case ChannelReply::Outcome::Answered:
            return false;
        case ChannelReply::Outcome::Dropped:
            qCWarning(lcApp) << "the running player did not take the files of this start";
            return false;
        case ChannelReply::Outcome::NoServer:
            if (attempt < kHolderAttempts) {
                QThread::msleep(kHolderRetryMs);
                continue;
            }
            runAlone(path + ": the running player holds the lock but takes no connection");
            return true;
        case ChannelReply::Outcome::Busy:
            runAlone(path + ": the running player took no connection within " +
                     std::to_string(kConnectLimitMs) + " ms");
            return true;
        case ChannelReply::Outcome::ForeignServer:
            runAlone(path + ": served by another user's process");
            return true;
        }
    }
}

int CPlayerApp::Run(CPlayerDlg& player)
{
    if (channel_) {
        channel_->setHandler([&player](const std::string& bytes) {
            const std::optional<HandOverRecord> record = decodeHandOver(bytes);
            return takenAnswer(record && player.OnCopyData(record->kind, record->data));
        });
        // Once the window has closed nothing may reach it any more: the lock goes at
        // once, and a later start runs a player of its own.
        InstanceChannel* channel = channel_.get();
        QObject::connect(&player, &QDialog::finished, channel, [channel] { channel->close(); });
    }
    player.exec();
    if (channel_)
        channel_->close();
    return 0;
}

} // namespace zepo
