#include "movies/LoadFlv_2.h"

#include "movies/ZepoLogo.h"

#include <QPainter>

namespace zepo {

PlayerMovie::PlayerMovie(MovieEnvironment& environment, const MovieSlot& slot)
    : Movie(environment.timers, slot), environment_(environment)
{
}

PlayerMovie::~PlayerMovie() = default;

void PlayerMovie::onLoad()
{
    setFlag("fix_flag", false);
    setFlag("repeat_flag", false);
    setNumber("c_height", kPanelHeight);
    setNumber("vol_mfc", 100);
    setNumber("FullScreenAdjust_w", 1);
    setNumber("FullScreenAdjust_h", 1);
    setNumber("m_width_c", 320);
    setNumber("m_height_c", 240);
    setNumber("ratio_num", 0);
    if (stageWidth() == 0)
        return;
    repaint();
    sendCommand("ok", text("c_height"));
}

void PlayerMovie::paint(QPainter& painter)
{
    if (logoVisible_)
        paintZepoLogo(painter, QRectF(0, 0, slot().stageWidth, slot().stageHeight).intersected(visibleStage()));
}

} // namespace zepo
