#include "scheduler.h"

#include "frmmsg.h"

#include <QTimer>

ResidentScheduler::ResidentScheduler(QTimer& Timer1, IClock& clock, IMessages& messages,
                                     ISpeech& speech, IShell& shell, const QString& stateFile,
                                     QObject* parent)
    : QObject(parent), Timer1_(Timer1), FrmMsg_(std::make_unique<TFrmMsg>()),
      speech_(*this, speech), actions_(clock, messages, speech_, shell, Timer1, *FrmMsg_),
      ticker_(clock, messages, actions_,
              [this] { return Timer1_.isActive() && !actions_.Stopped(); }, stateFile)
{
    // A timer never enters its own handler again while that handler runs: a box shown
    // inside a tick would hold back every later tick until it is closed. Queued, the tick
    // runs after the timer's event has returned, and the next timeouts come on time inside
    // any box, each starting its own tick there.
    connect(&Timer1, &QTimer::timeout, this, [this] {
            // A timer switched off after its timeout (a speech failure box, the program
            // closing) drops the tick that was still on its way.
            if (Timer1_.isActive())
                Timer1Timer();
        }, Qt::QueuedConnection);
}

ResidentScheduler::~ResidentScheduler() = default;

TFrmMsg* ResidentScheduler::FrmMsg() { return FrmMsg_.get(); }

void ResidentScheduler::Timer1Timer()
{
    if (actions_.Stopped())
        return;
    if (speech_.IsSpeaking()) {
        // Ticks do not pile up behind a speech: one runs when it has ended.
        tickHeld_ = true;
        return;
    }
    ticker_.Timer1Timer();
}

void ResidentScheduler::Stop()
{
    actions_.Stop();
    Timer1_.stop();
}

void ResidentScheduler::RunHeldTick()
{
    if (!tickHeld_)
        return;
    tickHeld_ = false;
    // A timer switched off meanwhile drops its waiting tick.
    if (Timer1_.isActive())
        Timer1Timer();
}

bool ResidentScheduler::GuardedSpeech::Speak(const QString& text)
{
    speaking_ = true;
    const bool ok = inner_.Speak(text);
    speaking_ = false;
    if (owner_.tickHeld_)
        QTimer::singleShot(0, &owner_, [owner = &owner_] { owner->RunHeldTick(); });
    return ok;
}
