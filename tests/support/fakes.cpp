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

ShellResult FakeShell::OpenPath(const QString& path, ShellShow show)
{
    if (!FileExists(path))
        return ShellResult::FileNotFound;
    calls << QStringLiteral("open:") + path;
    shows << show;
    return openResult ? ShellResult::Done : ShellResult::Failed;
}

ShellResult FakeShell::OpenUrl(const QUrl& url, ShellShow show)
{
    if (url.isLocalFile() && !FileExists(url.toLocalFile()))
        return ShellResult::FileNotFound;
    calls << QStringLiteral("url:") + url.toString();
    shows << show;
    return openResult ? ShellResult::Done : ShellResult::Failed;
}

ShellResult FakeShell::StartDetached(const QString& program, ShellShow show, const QStringList& arguments)
{
    calls << QStringLiteral("start:") + program + (arguments.isEmpty() ? QString() : QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
    shows << show;
    return startResult ? ShellResult::Done : ShellResult::Failed;
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
