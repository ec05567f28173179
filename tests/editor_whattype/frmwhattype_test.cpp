// The action page driven as the user drives it, with scripted dialogs and prompt.
#include "fakes.h"
#include "fakes_whattype.h"
#include "folder.h"
#include "frmwhattype.h"
#include "look.h"
#include "modal.h"
#include "profile.h"
#include "reminder.h"
#include "tempenv.h"
#include "texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ActionPage : public ::testing::Test {
protected:
    ActionPage()
    {
        geometry = env.Root() + QStringLiteral("/Velmaro6.ini");
        SetGeometryFile(geometry);
        page = std::make_unique<TFrmWhatType>(messages, chooser, prompt);
    }
    ~ActionPage() override { SetGeometryFile(QString()); }

    // As the flows show it: BackChosen cleared, then modal.
    void Show()
    {
        page->BackChosen = false;
        page->open();
        ASSERT_TRUE(page->isVisible());
    }
    void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    TReminder Filled() const
    {
        TReminder r;
        page->FillReminder(r);
        return r;
    }

    TempXdg env;
    QString geometry;
    FakeMessages messages;
    FakeChooser chooser;
    FakePrompt prompt;
    std::unique_ptr<TFrmWhatType> page;
};

TEST_F(ActionPage, DoneRefusesWithoutAnyBoxAndStaysOpen)
{
    Show();
    Click(page->CmdDone);
    EXPECT_EQ(messages.Texts(), QStringList{kNoBoxChecked});
    EXPECT_EQ(messages.shown.value(0).kind, QStringLiteral("notice"));
    EXPECT_TRUE(page->isVisible());
}

TEST_F(ActionPage, DoneChecksAudioBeforeMessageBeforeOpen)
{
    Show();
    page->CHkPlayMP3->click();
    page->ChkDisplay->click();
    page->ChkOpen->click();
    Click(page->CmdDone);
    EXPECT_EQ(messages.Texts(), QStringList{kNoAudioFile});

    chooser.answers = {QStringLiteral("/music/song.mp3")};
    Click(page->BitBtn6);
    Click(page->CmdDone);
    EXPECT_EQ(messages.Texts().value(1), kNoMessage);

    prompt.answers = {QStringLiteral("Call Kelmos")};
    Click(page->BitBtn5);
    Click(page->CmdDone);
    EXPECT_EQ(messages.Texts().value(2), kNoOpenFile);
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(page->ChkOpen->isChecked()) << "a refused Done keeps every value";

    chooser.answers = {QStringLiteral("/docs/plan.odt")};
    Click(page->CmdSelectOpen);
    Click(page->CmdDone);
    EXPECT_EQ(messages.shown.size(), 3);
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(page->result(), QDialog::Accepted);
    EXPECT_FALSE(page->BackChosen);
    const TReminder r = Filled();
    EXPECT_EQ(r.MP3File, QStringLiteral("/music/song.mp3"));
    EXPECT_EQ(r.Msg, QStringLiteral("Call Kelmos"));
    EXPECT_EQ(r.OpenFile, QStringLiteral("/docs/plan.odt"));
}

TEST_F(ActionPage, ChoosingAFileTicksItsBoxAndClearingTheBoxEmptiesThePath)
{
    chooser.answers = {QStringLiteral("/music/a b.wav"), QString(), QStringLiteral("/bin/tool")};
    Click(page->BitBtn6);
    EXPECT_TRUE(page->CHkPlayMP3->isChecked());
    EXPECT_EQ(page->LblMP3->text(), QStringLiteral("/music/a b.wav"));
    EXPECT_EQ(chooser.asked.value(0), QStringLiteral("Select Any Sound File|") +
                                          kAudioFilters.join(QStringLiteral(";;")));

    Click(page->CmdSelectOpen); // cancelled: nothing changes
    EXPECT_FALSE(page->ChkOpen->isChecked());
    EXPECT_TRUE(page->LblOpen->text().isEmpty());
    Click(page->CmdSelectOpen);
    EXPECT_TRUE(page->ChkOpen->isChecked());
    EXPECT_EQ(page->LblOpen->text(), QStringLiteral("/bin/tool"));
    EXPECT_EQ(chooser.asked.value(2), QStringLiteral("Run Any Video or Program|All (*)"));

    page->CHkPlayMP3->click();
    EXPECT_TRUE(page->LblMP3->text().isEmpty());
    page->CHkPlayMP3->click();
    EXPECT_TRUE(page->LblMP3->text().isEmpty()) << "ticking again brings no path back";
    page->ChkOpen->click();
    EXPECT_TRUE(page->LblOpen->text().isEmpty());

    prompt.answers = {QStringLiteral("kept")};
    Click(page->BitBtn5);
    page->ChkDisplay->click();
    page->ChkDisplay->click();
    page->ChkSayMsg->click();
    page->ChkSayMsg->click();
    EXPECT_EQ(page->LblMsg->text(), QStringLiteral("kept"));
    EXPECT_FALSE(page->ChkDisplay->isChecked()) << "typing a message ticks no box";
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ActionPage, MessageOfBlanksWithoutMessageBoxesIsAcceptedUnchanged)
{
    Show();
    prompt.answers = {QStringLiteral("   ")};
    Click(page->BitBtn5);
    page->ChkSayDay->click();
    Click(page->CmdDone);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(page->result(), QDialog::Accepted);
    EXPECT_EQ(Filled().Msg, QStringLiteral("   "));
}

