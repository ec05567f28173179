#pragma once
// The resident scheduler: the minute tick, the actions and the message window, put
// together for the tray form.

#include "actions.h"
#include "speech.h"
#include "tick.h"

#include <QObject>

#include <memory>

class IClock;
class IMessages;
class IShell;
class QTimer;
class TFrmMsg;

class ResidentScheduler : public QObject {
    Q_OBJECT
public:
    // The message window is created here, hidden, with its saved size; every timeout of
    // Timer1 runs one tick. stateFile: see ReminderTicker.
    ResidentScheduler(QTimer& Timer1, IClock& clock, IMessages& messages, ISpeech& speech,
                      IShell& shell, const QString& stateFile, QObject* parent = nullptr);
    ~ResidentScheduler() override;

    TFrmMsg* FrmMsg();
    // One tick. A tick that comes while a text is being spoken waits and runs once,
    // right after the speech.
    void Timer1Timer();
    // The program is closing: Timer1 goes off for good, and a tick still on the stack below
    // an open box ends when the box returns, with nothing more stamped or performed.
    void Stop();

private:
    // Marks the time spent speaking, so ticks arriving meanwhile are held back.
    class GuardedSpeech : public ISpeech {
    public:
        GuardedSpeech(ResidentScheduler& owner, ISpeech& inner) : owner_(owner), inner_(inner) {}
        bool Speak(const QString& text) override;
        bool IsSpeaking() const override { return speaking_ || inner_.IsSpeaking(); }

    private:
        ResidentScheduler& owner_;
        ISpeech& inner_;
        bool speaking_ = false;
    };

    void RunHeldTick();

    QTimer& Timer1_;
    std::unique_ptr<TFrmMsg> FrmMsg_;
    GuardedSpeech speech_;
    ReminderActions actions_;
    ReminderTicker ticker_;
    bool tickHeld_ = false;
};
