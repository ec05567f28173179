#include "fakes.h"

#include <QFileInfo>

bool FakeMessages::Question(const QString& text)
{
    Record(QStringLiteral("question"), text);
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList FakeMessages::Texts() const
{
    QStringList texts;
    for (const ShownMessage& m : shown)
        texts << m.text;
    return texts;
}

void FakeMessages::Record(const QString& kind, const QString& text)
{
    shown.append({kind, text});
    if (onShow)
        onShow(shown.back());
}

bool FakeShell::FileExists(const QString& path) const
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

bool FakeShell::OpenPath(const QString& path)
{
    calls << QStringLiteral("open:") + path;
    return openResult;
}

bool FakeShell::OpenUrl(const QUrl& url)
{
    calls << QStringLiteral("url:") + url.toString();
    return openResult;
}

bool FakeShell::StartDetached(const QString& program, const QStringList& arguments)
{
    calls << QStringLiteral("start:") + program + (arguments.isEmpty() ? QString() : QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
    return startResult;
}

bool FakeAutostart::SetRunAtStartup(const QString& residentPath)
{
    registered << residentPath;
    state = AutostartState::Present;
    return true;
}

bool FakeAutostart::Remove()
{
    if (removable && state == AutostartState::Present)
        state = AutostartState::Absent;
    return state != AutostartState::Present;
}

bool FakeSpeech::Speak(const QString& text)
{
    spoken << text;
    if (onSpeak)
        onSpeak(text);
    return works;
}
