#pragma once

#include <QIcon>

namespace zepo {

// The program's icon: the four letters ZEPO on a dark tile, drawn at every size asked.
QIcon appIcon();

} // namespace zepo
