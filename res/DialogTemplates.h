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

// Aspect-ratio dialog (141). The radio buttons are in group order: custom first, then
// the three fixed ratios.
inline constexpr int kAspectId = 141;
inline constexpr char kAspectCaption[] = "アスペクト比";
inline constexpr DialogRect kAspectSize{0, 0, 181, 120};
inline constexpr DialogControl kAspectOk{1, "OK", {65, 99, 50, 14}};
inline constexpr DialogControl kAspectCancel{2, "ｷｬﾝｾﾙ", {123, 99, 50, 14}};
inline constexpr DialogControl kAspectApply{1027, "適用", {7, 99, 50, 14}};
inline constexpr DialogControl kAspectRadios[] = {
    {1031, "カスタム　→", {22, 72, 51, 10}},
    {1032, "320 : 240", {22, 21, 42, 10}},
    {1033, "352 : 240", {22, 38, 42, 10}},
    {1034, "320 : 180", {22, 55, 42, 10}},
};
inline constexpr DialogControl kAspectWidthEdit{1035, "", {77, 70, 22, 13}};
inline constexpr DialogControl kAspectHeightEdit{1036, "", {115, 70, 22, 13}};
inline constexpr DialogControl kAspectColon{-1, ":", {107, 72, 8, 8}};
inline constexpr DialogControl kAspectGroup{-1, "比", {7, 7, 167, 85}};

// About box (100).
inline constexpr int kAboutId = 100;
inline constexpr char kAboutCaption[] = "ZEPOのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr DialogRect kAboutSize{0, 0, 194, 64};
inline constexpr DialogControl kAboutMovie{1012, "", {0, 0, 194, 64}};

} // namespace tmpl
} // namespace zepo
