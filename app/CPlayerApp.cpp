#include "app/CPlayerApp.h"

#include "platform/HandOverRecord.h"
#include "platform/InstanceChannel.h"
#include "player/CPlayerDlg.h"

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

CPlayerApp::CPlayerApp(std::vector<std::string> arguments, std::string lockName)
    : arguments_(std::move(arguments)), lockName_(std::move(lockName))
{
}

CPlayerApp::~CPlayerApp() = default;

std::string CPlayerApp::defaultLockName()
{
    return sessionChannelName("MultiplexStartingPreventionTest");
}

bool CPlayerApp::InitInstance()
{
    auto channel = std::make_unique<InstanceChannel>(lockName_, HandOverRecord::kMaxBytes);
    switch (channel->claim()) {
    case InstanceChannel::Claim::Owned:
        channel_ = std::move(channel);
        return true;
    case InstanceChannel::Claim::Unavailable:
        return true;
    case InstanceChannel::Claim::HeldByOther:
        break;
    }
    const std::string record = encodeHandOver({HandOverRecord::kKind, handOverData(arguments_, currentFolder())});
    const ChannelReply reply = sendToChannel(lockName_, record, HandOverRecord::kMaxBytes);
    // Another user's process squatting on the name is no running player of ours: run
    // one, without the lock, rather than not at all.
    return reply.outcome == ChannelReply::Outcome::ForeignServer;
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
