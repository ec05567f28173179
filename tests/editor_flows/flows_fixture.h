#pragma once
// The editor's main window with its two pages, over temporary folders and fakes, and a
// way to walk the name dialog and both pages of one create or modify.

#include "fakes.h"
#include "frmfirst.h"
#include "frmname.h"
#include "frmwhattype.h"
#include "frmwhen.h"
#include "messageprompt.h"
#include "modal.h"
#include "presence.h"
#include "profile.h"
#include "spinfield.h"
#include "tempenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

struct FlowChooser : IFileChooser {
    QString ChooseFile(const QString&, const QString&) override { return answer; }
    QString answer; // empty = cancelled
};

struct FlowPrompt : ITextPrompt {
    QString AskMessage(QWidget*) override { return answer; }
    QString answer = QStringLiteral(" ");
};

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Replaces what a field shows as a user would: select all, type the digits.
inline void TypeInto(TSpinField* field, int value)
{
    field->selectAll();
    QTest::keyClicks(field, QString::number(value));
}

// What the user does on each window of one flow; the defaults go straight on.
struct FlowScript {
    explicit FlowScript(QString typed = {}) : name(std::move(typed)) {}
    QString name;
    QString pasted; // put in after the typed name, as a paste would, unfiltered
    bool closeNameBox = false; // the name dialog's close box rather than its "Ok"
    std::function<void(TFrmWhen&)> when = [](TFrmWhen& page) { Click(page.CmdNext); };
    // Done passes only with a box ticked.
    std::function<void(TFrmWhatType&)> what = [](TFrmWhatType& page) {
        if (!page.ChkSayTime->isChecked())
            page.ChkSayTime->click();
        Click(page.CmdDone);
    };
};

struct FlowFixture {
    TempXdg xdg;
    QTemporaryDir programDir;
    FakeMessages messages;
    FakeShell shell;
    FakeClock clock{QDateTime(QDate(2026, 5, 17), QTime(14, 3))};
    FakeAutostart autostart;
    FlowChooser chooser;
    FlowPrompt prompt;
    std::unique_ptr<TFrmFirst> window;

    FlowFixture() { QApplication::setQuitOnLastWindowClosed(false); }

    QString Path(const QString& name) const
    {
        return xdg.Folder() + QLatin1Char('/') + name + QStringLiteral(".ini");
    }
    void PutReminder(const QString& name, const QByteArray& text) const
    {
        QDir().mkpath(xdg.Folder());
        WriteAll(Path(name), text);
    }
    // "Section.Key=value;..." against the file, "<absent>" for a key that must be missing.
    void ExpectKeys(const QString& name, const QString& table) const
    {
        const ProfileSnapshot file = ProfileSnapshot::Read(Path(name));
        for (const QString& item : table.split(QLatin1Char(';'))) {
            const qsizetype dot = item.indexOf(QLatin1Char('.'));
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            EXPECT_EQ(file.Value(item.left(dot), item.mid(dot + 1, eq - dot - 1))
                          .value_or(QStringLiteral("<absent>")),
                      item.mid(eq + 1))
                << name.toStdString() << ": " << item.toStdString();
        }
    }

    // The main window, then the pages in the order the program makes them.
    void Start()
    {
        WriteAll(programDir.path() + QStringLiteral("/Velmaro"), "x");
        xdg.Folders().programFolder = programDir.path() + QLatin1Char('/');
        FrmFirstEnv env{messages, shell, clock, [] { return ResidentPresence::Running; }, xdg.Folders(),
                        autostart};
        window = std::make_unique<TFrmFirst>(std::move(env));
        window->SetPages(new TFrmWhen(messages, window.get()),
                         new TFrmWhatType(messages, chooser, prompt, window.get()));
        window->show();
        messages.shown.clear();
    }

    QStringList Entries() const
    {
        QStringList names;
        for (int i = 0; i < window->ListBox1->count(); ++i)
            names << window->ListBox1->item(i)->text();
        return names;
    }

    // Presses a button of the main window and plays the script on every modal window
    // that opens; returns the object names of the windows shown, in order.
    QStringList Run(QPushButton* button, const FlowScript& script)
    {
        QStringList shown;
        ModalAnswerer answer(
            [&](QWidget* modal) {
                shown << modal->objectName();
                if (auto* name = qobject_cast<TFrmName*>(modal)) {
                    QTest::keyClicks(name->Edit1, script.name);
                    name->Edit1->insert(script.pasted);
                    if (script.closeNameBox)
                        name->close();
                    else
                        Click(name->BitBtn1);
                } else if (auto* when = qobject_cast<TFrmWhen*>(modal)) {
                    script.when(*when);
                } else if (auto* what = qobject_cast<TFrmWhatType*>(modal)) {
                    script.what(*what);
                } else {
                    return false;
                }
                return true;
            },
            5000);
        Click(button);
        return shown;
    }
    QStringList Create(const FlowScript& script) { return Run(window->CmdAdd, script); }
    QStringList Modify(const FlowScript& script) { return Run(window->CmdModify, script); }
};

inline const QStringList kAllCreatePages{QStringLiteral("FrmName"), QStringLiteral("FrmWhen"),
                                         QStringLiteral("FrmWhatType")};
