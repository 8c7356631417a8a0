#pragma once

#include "stream/Picture.h"

#include <QImage>

namespace zepo {

// A stream's picture as an image over the same pixels, nothing copied; the image keeps
// the pixels alive and never writes into them (painting on it would detach a copy).
QImage pictureImage(const stream::Picture& picture);

} // namespace zepo
