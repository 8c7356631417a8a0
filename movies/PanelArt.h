#pragma once

#include "movies/ControlPanel.h"

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

namespace zepo::art {

// The panel's dark palette.
inline const QColor kPanelTop{0x2a, 0x30, 0x39, 235};
inline const QColor kPanelBottom{0x12, 0x15, 0x1a, 235};
inline const QColor kEdge{0x45, 0x50, 0x5e};
inline const QColor kAccent{0x4f, 0xc3, 0xf7};
inline const QColor kAccentFace{0x1f, 0x6f, 0x99};
inline const QColor kText{0xe6, 0xed, 0xf3};
inline const QColor kDimText{0x9a, 0xa7, 0xb4};
inline const QColor kDisabled{0x59, 0x63, 0x6f};
inline const QColor kTrack{0x4a, 0x55, 0x63};
inline const QColor kWarning{0xff, 0xcc, 0x66};

// The panel's type at a pixel size: Latin digits from DejaVu Sans, Japanese from the
// installed families that cover it (IPA gothic first).
QFont panelFont(double pixelSize, bool bold = false);

// One round button with its glyph, as its frame shows it.
void paintButton(QPainter& painter, const QRectF& rect, PanelButton button, ButtonFrame frame);

// A round knob centred on a point.
void paintKnob(QPainter& painter, const QPointF& centre, double radius, bool active);

} // namespace zepo::art
