#pragma once
// Scripted stand-ins for the action page's file dialogs and message prompt.

#include "frmwhattype.h"
#include "messageprompt.h"

#include <QStringList>
#include <deque>

class FakeChooser : public IFileChooser {
public:
    QString ChooseFile(const QString& title, const QString& filter) override
    {
        asked << title + QLatin1Char('|') + filter;
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<QString> answers; // empty text = cancelled
    QStringList asked;
};

class FakePrompt : public ITextPrompt {
public:
    QString AskMessage(QWidget*) override
    {
        ++asked;
        if (answers.empty())
            return QStringLiteral(" ");
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<QString> answers;
    int asked = 0;
};
