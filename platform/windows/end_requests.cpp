#include "windows/end_requests.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

namespace {

struct Watcher {
    QPointer<QObject> context;
    std::function<void()> onEnd;
    bool fired = false;
};

// Only the GUI thread watches and requests: window procedures run on the thread of their
// window, and both windows are made there.
std::vector<std::shared_ptr<Watcher>>& Watchers()
{
    static std::vector<std::shared_ptr<Watcher>> watchers;
    return watchers;
}

void Fire(const std::shared_ptr<Watcher>& watcher)
{
    if (watcher->fired || !watcher->context)
        return;
    watcher->fired = true;
    watcher->onEnd();
}

} // namespace

void AddEndRequestWatcher(QObject* context, std::function<void()> onEnd)
{
    auto& watchers = Watchers();
    std::erase_if(watchers, [](const auto& w) { return !w->context; });
    watchers.push_back(std::make_shared<Watcher>(Watcher{context, std::move(onEnd)}));
}

bool RequestEnd(EndRequestDelivery delivery)
{
    bool heard = false;
    // A copy: an onEnd may add or drop watchers.
    const auto watchers = Watchers();
    for (const auto& watcher : watchers) {
        if (!watcher->context || watcher->fired)
            continue;
        heard = true;
        if (delivery == EndRequestDelivery::Now)
            Fire(watcher);
        else
            QMetaObject::invokeMethod(watcher->context, [watcher] { Fire(watcher); },
                                      Qt::QueuedConnection);
    }
    return heard;
}
