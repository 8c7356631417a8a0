#include "platform/HandOverRecord.h"

namespace zepo {

namespace {

constexpr std::size_t kHeaderBytes = 8;

bool enclosedInQuotes(const std::string& argument)
{
    return argument.size() >= 2 && argument.front() == '"' && argument.back() == '"';
}

std::string absolutePath(const std::string& argument, const std::string& folder)
{
    if (argument.empty() || argument.front() == '/' || folder.empty())
        return argument;
    // The player drops one pair of enclosing quotes; the folder goes inside them so
    // that it still can.
    if (enclosedInQuotes(argument)) {
        const std::string inner = argument.substr(1, argument.size() - 2);
        return inner.empty() ? argument : '"' + absolutePath(inner, folder) + '"';
    }
    return folder + (folder.back() == '/' ? "" : "/") + argument;
}

void appendNumber(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t numberAt(std::string_view bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

} // namespace

std::string handOverData(const std::vector<std::string>& arguments, const std::string& currentFolder)
{
    std::string data;
    for (const std::string& argument : arguments) {
        data += absolutePath(argument, currentFolder);
        data += '\0';
    }
    return data;
}

std::string encodeHandOver(const HandOverRecord& record)
{
    std::string out;
    out.reserve(kHeaderBytes + record.data.size());
    appendNumber(out, record.kind);
    appendNumber(out, static_cast<std::uint32_t>(record.data.size()));
    out += record.data;
    return out;
}

std::optional<HandOverRecord> decodeHandOver(std::string_view bytes)
{
    if (bytes.size() < kHeaderBytes || bytes.size() > HandOverRecord::kMaxBytes)
        return std::nullopt;
    const std::uint32_t byteCount = numberAt(bytes, 4);
    if (byteCount != bytes.size() - kHeaderBytes)
        return std::nullopt;
    return HandOverRecord{numberAt(bytes, 0), std::string(bytes.substr(kHeaderBytes))};
}

} // namespace zepo
