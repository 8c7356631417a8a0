#pragma once

#include <QRectF>

class QPainter;

namespace zepo {

// The product's logo, the four letters "ZEPO", drawn with vector shapes centred in a
// rectangle (the player's start-up picture and the about box share it).
void paintZepoLogo(QPainter& painter, const QRectF& area);

} // namespace zepo
