#include "linux/speech_qt.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <climits>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

class QtEngine : public SpeechEngine {
public:
    QtEngine()
    {
        QObject::connect(&tts_, &QTextToSpeech::stateChanged, &tts_,
                         [this](QTextToSpeech::State state) {
                             if (onState)
                                 onState(state);
                         });
    }
    QTextToSpeech::State State() const override { return tts_.state(); }
    void Say(const QString& text) override { tts_.say(text); }
    void Stop() override { tts_.stop(); }

private:
    QTextToSpeech tts_;
};

} // namespace

SpeechEngineFactory QtSpeechEngineFactory()
{
    return []() -> std::unique_ptr<SpeechEngine> {
        if (QTextToSpeech::availableEngines().isEmpty())
            return nullptr;
        return std::make_unique<QtEngine>();
    };
}

SpeechWorker::SpeechWorker(SpeechEngineFactory factory) : factory_(std::move(factory)) {}

SpeechWorker::~SpeechWorker() = default;

bool SpeechWorker::EnsureEngine()
{
    if (engine_ && engine_->State() != QTextToSpeech::Error)
        return true;
    // An engine in its error state may come back after the speech service restarts.
    engine_.reset();
    engine_ = factory_();
    if (!engine_)
        return false;
    engine_->onState = [this](QTextToSpeech::State state) { OnState(state); };
    return engine_->State() != QTextToSpeech::Error;
}

void SpeechWorker::Say(const QString& text, quint64 id)
{
    current_ = id;
    started_ = false;
    if (!EnsureEngine() || wanted.load() != id) {
        Finish(false);
        return;
    }
    Q_EMIT EngineReady(id);
    engine_->Say(text);
    if (current_ == id && engine_->State() == QTextToSpeech::Error)
        Finish(false);
}

void SpeechWorker::Stop(quint64 id)
{
    if (current_ != id)
        return;
    if (engine_)
        engine_->Stop();
    Finish(false);
}

void SpeechWorker::OnState(QTextToSpeech::State state)
{
    if (!current_)
        return;
    switch (state) {
    case QTextToSpeech::Speaking:
        started_ = true;
        break;
    case QTextToSpeech::Ready:
        // A Ready before this text began belongs to an earlier, stopped one.
        if (started_)
            Finish(true);
        break;
    case QTextToSpeech::Error:
        Finish(false);
        break;
    default:
        break;
    }
}

void SpeechWorker::Finish(bool ok)
{
    if (!current_)
        return;
    const quint64 id = current_;
    current_ = 0;
    started_ = false;
    Q_EMIT Finished(id, ok);
}

QtSpeech::QtSpeech(SpeechBounds bounds, SpeechEngineFactory factory, QObject* parent)
    : QObject(parent), thread_(new QThread), worker_(new SpeechWorker(std::move(factory))),
      bounds_(bounds)
{
    thread_->setObjectName(QStringLiteral("speech"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SpeechWorker::Finished, this, [this](quint64 id, bool) {
        if (id == unfinishedId_)
            unfinishedId_ = 0;
    });
    thread_->start();
}

QtSpeech::~QtSpeech()
{
    thread_->quit();
    // A speech library call that never returns must not keep the program from ending.
    // Killing the thread could leave the library's locks held, and destroying a running
    // QThread aborts, so a thread still stuck after the wait is left to end with the
    // process.
    if (thread_->wait(3000)) {
        delete thread_;
        return;
    }
#ifdef __SANITIZE_ADDRESS__
    __lsan_ignore_object(thread_); // left behind on purpose
#endif
}

int QtSpeech::BoundMs(const QString& text) const
{
    const qint64 bound = qint64(bounds_.baseMs) + qint64(bounds_.perCharMs) * text.size();
    return int(std::clamp<qint64>(bound, 0, INT_MAX));
}

bool QtSpeech::Speak(const QString& text)
{
    // Two speeches never overlap, and one the engine still holds blocks the next.
    if (speaking_ || unfinishedId_ != 0)
        return false;
    if (text.trimmed().isEmpty())
        return true;

    const quint64 id = ++lastId_;
    unfinishedId_ = id;
    speaking_ = true;
    bool done = false;
    bool ok = false;

    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    bound.setTimerType(Qt::PreciseTimer);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    // The speaking bound runs from the moment the engine is up: starting the speech
    // service can take seconds and is no part of how long a text takes to say.
    connect(worker_, &SpeechWorker::EngineReady, &loop, [&](quint64 ready) {
        if (ready == id && !done && bound.isActive())
            bound.start(BoundMs(text));
    });
    connect(worker_, &SpeechWorker::Finished, &loop, [&](quint64 finished, bool result) {
        if (finished != id)
            return;
        done = true;
        ok = result;
        loop.quit();
    });
    worker_->wanted.store(id);
    SpeechWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_, [worker, text, id] { worker->Say(text, id); }, Qt::QueuedConnection);
    bound.start(std::max(bounds_.startupMs, 0));
    // Like a blocking call: input waits, timers (the minute tick) still arrive.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    speaking_ = false;

    if (!done) {
        quint64 expected = id;
        worker_->wanted.compare_exchange_strong(expected, 0);
        QMetaObject::invokeMethod(
            worker_, [worker, id] { worker->Stop(id); }, Qt::QueuedConnection);
        return false;
    }
    return ok;
}

std::unique_ptr<ISpeech> MakeDesktopSpeech() { return std::make_unique<QtSpeech>(); }
