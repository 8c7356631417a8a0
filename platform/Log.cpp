#include "platform/Log.h"

// Below warning a category is silent unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcPlatform, "zepo.platform", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStream, "zepo.stream", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBridge, "zepo.bridge", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMovies, "zepo.movies", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "zepo.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlayer, "zepo.player", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlaylist, "zepo.playlist", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDialogs, "zepo.dialogs", QtWarningMsg)

namespace zepo {

void installLogFormat()
{
    qSetMessagePattern(QStringLiteral("%{category}: %{type}: %{message}"));
}

} // namespace zepo
