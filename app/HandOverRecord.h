#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zepo {

// What a second start of the program sends to the running player: a kind and a text
// made of paths, each followed by "|". On the wire: the kind and the byte count as
// 4-byte little-endian numbers, then byte-count bytes holding the text and its
// terminating zero.
struct HandOverRecord {
    // The only kind the player takes.
    static constexpr std::uint32_t kKind = 0x8000;
    // The longest encoded record either side accepts. Linux passes at most a quarter of
    // the stack limit as the command line (2 MiB by default); this leaves room for
    // raised limits while keeping what a stray client can make the player hold bounded.
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    std::uint32_t kind = kKind;
    std::string text;
};

// The text for these command-line arguments: each argument followed by "|". A relative
// argument is made absolute against currentFolder, the sender's, since the running
// player would otherwise look it up in its own folder; empty arguments stay empty.
std::string handOverText(const std::vector<std::string>& arguments, const std::string& currentFolder);

std::string encodeHandOver(const HandOverRecord& record);

// The record in these bytes: its text is the bytes up to the first zero, within the byte
// count. Nothing when the bytes are not one well-formed record (too short, a byte count
// that disagrees with the bytes present, or longer than kMaxBytes).
std::optional<HandOverRecord> decodeHandOver(std::string_view bytes);

} // namespace zepo
