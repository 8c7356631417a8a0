#include "settings/CSettingFile.h"

#include "platform/AtomicFile.h"
#include "platform/LeadingInt.h"
#include "platform/Log.h"
#include "platform/MessageBoxService.h"
#include "platform/PathNames.h"

#include <cstdio>

namespace zepo {

namespace {
const std::string kSetting = "Setting";
// What a failure means for the user, after the file's name and the cause.
const char kNotRead[] = "- the settings are the defaults and are not saved";
const char kNotSaved[] = "- the settings are not saved";
} // namespace

CSettingFile::CSettingFile(const std::optional<std::string>& executablePath, MessageBoxService& messages)
{
    if (!executablePath) {
        messages.show("実行ファイルパス取得失敗");
        return;
    }
    path_ = folderOf(*executablePath) + "setting" + "." + "ini";
    // Nothing of ours writes yet: what a killed save left beside the file goes.
    removeStaleTemporaries(folderOf(path_));
    Load();
}

CSettingFile::~CSettingFile()
{
    EndBatch();
}

void CSettingFile::Load()
{
    Restore = ReadInt(kSetting, "Restore", 1);
    AdjustSize = ReadInt(kSetting, "AdjustSize", 1);
    HideCursor = ReadInt(kSetting, "HideCursor", 1);
    ChangeResolution = ReadInt(kSetting, "ChangeResolution", 1);
    ResolutionFullSize = ReadInt(kSetting, "ResolutionFullSize", -1);
}

void CSettingFile::Save()
{
    BeginBatch();
    WriteInt(kSetting, "Restore", Restore);
    WriteInt(kSetting, "AdjustSize", AdjustSize);
    WriteInt(kSetting, "HideCursor", HideCursor);
    WriteInt(kSetting, "ChangeResolution", ChangeResolution);
    WriteInt(kSetting, "ResolutionFullSize", ResolutionFullSize);
    EndBatch();
}

std::optional<std::string> CSettingFile::value(const std::string& section, const std::string& key) const
{
    if (path_.empty())
        return std::nullopt;
    const auto current = text();
    if (!current)
        return std::nullopt;
    return current->get(section, key);
}

int CSettingFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const auto found = value(section, key);
    return found ? leadingInt(*found) : defaultValue;
}

std::string CSettingFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const
{
    const auto found = value(section, key);
    return found ? found->substr(0, ini::kMaxValueBytes) : defaultValue;
}

void CSettingFile::WriteInt(const std::string& section, const std::string& key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteString(section, key, text);
}

void CSettingFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    if (path_.empty())
        return;
    const bool alone = !batch_;
    BeginBatch();
    if (*batch_)
        (*batch_)->set(section, key, value);
    if (alone)
        EndBatch();
}

void CSettingFile::BeginBatch()
{
    if (path_.empty() || batch_)
        return;
    batch_ = ini::load(path_);
    if (!*batch_)
        warn(batch_->error(), kNotRead);
}

void CSettingFile::EndBatch()
{
    if (!batch_)
        return;
    const FileResult<void> saved = *batch_ ? ini::save(path_, **batch_) : FileResult<void>();
    batch_.reset();
    if (!saved)
        warn(saved.error(), kNotSaved);
}

FileResult<IniText> CSettingFile::text() const
{
    if (batch_)
        return *batch_;
    auto loaded = ini::load(path_);
    if (!loaded)
        warn(loaded.error(), kNotRead);
    return loaded;
}

void CSettingFile::warn(const FileError& error, const char* consequence) const
{
    if (lastWarning_ && lastWarning_->category == error.category && lastWarning_->code == error.code)
        return;
    lastWarning_ = error;
    qCWarning(lcApp).noquote() << QString::fromLocal8Bit(error.describe()) << consequence;
}

} // namespace zepo