TEST_F(ActionPage, OnlySayTimePassesWithEmptyLabels)
{
    Show();
    page->ChkSayTime->click();
    Click(page->CmdDone);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(page->result(), QDialog::Accepted);
    const TReminder r = Filled();
    EXPECT_TRUE(r.SayTime);
    EXPECT_TRUE(r.Msg.isEmpty() && r.MP3File.isEmpty() && r.OpenFile.isEmpty());
}

TEST_F(ActionPage, CloseBoxCountsAsSaveWithoutChecks)
{
    Show();
    page->close();
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(page->BackChosen);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ActionPage, GoBackSetsBackChosenWithoutChecks)
{
    Show();
    Click(page->BitBtn2);
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(page->BackChosen);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ActionPage, EscapeDoesNotCloseThePage)
{
    Show();
    QTest::keyClick(page->ChkSayTime, Qt::Key_Escape);
    EXPECT_TRUE(page->isVisible());
    page->close();
}

TEST_F(ActionPage, EveryCloseStoresTheSize)
{
    const QString section = QStringLiteral("FrmWhatType");
    struct Way {
        const char* name;
        std::function<void(TFrmWhatType&)> close;
    };
    const Way ways[] = {
        {"close box", [](TFrmWhatType& p) { p.close(); }},
        {"Go Back", [](TFrmWhatType& p) { QTest::mouseClick(p.BitBtn2, Qt::LeftButton); }},
        {"Done", [](TFrmWhatType& p) {
             p.ChkSayTime->setChecked(true);
             QTest::mouseClick(p.CmdDone, Qt::LeftButton);
         }},
    };
    int width = 430;
    for (const Way& way : ways) {
        Show();
        page->resize(width, 500);
        way.close(*page);
        ASSERT_FALSE(page->isVisible()) << way.name;
        EXPECT_EQ(ReadFormWidth(section), width) << way.name;
        EXPECT_EQ(ReadFormHeight(section), 500) << way.name;
        width += 10;
    }
}

TEST_F(ActionPage, CreationTakesTheStoredSizeWhenNotZero)
{
    EXPECT_EQ(page->size(), QSize(414, 466));
    WriteProfileString(geometry, QStringLiteral("FrmWhatType"), QStringLiteral("W"), QStringLiteral("520"));
    WriteProfileString(geometry, QStringLiteral("FrmWhatType"), QStringLiteral("H"), QStringLiteral("0"));
    TFrmWhatType second(messages, chooser, prompt);
    EXPECT_EQ(second.size(), QSize(520, 466));
}

TEST_F(ActionPage, ApplySetsBoxesBeforeLabelsAndFillReturnsThemUnchanged)
{
    page->CHkPlayMP3->setChecked(true);
    page->ChkOpen->setChecked(true);
    TReminder loaded;
    loaded.SayDay = true;
    loaded.SayMsg = true;
    loaded.Msg = QStringLiteral(" <b>not markup</b> & more ");
    loaded.MP3File = QStringLiteral("/kept/even/unticked.mp3");
    loaded.OpenFile = QStringLiteral("C:\\old\\file.doc");
    page->ApplyReminder(loaded);

    const TReminder r = Filled();
    EXPECT_FALSE(r.PlayMP3);
    EXPECT_FALSE(r.Open);
    EXPECT_TRUE(r.SayDay && r.SayMsg && !r.SayTime && !r.Display);
    EXPECT_EQ(r.Msg, loaded.Msg);
    EXPECT_EQ(r.MP3File, loaded.MP3File);
    EXPECT_EQ(r.OpenFile, loaded.OpenFile);
    EXPECT_EQ(page->LblMsg->textFormat(), Qt::PlainText);
}

