#pragma once
// The Linux voice: QTextToSpeech (speech-dispatcher), driven from a thread of its own so that
// neither creating the engine nor a stuck engine can block the caller.

#include "speech.h"

#include <QObject>
#include <QString>
#include <QTextToSpeech>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// What the speech thread needs of an engine, so the thread's logic can run against a
// scripted engine as well as QTextToSpeech. Made, used and destroyed in that thread.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    virtual QTextToSpeech::State State() const = 0;
    virtual void Say(const QString& text) = 0;
    virtual void Stop() = 0;

    // Told of each state the engine enters.
    std::function<void(QTextToSpeech::State)> onState;
};

// Makes an engine; null when none is installed. Can take seconds: it may have to start
// the speech service.
using SpeechEngineFactory = std::function<std::unique_ptr<SpeechEngine>()>;
SpeechEngineFactory QtSpeechEngineFactory();

// Lives in the speech thread and owns the engine there.
class SpeechWorker : public QObject {
    Q_OBJECT
public:
    explicit SpeechWorker(SpeechEngineFactory factory);
    ~SpeechWorker() override;

    void Say(const QString& text, quint64 id);
    void Stop(quint64 id);

    // The request the caller still waits for, set from the caller's thread. An engine
    // that comes up only after its caller gave up does not speak the stale text.
    std::atomic<quint64> wanted{0};

Q_SIGNALS:
    // The engine is up and about to be given the text.
    void EngineReady(quint64 id);
    void Finished(quint64 id, bool ok);

private:
    bool EnsureEngine();
    void OnState(QTextToSpeech::State state);
    void Finish(bool ok);

    SpeechEngineFactory factory_;
    std::unique_ptr<SpeechEngine> engine_;
    quint64 current_ = 0;
    bool started_ = false;
};

class QtSpeech : public QObject, public ISpeech {
    Q_OBJECT
public:
    explicit QtSpeech(SpeechBounds bounds = {},
                      SpeechEngineFactory factory = QtSpeechEngineFactory(),
                      QObject* parent = nullptr);
    ~QtSpeech() override;

    // Waits, handling timer and other non-input events, until the text has been spoken.
    bool Speak(const QString& text) override;
    bool IsSpeaking() const override { return speaking_; }

    int BoundMs(const QString& text) const;

private:
    QThread* thread_; // owned; left running at exit when the speech library hangs
    SpeechWorker* worker_;
    SpeechBounds bounds_;
    bool speaking_ = false;
    quint64 lastId_ = 0;
    // A request the engine has not finished yet; no new speech starts over it.
    quint64 unfinishedId_ = 0;
};
