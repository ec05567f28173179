#pragma once
// What a due reminder does: speak the time and the day, show its message, speak the
// message, open its audio file and its file, always in that order.

#include "tick.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

class IClock;
class IMessages;
class IShell;
class ISpeech;
class QTimer;

// Where the message goes: the message window, or a fake in tests.
class IReminderDisplay {
public:
    virtual ~IReminderDisplay() = default;
    // Adds the lines below any text already shown and shows the window without waiting.
    virtual void ShowReminder(const QStringList& lines) = 0;
};

// The six lines one reminder adds to the message window, the first with the moment in
// the user's short date and long time formats.
QStringList DisplayLines(const QString& message, const QDateTime& now, const QString& clockText,
                         const QLocale& locale = QLocale::system());
// A time format without its time-zone field: "h:mm:ss AP t" gives "h:mm:ss AP".
QString TimeFormatWithoutZone(const QString& format);

// The boxes shown when speech fails or an action has nothing to work on.
QString SayTimeFailureText(const QString& clockText, const QString& nowTime);
QString SayDayFailureText(const QString& todayName);
QString SayMsgFailureText(const QString& message);
extern const char* const kBlankDisplayText;
extern const char* const kBlankSayText;
QString AudioNotFoundText(const QString& path);
QString OpenNotFoundText(const QString& path);

class ReminderActions : public IReminderActions {
public:
    ReminderActions(IClock& clock, IMessages& messages, ISpeech& speech, IShell& shell,
                    QTimer& Timer1, IReminderDisplay& display);

    void PerformActions(const TReminderActions& reminder, const QString& clockText,
                        const QString& nowTime, const QString& todayName) override;

    // The program is closing: no further action runs, not even the rest of the reminder
    // whose box is open now, and Timer1 is never switched on again.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

private:
    void Say(const QString& text, const QString& failureText);
    void SpeechFailure(const QString& text);

    IClock& clock_;
    IMessages& messages_;
    ISpeech& speech_;
    IShell& shell_;
    QTimer& Timer1_;
    IReminderDisplay& display_;
    bool stopped_ = false;
};
