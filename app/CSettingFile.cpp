#include "app/CSettingFile.h"

#include "app/IniFile.h"
#include "platform/ExecutablePath.h"
#include "platform/LeadingInt.h"
#include "platform/MessageBoxService.h"

#include <cstdio>

namespace zepo {

namespace {
const std::string kSetting = "Setting";
// A value is read into a 260-byte buffer: 259 bytes and the terminating zero.
constexpr std::size_t kMaxValueBytes = 259;
} // namespace

CSettingFile::CSettingFile(const std::optional<std::string>& executablePath, MessageBoxService& messages)
{
    if (!executablePath) {
        messages.show("実行ファイルパス取得失敗");
        return;
    }
    path_ = folderOf(*executablePath) + "setting" + "." + "ini";
    Load();
}

CSettingFile::~CSettingFile() = default;

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
    WriteInt(kSetting, "Restore", Restore);
    WriteInt(kSetting, "AdjustSize", AdjustSize);
    WriteInt(kSetting, "HideCursor", HideCursor);
    WriteInt(kSetting, "ChangeResolution", ChangeResolution);
    WriteInt(kSetting, "ResolutionFullSize", ResolutionFullSize);
}

int CSettingFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    if (path_.empty())
        return defaultValue;
    auto value = ini::read(path_, section, key);
    return value ? leadingInt(*value) : defaultValue;
}

std::string CSettingFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const
{
    if (path_.empty())
        return defaultValue;
    auto value = ini::read(path_, section, key);
    if (!value)
        return defaultValue;
    return value->substr(0, kMaxValueBytes);
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
    // A refused write is ignored: the next start sees the old file.
    (void)ini::write(path_, section, key, value);
}

} // namespace zepo
