#include "movies/PictureImage.h"

namespace zepo {

QImage pictureImage(const stream::Picture& picture)
{
    if (picture.isNull())
        return {};
    // The image's hold on the pixels: a copy of the picture, released with the image.
    auto* hold = new stream::Picture(picture);
    const stream::PictureSize size = picture.size();
    return QImage(static_cast<const uchar*>(hold->pixels()), size.width, size.height, hold->stride(),
                  picture.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                  [](void* p) { delete static_cast<stream::Picture*>(p); }, hold);
}

} // namespace zepo
