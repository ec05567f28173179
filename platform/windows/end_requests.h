#pragma once
// Requests from outside that this program end (WM_CLOSE to its presence window, the
// session ending) reach the one who watches for them: the watcher lives in the widgets
// part, the presence window in the core part.

#include <functional>

class QObject;

// onEnd runs at most once, never after `context` is gone.
void AddEndRequestWatcher(QObject* context, std::function<void()> onEnd);

enum class EndRequestDelivery {
    // From the event loop, after the caller has returned: the sender of a WM_CLOSE is not
    // kept waiting on the close.
    Queued,
    // Before returning: after WM_ENDSESSION the system may end the process at any moment.
    Now,
};

// False when no one watches: the request goes unanswered.
bool RequestEnd(EndRequestDelivery delivery);
