#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zepo {

// What a second start of the program sends to the running player: a kind and the
// paths, each followed by a zero byte. A path may hold any byte but zero ("|", line
// breaks, "%", a leading "-", names that are not UTF-8), and a zero can stand in no
// path, so it is the one separator that never cuts a path. On the wire: the kind and
// the byte count as 4-byte little-endian numbers, then byte-count bytes of data.
struct HandOverRecord {
    // The only kind the player takes.
    static constexpr std::uint32_t kKind = 0x8000;
    // The longest encoded record either side accepts. Linux passes at most a quarter of
    // the stack limit as the command line (2 MiB by default); this leaves room for
    // raised limits while keeping what a stray client can make the player hold bounded.
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    std::uint32_t kind = kKind;
    // The paths, each followed by a zero byte; empty when there are none.
    std::string data;
};

// The data for these command-line arguments: each argument followed by a zero byte. A
// relative argument is made absolute against currentFolder, the sender's, since the
// running player would otherwise look it up in its own folder; empty arguments stay
// empty.
std::string handOverData(const std::vector<std::string>& arguments, const std::string& currentFolder);

std::string encodeHandOver(const HandOverRecord& record);

// The record in these bytes: its data is every byte the byte count covers. Nothing when
// the bytes are not one well-formed record (too short, a byte count that disagrees with
// the bytes present, or longer than kMaxBytes).
std::optional<HandOverRecord> decodeHandOver(std::string_view bytes);

} // namespace zepo
