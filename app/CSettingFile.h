#pragma once

#include <optional>
#include <string>

namespace zepo {

class MessageBoxService;

// setting.ini beside the executable: the five preferences of section "Setting" held in
// memory, and plain reads and writes of any key that go to the file at once. A write the
// system refuses is ignored (the next start sees the old values); the file is replaced
// atomically, so it is never left torn or empty.
class CSettingFile {
public:
    // executablePath: the running program's path; without one the object shows
    // "実行ファイルパス取得失敗", has no file and keeps the defaults.
    CSettingFile(const std::optional<std::string>& executablePath, MessageBoxService& messages);
    virtual ~CSettingFile();

    void Load();
    void Save();

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;
    // At most 259 bytes of the value.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    void WriteInt(const std::string& section, const std::string& key, int value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Full path of setting.ini; empty when the executable's path was unknown.
    const std::string& path() const { return path_; }

    int Restore = 1;
    int AdjustSize = 1;
    int HideCursor = 1;
    int ChangeResolution = 1;
    int ResolutionFullSize = -1;

private:
    std::string path_;
};

} // namespace zepo
