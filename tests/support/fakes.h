#pragma once
// Fakes of the platform interfaces that record what the code asked of them.

#include "autostart.h"
#include "clock.h"
#include "messages.h"
#include "shell.h"
#include "speech.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class FakeClock : public IClock {
public:
    explicit FakeClock(QDateTime now = {}) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_; }
    void Set(const QDateTime& now) { now_ = now; }
    void Set(int y, int mo, int d, int h, int mi) { now_ = QDateTime(QDate(y, mo, d), QTime(h, mi)); }

private:
    QDateTime now_;
};

struct ShownMessage {
    QString kind; // "notice", "warning", "information", "error", "raised", "question"
    QString text;
    bool operator==(const ShownMessage&) const = default;
};

class FakeMessages : public IMessages {
public:
    void Notice(const QString& text) override { Record(QStringLiteral("notice"), text); }
    void Warning(const QString& text) override { Record(QStringLiteral("warning"), text); }
    void Information(const QString& text) override { Record(QStringLiteral("information"), text); }
    void Error(const QString& text) override { Record(QStringLiteral("error"), text); }
    void RaisedError(const QString& text) override { Record(QStringLiteral("raised"), ErrorBoxText(text)); }
    bool Question(const QString& text) override;

    // Answers for the next questions, in order; an unscripted question is answered No.
    std::deque<bool> answers;
    QList<ShownMessage> shown;
    // Runs while a box is "open", to check what the code did before showing it.
    std::function<void(const ShownMessage&)> onShow;

    QStringList Texts() const;

private:
    void Record(const QString& kind, const QString& text);
};

// Opens and starts nothing; a file or local page that is not there is "file not found"
// before anything would open, as on the desktop.
class FakeShell : public IShell {
public:
    bool FileExists(const QString& path) const override;
    ShellResult OpenPath(const QString& path, ShellShow show) override;
    ShellResult OpenUrl(const QUrl& url, ShellShow show) override;
    ShellResult StartDetached(const QString& program, ShellShow show, const QStringList& arguments = {}) override;
    void Beep() override { calls << QStringLiteral("beep"); }
    void ProcessPendingEvents() override { calls << QStringLiteral("pending"); }

    bool openResult = true;  // whether OpenPath / OpenUrl succeed
    bool startResult = true; // whether StartDetached succeeds
    QStringList calls;       // "open:<path>", "url:<url>", "start:<program>", "beep", "pending"
    QList<ShellShow> shows;  // the show state of each open and start
};

class FakeAutostart : public IAutostart {
public:
    bool SetRunAtStartup(const QString& residentPath) override;
    AutostartState State() override { return state; }
    bool Remove() override;

    AutostartState state = AutostartState::Absent;
    bool removable = true;  // what Remove reports
    QStringList registered; // every path SetRunAtStartup was given
};

class FakeSpeech : public ISpeech {
public:
    bool Speak(const QString& text) override;
    bool IsSpeaking() const override { return false; }

    bool works = true;
    QStringList spoken;
    std::function<void(const QString&)> onSpeak;
};
