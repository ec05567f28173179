// The decisions behind "Done" and the name dialog, without a display.
#include "actionchecks.h"
#include "reminder.h"
#include "texts.h"

#include <gtest/gtest.h>

namespace {

TEST(DoneRefusal, NoBoxCheckedIsRefusedWhateverTheTexts)
{
    TReminder r;
    r.Msg = QStringLiteral("hello");
    r.MP3File = QStringLiteral("/a.mp3");
    r.OpenFile = QStringLiteral("/b.pdf");
    EXPECT_EQ(DoneRefusal(r), kNoBoxChecked);
}

TEST(DoneRefusal, ChecksRunInOrderAndTheFirstFailureWins)
{
    TReminder r;
    r.PlayMP3 = true;
    r.Display = true;
    r.Open = true;
    EXPECT_EQ(DoneRefusal(r), kNoAudioFile);
    r.MP3File = QStringLiteral("/music/a.mp3");
    EXPECT_EQ(DoneRefusal(r), kNoMessage);
    r.Msg = QStringLiteral("Call Kelmos");
    EXPECT_EQ(DoneRefusal(r), kNoOpenFile);
    r.OpenFile = QStringLiteral("/docs/x.odt");
    EXPECT_EQ(DoneRefusal(r), std::nullopt);
}

TEST(DoneRefusal, BlanksAndControlCharactersCountAsEmpty)
{
    TReminder r;
    r.Display = true;
    for (const QString& blank : {QString(), QStringLiteral(" "), QStringLiteral(" \t "),
                                 QStringLiteral("\x01\x1f "), QString(QChar(0x7f))})
    {
        r.Msg = blank;
        EXPECT_EQ(DoneRefusal(r), kNoMessage) << blank.toStdString();
    }
    r.Msg = QStringLiteral("  x  ");
    EXPECT_EQ(DoneRefusal(r), std::nullopt);
}

TEST(NameRefused, FullStopSlashAndColonAnywhere)
{
    for (const char* name : {"a.b", ".", "end.", "a/b", "/", "c:", ":x", "Kelmos: 9.00"})
        EXPECT_TRUE(NameRefused(QString::fromLatin1(name))) << name;
    for (const char* name : {"", "   ", "a\\b", "Kelmos Birthday", "-_()!'"})
        EXPECT_FALSE(NameRefused(QString::fromLatin1(name))) << name;
}

TEST(LineBreaks, DetectedAndFoldedToBlanks)
{
    EXPECT_FALSE(HoldsLineBreak(QStringLiteral("plain text\twith tab")));
    EXPECT_TRUE(HoldsLineBreak(QStringLiteral("a\nb")));
    EXPECT_TRUE(HoldsLineBreak(QStringLiteral("a\rb")));
    EXPECT_TRUE(HoldsLineBreak(QString(QChar(0))));

    EXPECT_EQ(OneLine(QStringLiteral("a\r\nb\nc\rd")), QStringLiteral("a b c d"));
    EXPECT_EQ(OneLine(QStringLiteral("\n\n")), QStringLiteral("  "));
    EXPECT_EQ(OneLine(QStringLiteral("x") + QChar(0) + QStringLiteral("y")), QStringLiteral("xy"));
    EXPECT_FALSE(HoldsLineBreak(OneLine(QStringLiteral("\r\r\n\n") + QChar(0))));
}

} // namespace
