#pragma once

#include "platform/QtTimerService.h"
#include "stream/NetStream.h"

namespace zepo {

// The streams the movies play real files on. A stream's news comes from its own threads;
// the UI thread's timer service carries it over to the UI thread, where the movies live.
// The service must outlive the streams. The stream's log goes to the category zepo.stream
// from the first call on.
stream::StreamFactory flvStreams(QtTimerService& uiThread);

} // namespace zepo
