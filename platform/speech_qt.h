#pragma once
// The real voice: QTextToSpeech (speech-dispatcher on Linux), driven from a thread of its
// own so that neither creating the engine nor a stuck engine can block the caller.

#include "speech.h"

#include <QObject>
#include <QString>
#include <QTextToSpeech>
#include <QThread>

// Lives in the speech thread and owns the engine there.
class SpeechWorker : public QObject {
    Q_OBJECT
public:
    void Prepare();
    void Say(const QString& text, quint64 id);
    void Stop();

Q_SIGNALS:
    void Finished(quint64 id, bool ok);

private:
    bool EnsureEngine();
    void OnState(QTextToSpeech::State state);
    void Finish(bool ok);

    QTextToSpeech* engine_ = nullptr;
    quint64 current_ = 0;
    bool started_ = false;
};

class QtSpeech : public QObject, public ISpeech {
    Q_OBJECT
public:
    // A speech that has not ended after baseBoundMs + perCharBoundMs per character has
    // failed.
    explicit QtSpeech(int baseBoundMs = 10000, int perCharBoundMs = 150,
                      QObject* parent = nullptr);
    ~QtSpeech() override;

    // Waits, handling timer and other non-input events, until the text has been spoken.
    bool Speak(const QString& text) override;
    bool IsSpeaking() const override { return speaking_; }

    // Creates the engine in the background (it can take seconds), so the first reminder
    // does not wait for it. Optional: Speak creates it when needed.
    void Prepare();

    int BoundMs(const QString& text) const;

private:
    QThread* thread_; // owned; left running at exit when the speech library hangs
    SpeechWorker* worker_;
    int baseBoundMs_;
    int perCharBoundMs_;
    bool speaking_ = false;
    quint64 lastId_ = 0;
    // A request the engine has not finished yet; no new speech starts over it.
    quint64 unfinishedId_ = 0;
};
