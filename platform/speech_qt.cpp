#include "speech_qt.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <climits>

void SpeechWorker::Prepare() { EnsureEngine(); }

bool SpeechWorker::EnsureEngine()
{
    if (engine_ && engine_->state() != QTextToSpeech::Error)
        return true;
    // An engine in its error state may come back after the speech service restarts.
    delete engine_;
    engine_ = nullptr;
    if (QTextToSpeech::availableEngines().isEmpty())
        return false;
    engine_ = new QTextToSpeech(this);
    connect(engine_, &QTextToSpeech::stateChanged, this, &SpeechWorker::OnState);
    return engine_->state() != QTextToSpeech::Error;
}

void SpeechWorker::Say(const QString& text, quint64 id)
{
    current_ = id;
    started_ = false;
    if (!EnsureEngine()) {
        Finish(false);
        return;
    }
    engine_->say(text);
    if (engine_->state() == QTextToSpeech::Error)
        Finish(false);
}

void SpeechWorker::Stop()
{
    if (!current_)
        return;
    if (engine_)
        engine_->stop();
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
    const quint64 id = current_;
    current_ = 0;
    started_ = false;
    Q_EMIT Finished(id, ok);
}

QtSpeech::QtSpeech(int baseBoundMs, int perCharBoundMs, QObject* parent)
    : QObject(parent), thread_(new QThread), worker_(new SpeechWorker), baseBoundMs_(baseBoundMs),
      perCharBoundMs_(perCharBoundMs)
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
    if (thread_->wait(3000))
        delete thread_;
}

void QtSpeech::Prepare()
{
    QMetaObject::invokeMethod(worker_, &SpeechWorker::Prepare, Qt::QueuedConnection);
}

int QtSpeech::BoundMs(const QString& text) const
{
    const qint64 bound = qint64(baseBoundMs_) + qint64(perCharBoundMs_) * text.size();
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
    connect(worker_, &SpeechWorker::Finished, &loop, [&](quint64 finished, bool result) {
        if (finished != id)
            return;
        done = true;
        ok = result;
        loop.quit();
    });
    SpeechWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_, [worker, text, id] { worker->Say(text, id); }, Qt::QueuedConnection);
    bound.start(BoundMs(text));
    // Like a blocking call: input waits, timers (the minute tick) still arrive.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    speaking_ = false;

    if (!done) {
        QMetaObject::invokeMethod(worker_, &SpeechWorker::Stop, Qt::QueuedConnection);
        return false;
    }
    return ok;
}
