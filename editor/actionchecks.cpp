#include "actionchecks.h"

#include "reminder.h"

const char* const kNoBoxCheckedText =
    "You must check at least one of the boxes. Check the box that indicates the type of "
    "reminder to want to occur.";
const char* const kNoAudioFileText =
    "You selected the option to play an audio file, but did not click the button to choose an "
    "MP3 or audio file to play. If you check the box for this reminder to occur, then you must "
    "select the audio file also!";
const char* const kNoMessageText =
    "You selected the option to display or say a text message reminder, but did not click the "
    "button to enter the text message. If you check the box for this reminder to occur, then "
    "you must click the button and enter your message also!";
const char* const kNoOpenFileText =
    "You selected the option to open a file or document reminder, but did not click the button "
    "to select the video, document, etc. If you check the box for this reminder to occur, then "
    "you must click the button and select a file also!";
const char* const kNameRefusedText = "Please do not enter a \".\", \":\", or \"/\" in the name";
const char* const kPathLineBreakText =
    "The name of this file holds a line break, which a reminder cannot keep. Rename the file, "
    "or choose another one.";
const char* const kMessageLineBreakText =
    "The message holds a line break, which a reminder cannot keep. Type the message on one line.";

namespace {

bool IsBlankOrControl(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

bool IsBlankText(const QString& text)
{
    for (QChar c : text) {
        if (!IsBlankOrControl(c))
            return false;
    }
    return true;
}

std::optional<QString> DoneRefusal(const TReminder& r)
{
    if (!r.SayTime && !r.SayDay && !r.PlayMP3 && !r.Display && !r.SayMsg && !r.Open)
        return QString::fromLatin1(kNoBoxCheckedText);
    if (r.PlayMP3 && IsBlankText(r.MP3File))
        return QString::fromLatin1(kNoAudioFileText);
    if ((r.SayMsg || r.Display) && IsBlankText(r.Msg))
        return QString::fromLatin1(kNoMessageText);
    if (r.Open && IsBlankText(r.OpenFile))
        return QString::fromLatin1(kNoOpenFileText);
    return std::nullopt;
}

bool NameRefused(const QString& name)
{
    return name.contains(QLatin1Char('.')) || name.contains(QLatin1Char('/')) ||
           name.contains(QLatin1Char(':'));
}

bool HoldsLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QChar(0));
}

QString OneLine(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1Char(' ');
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
        } else if (c != QChar(0)) {
            out += c;
        }
    }
    return out;
}
