#pragma once

namespace zepo {

// Dialog templates in dialog units, as they were designed; DialogUnits turns them into
// pixels with the dialog font.
struct DialogRect {
    int x, y, width, height;
};

struct DialogControl {
    int id;            // -1 for controls nobody addresses
    const char* text;  // UTF-8
    DialogRect rect;
};

namespace tmpl {

// Player window (102): caption "ZEPO".
inline constexpr int kPlayerId = 102;
inline constexpr char kPlayerCaption[] = "ZEPO";
inline constexpr DialogRect kPlayerSize{0, 0, 173, 101};
inline constexpr DialogControl kPlayerMovie{1000, "", {7, 7, 80, 33}};
inline constexpr DialogControl kProbeMovie{1013, "", {7, 62, 72, 32}};

// Playlist window (132).
inline constexpr int kPlayListId = 132;
inline constexpr char kPlayListCaption[] = "ZEPO - プレイリスト";
inline constexpr DialogRect kPlayListSize{0, 0, 134, 213};
inline constexpr DialogControl kPlayListMovie{1014, "", {0, 0, 134, 213}};

// About box (100).
inline constexpr int kAboutId = 100;
inline constexpr char kAboutCaption[] = "ZEPOのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr DialogRect kAboutSize{0, 0, 194, 64};
inline constexpr DialogControl kAboutMovie{1012, "", {0, 0, 194, 64}};

} // namespace tmpl
} // namespace zepo
