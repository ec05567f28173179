#pragma once
// The desktop asking a running program to end: the session ends, or the user stops it.

#include <functional>

class QObject;

// Calls onEnd once, from the event loop of `context`'s thread, when the desktop asks the
// program to end, and never after `context` is gone. onEnd ends the program through its
// normal close, so that nothing of it (a tray icon) lingers. Linux: SIGTERM (kill, the
// system shutting down), SIGHUP (log-out) and SIGINT (Ctrl+C). Windows: the session ending.
void WatchEndOfSession(QObject* context, std::function<void()> onEnd);

// Windows hands the show state a program was started with (hidden, as the editor starts the
// scheduler; minimized, from a shortcut) to the first window the program shows, whatever it
// asks for: a reminder's message window or a box would stay unseen. A program that shows no
// window at start calls this first, so that a window of no use takes it. Linux: nothing.
void TakeStartShowState();
