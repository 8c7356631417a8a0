#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace zepo {

// Names written by Japanese Windows (CP932, the Shift-JIS of Windows archives unpacked
// here byte for byte) or by older Unix systems (EUC-JP) are no UTF-8, and UTF-8 shows them
// as replacement characters. This reads bytes that are no UTF-8 as one of the two when
// every byte belongs to a character of it; nothing when neither fits. CP932 is taken
// first, unless its reading holds half-width katakana and EUC-JP fits too: EUC-JP text
// read as CP932 turns into such katakana, which real names rarely hold.
std::optional<QString> japaneseLegacyText(std::string_view bytes);

} // namespace zepo