TEST_F(ActionPage, KeyboardOrderFollowsTheGroupThenDoneThenGoBack)
{
    // A use that ends elsewhere in the page; the next one still starts on the first box.
    Show();
    page->BitBtn2->setFocus();
    Click(page->BitBtn2);
    Show();
    QApplication::setActiveWindow(page.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    EXPECT_EQ(QApplication::focusWidget(), page->ChkSayTime);
    page->ChkSayTime->setFocus();
    QStringList seen;
    for (int i = 0; i < 11; ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen, QStringList({"ChkSayTime", "ChkSayDay", "CHkPlayMP3", "ChkDisplay", "ChkOpen",
                                 "BitBtn5", "BitBtn6", "ChkSayMsg", "CmdSelectOpen", "CmdDone",
                                 "BitBtn2"}));
    EXPECT_EQ(QApplication::focusWidget(), page->ChkSayTime) << "the order wraps around";
    page->close();
}

TEST_F(ActionPage, LongTextsNeitherWidenThePageNorPushTheButtonsOff)
{
    TReminder r;
    r.PlayMP3 = r.Display = r.Open = true;
    r.MP3File = QStringLiteral("/music/") + QString(600, QLatin1Char('m')) + QStringLiteral(".mp3");
    r.Msg = QString(255, QLatin1Char('x'));
    r.OpenFile = QStringLiteral("/docs/") + QString(900, QLatin1Char('d'));
    page->ApplyReminder(r);
    Show();
    QApplication::processEvents();
    EXPECT_EQ(page->size(), QSize(414, 466));
    for (QWidget* w : {static_cast<QWidget*>(page->CmdDone), static_cast<QWidget*>(page->BitBtn2),
                       static_cast<QWidget*>(page->LblOpen)}) {
        const QRect inPage(w->mapTo(page.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(page->rect().contains(inPage)) << w->objectName().toStdString();
    }
    for (QLabel* l : {page->LblMP3, page->LblMsg, page->LblOpen}) {
        const int needed = l->heightForWidth(l->width());
        EXPECT_GE(l->height(), needed) << "cut off: " << l->objectName().toStdString();
        EXPECT_LE(needed, 3 * l->fontMetrics().lineSpacing() + 2) << l->objectName().toStdString();
    }
    EXPECT_EQ(Filled().OpenFile, r.OpenFile) << "only the display is shortened";
    page->close();
}

// A line break in a stored text would forge keys: the page never takes one in.
TEST_F(ActionPage, LineBreaksNeverReachTheLabelsOrTheFile)
{
    chooser.answers = {QStringLiteral("/music/ok.mp3"), QStringLiteral("/music/x\n[Date]\nCk=1.mp3"),
                       QStringLiteral("/docs/a\rb")};
    Click(page->BitBtn6);
    Click(page->BitBtn6);
    EXPECT_EQ(page->LblMP3->text(), QStringLiteral("/music/ok.mp3"));
    Click(page->CmdSelectOpen);
    EXPECT_FALSE(page->ChkOpen->isChecked());
    EXPECT_TRUE(page->LblOpen->text().isEmpty());

    prompt.answers = {QStringLiteral("first"), QStringLiteral("two\r\nlines")};
    Click(page->BitBtn5);
    Click(page->BitBtn5);
    EXPECT_EQ(page->LblMsg->text(), QStringLiteral("first"));
    EXPECT_EQ(messages.Texts(), QStringList({kPathLineBreak,
                                             kPathLineBreak,
                                             kMessageLineBreak}));

    // What the page holds saves and loads back intact.
    TReminder r;
    r.Days.Ck = true;
    page->FillReminder(r);
    const QString file = env.Root() + QStringLiteral("/Kelmos.ini");
    SaveReminder(file, r, QDateTime(QDate(2026, 5, 1), QTime(9, 30)));
    EXPECT_FALSE(ReadAll(file).contains("Ck=1.mp3"));
    const TReminder back = LoadReminder(file);
    EXPECT_FALSE(back.Date.Ck);
    EXPECT_EQ(back.MP3File, QStringLiteral("/music/ok.mp3"));
    EXPECT_EQ(back.Msg, QStringLiteral("first"));
}

TEST_F(ActionPage, EveryTextReadsAndEveryControlIsWhole)
{
    ExpectReadableAndWholeInEveryLook([this] {
        page = std::make_unique<TFrmWhatType>(messages, chooser, prompt);
        page->LblMsg->setText(QStringLiteral("Take the blue pill with water"));
        Show();
        return page.get();
    });
}

} // namespace
