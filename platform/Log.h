#pragma once

#include <QLoggingCategory>

// One logging category per layer. Warnings and errors go to stderr by default, one line
// each (see installLogFormat); QT_LOGGING_RULES turns on more, e.g.
// QT_LOGGING_RULES="zepo.stream.debug=true". A message names the file it is about.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcStream)
Q_DECLARE_LOGGING_CATEGORY(lcBridge)
Q_DECLARE_LOGGING_CATEGORY(lcMovies)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
Q_DECLARE_LOGGING_CATEGORY(lcPlaylist)
Q_DECLARE_LOGGING_CATEGORY(lcDialogs)

namespace zepo {

// The program's line format on stderr: "zepo.<layer>: <level>: <message>".
void installLogFormat();

} // namespace zepo
