#include "playlist/PathRules.h"

#include <sys/stat.h>

namespace zepo {

std::string stripEnclosingQuotes(const std::string& path)
{
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        return path.substr(1, path.size() - 2);
    return path;
}

PathKind pathKind(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

std::string missingPathMessage(const std::string& path)
{
    return "ファイル取得失敗 ：\n" + path;
}

} // namespace zepo
