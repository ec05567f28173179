// The name dialog: its check, its field limit, and closing without the check.
#include "fakes.h"
#include "frmname.h"
#include "look.h"
#include "texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NameDialog : public ::testing::Test {
protected:
    NameDialog() { dialog.open(); }
    void Ok() { QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton); }

    FakeMessages messages;
    QWidget owner;
    TFrmName dialog{messages, &owner};
};

TEST_F(NameDialog, FullStopSlashOrColonIsRefusedWithOneMessage)
{
    const QStringList refused = {QStringLiteral("Mr. Kelmos"), QStringLiteral("a/b"),
                                 QStringLiteral("9:00 meeting"), QStringLiteral("end.")};
    for (const QString& name : refused) {
        dialog.Edit1->setText(name);
        Ok();
        EXPECT_TRUE(dialog.isVisible()) << name.toStdString();
        EXPECT_EQ(dialog.Edit1->text(), name);
    }
    EXPECT_EQ(messages.Texts(), QStringList(refused.size(), kNameRefused));
    dialog.close();
}

TEST_F(NameDialog, BackslashAndBlanksPass)
{
    for (const QString& name : {QStringLiteral("a\\b"), QStringLiteral("   ")}) {
        dialog.open();
        dialog.Edit1->setText(name);
        Ok();
        EXPECT_FALSE(dialog.isVisible()) << name.toStdString();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Edit1->text(), name) << "the dialog does not trim";
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(NameDialog, TheTwentySixthCharacterIsRefused)
{
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1) << "no cancel button";
    QTest::keyClicks(dialog.Edit1, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    dialog.close();
}

TEST_F(NameDialog, EnterInTheFieldRunsTheCheck)
{
    QTest::keyClicks(dialog.Edit1, QStringLiteral("x.y"));
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages.Texts(), QStringList{kNameRefused});
    dialog.Edit1->setText(QStringLiteral("xy"));
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

// The close box skips the check and leaves the name as typed: the create flow refuses a
// bad one itself, with the check's own notice.
TEST_F(NameDialog, CloseBoxClosesWithoutTheCheck)
{
    for (const QString& name : {QStringLiteral(" Kelmos "), QStringLiteral("../../escape")}) {
        dialog.open();
        dialog.Edit1->setText(name);
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Edit1->text(), name);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(NameDialog, PastedLineBreaksBecomeBlanks)
{
    dialog.Edit1->insert(QStringLiteral("two\nlines"));
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("two lines"));
    dialog.close();
}

TEST_F(NameDialog, TheInstructionReadsWhole)
{
    ExpectReadableAndWholeInEveryLook([this] {
        auto* shown = new TFrmName(messages, &owner);
        shown->open();
        return shown;
    });
    dialog.close();
}

} // namespace
