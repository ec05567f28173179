#pragma once
// The desktop asking a running program to end: the session ends, or the user stops it.

#include <functional>

class QObject;

// Calls onEnd once, from the event loop of `context`'s thread, when the desktop asks the
// program to end, and never after `context` is gone. onEnd ends the program through its
// normal close, so that nothing of it (a tray icon) lingers. Linux: SIGTERM (kill, the
// system shutting down), SIGHUP (log-out) and SIGINT (Ctrl+C). Windows: the session ending.
void WatchEndOfSession(QObject* context, std::function<void()> onEnd);
