// The real message prompt and file dialog, answered as a user would answer them.
#include "fakes.h"
#include "fakes_whattype.h"
#include "frmwhattype.h"
#include "messageprompt.h"
#include "modal.h"
#include "tempenv.h"
#include "texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RealDialogs : public ::testing::Test {
protected:
    TempXdg env;
    FakeMessages messages;
    QtFileChooser chooser;
    QtTextPrompt prompt;
    TFrmWhatType page{messages, chooser, prompt};
};

TEST_F(RealDialogs, PromptStartsWithOneSelectedBlankThatTypingReplaces)
{
    QString seenText, seenSelection, caption;
    int maxLength = 0;
    ModalAnswerer answer([&](QWidget* w) {
        auto* p = qobject_cast<TMessagePrompt*>(w);
        if (!p)
            return false;
        caption = p->windowTitle();
        seenText = p->Edit->text();
        seenSelection = p->Edit->selectedText();
        maxLength = p->Edit->maxLength();
        QTest::keyClicks(p->Edit, QStringLiteral("Hello"));
        QTest::mouseClick(p->OkButton, Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(page.BitBtn5, Qt::LeftButton);
    EXPECT_EQ(answer.handled(), 1);
    EXPECT_EQ(caption, QStringLiteral("Reminder Message"));
    EXPECT_EQ(seenText, QStringLiteral(" "));
    EXPECT_EQ(seenSelection, QStringLiteral(" "));
    EXPECT_EQ(maxLength, 255);
    EXPECT_EQ(page.LblMsg->text(), QStringLiteral("Hello"));
}

TEST_F(RealDialogs, CancelLeavesASingleBlankThatDoneRefuses)
{
    page.LblMsg->setText(QStringLiteral("an older message"));
    page.open();
    ModalAnswerer answer([](QWidget* w) {
        auto* p = qobject_cast<TMessagePrompt*>(w);
        if (!p)
            return false;
        QTest::keyClicks(p->Edit, QStringLiteral("typed, then cancelled"));
        QTest::mouseClick(p->CancelButton, Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(page.BitBtn5, Qt::LeftButton);
    EXPECT_EQ(answer.handled(), 1);
    EXPECT_EQ(page.LblMsg->text(), QStringLiteral(" "));

    page.ChkDisplay->click();
    QTest::mouseClick(page.CmdDone, Qt::LeftButton);
    EXPECT_EQ(messages.Texts(), QStringList{kNoMessage});
    EXPECT_TRUE(page.isVisible());
    page.close();
}

TEST_F(RealDialogs, PastedLineBreaksBecomeBlanksInThePrompt)
{
    TMessagePrompt p;
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree"));
    p.Edit->paste();
    EXPECT_EQ(p.Edit->text(), QStringLiteral("one two three"));
    p.Edit->selectAll();
    p.Edit->insert(QString(300, QLatin1Char('x')));
    EXPECT_EQ(p.Edit->text().size(), 255);
}

TEST_F(RealDialogs, TypedNameOfAMissingFileIsTakenAndDoneAcceptsIt)
{
    const QString missing = env.Root() + QStringLiteral("/not here.mp3");
    QStringList filters;
    QString selectedFilter;
    ModalAnswerer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog)
            return false;
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name)
            return false;
        name->setText(missing);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    page.open();
    QTest::mouseClick(page.BitBtn6, Qt::LeftButton);
    EXPECT_EQ(answer.handled(), 1);
    EXPECT_EQ(filters, kAudioFilters);
    EXPECT_EQ(selectedFilter, filters.value(0));
    EXPECT_EQ(page.LblMP3->text(), missing);
    EXPECT_TRUE(page.CHkPlayMP3->isChecked());

    QTest::mouseClick(page.CmdDone, Qt::LeftButton);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(page.result(), QDialog::Accepted);
}

TEST_F(RealDialogs, CancelledFileDialogChangesNothing)
{
    page.LblOpen->setText(QStringLiteral("/docs/before.pdf"));
    ModalAnswerer answer([](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog)
            return false;
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        return true;
    });
    QTest::mouseClick(page.CmdSelectOpen, Qt::LeftButton);
    EXPECT_EQ(answer.handled(), 1);
    EXPECT_EQ(page.LblOpen->text(), QStringLiteral("/docs/before.pdf"));
    EXPECT_FALSE(page.ChkOpen->isChecked());
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
