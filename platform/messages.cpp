#include "messages.h"

#include <QApplication>
#include <QMessageBox>

const char* const kProgramTitle = "Nelvora";

QString ErrorBoxText(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

namespace {

QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtMessages::Notice(const QString& text)
{
    ShowBox(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok);
}

void QtMessages::Warning(const QString& text)
{
    ShowBox(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok);
}

void QtMessages::Information(const QString& text)
{
    ShowBox(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok);
}

void QtMessages::Error(const QString& text)
{
    ShowBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
}

void QtMessages::RaisedError(const QString& text)
{
    ShowBox(QMessageBox::Critical, QString::fromLatin1(kProgramTitle), ErrorBoxText(text),
            QMessageBox::Ok);
}

bool QtMessages::Question(const QString& text)
{
    return ShowBox(QMessageBox::Warning, QStringLiteral("Warning"), text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
