#pragma once

#include "res/MovieSlots.h"

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

// A template's own line: its resource id, the caption (UTF-8; a page has none) and the
// size of its client area.
struct DialogFrame {
    int id;
    const char* caption;
    int width, height;
};

namespace tmpl {

// Player window.
inline constexpr DialogFrame kPlayer{102, "ZEPO", 173, 101};
inline constexpr DialogControl kPlayerMovie{kPlayerMovieControl, "", {7, 7, 80, 33}};
inline constexpr DialogControl kProbeMovie{kProbeMovieControl, "", {7, 62, 72, 32}};

// Playlist window.
inline constexpr DialogFrame kPlayList{132, "ZEPO - プレイリスト", 134, 213};
inline constexpr DialogControl kPlayListMovie{kPlayListMovieControl, "", {0, 0, 134, 213}};

// Aspect-ratio dialog. The radio buttons are in group order: custom first, then
// the three fixed ratios.
inline constexpr DialogFrame kAspect{141, "アスペクト比", 181, 120};
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

// About box.
inline constexpr DialogFrame kAbout{100, "ZEPOのﾊﾞｰｼﾞｮﾝ情報", 194, 64};
inline constexpr DialogControl kAboutMovie{kAboutMovieControl, "", {0, 0, 194, 64}};

// Settings dialog: a tab control over the two pages, and Apply, OK, Cancel.
inline constexpr DialogFrame kSetting{136, "設定", 187, 240};
inline constexpr DialogControl kSettingOk{1, "OK", {74, 219, 50, 14}};
inline constexpr DialogControl kSettingCancel{2, "ｷｬﾝｾﾙ", {130, 219, 50, 14}};
inline constexpr DialogControl kSettingTab{1017, "Tab1", {7, 7, 173, 201}};
inline constexpr DialogControl kSettingApply{1027, "適用", {18, 219, 50, 14}};
inline constexpr const char* kSettingTabs[] = {"基本設定", "まだ"};

// Basic settings page: a child of the settings dialog.
inline constexpr DialogFrame kBasicPage{137, "", 168, 177};
inline constexpr DialogControl kBasicRestore{1019, "前回終了時のウィンドウ位置等を復元する", {3, 23, 137, 10}};
inline constexpr DialogControl kBasicAdjustSize{1027, "画面サイズをムービー毎に変更する", {3, 37, 121, 10}};
inline constexpr DialogControl kBasicFullScreenGroup{-1, "フルスクリーン", {3, 59, 162, 105}};
inline constexpr DialogControl kBasicHideCursor{1022, "一定時間操作しないとカーソルを消す", {10, 75, 125, 10}};
inline constexpr DialogControl kBasicChangeResolution{1023, "解像度を変更する", {10, 91, 69, 10}};
inline constexpr DialogControl kBasicCurrentLabel{-1, "現在の解像度 ：", {13, 107, 48, 8}};
inline constexpr DialogControl kBasicCurrentMode{1026, "", {67, 107, 94, 12}};
inline constexpr DialogControl kBasicRecommendedLabel{-1, "推奨解像度 ：", {20, 122, 41, 8}};
inline constexpr DialogControl kBasicRecommendedMode{1028, "", {67, 122, 94, 12}};
inline constexpr DialogControl kBasicModeListLabel{-1, "フルスクリーン\n時の解像度 ：", {16, 135, 45, 17}};
inline constexpr DialogControl kBasicModeList{1024, "", {64, 137, 94, 12}};

// Spare page: same size as the basic page, a placeholder text only.
inline constexpr DialogFrame kSparePage{138, "", 168, 177};
inline constexpr DialogControl kSpareText{-1, "そのうち作ります", {59, 84, 50, 8}};

} // namespace tmpl
} // namespace zepo
