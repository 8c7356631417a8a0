#pragma once

#include "settings/IniFile.h"

#include <optional>
#include <string>

namespace zepo {

class MessageBoxService;

// setting.ini beside the executable: the five preferences of section "Setting" held in
// memory, and plain reads and writes of any key that go to the file at once. The file is
// replaced atomically, so it is never left torn or empty. A file that cannot be used (a
// read-only one, a pipe, a device, one too large to be ours) is left as it is: reads give
// the defaults, writes are dropped, and a warning says so (once per cause); the next
// start sees the old values.
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

    // The writes between the two go to the file in one replacement at EndBatch, so that
    // a save of several keys is never half done; reads meanwhile see them. Batches do
    // not nest; one left open is ended by the destructor.
    void BeginBatch();
    void EndBatch();

    // Full path of setting.ini; empty when the executable's path was unknown.
    const std::string& path() const { return path_; }

    int Restore = 1;
    int AdjustSize = 1;
    int HideCursor = 1;
    int ChangeResolution = 1;
    int ResolutionFullSize = -1;

private:
    // The file's text as a read sees it: the open batch's, else the file's.
    FileResult<IniText> text() const;
    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // Logs a failure and what it means, unless it is the one logged last.
    void warn(const FileError& error, const char* consequence) const;

    std::string path_;
    // The text of the open batch, or why the file could not be loaded for it.
    std::optional<FileResult<IniText>> batch_;
    mutable std::optional<FileError> lastWarning_;
};

} // namespace zepo
