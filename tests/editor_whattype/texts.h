#pragma once
// The texts the action page and the name dialog show, spelled out as the user reads
// them, so a changed word in the program fails the tests.

#include <QString>

inline const QString kNoBoxChecked = QStringLiteral(
    "You must check at least one of the boxes. Check the box that indicates the type of "
    "reminder to want to occur.");
inline const QString kNoAudioFile = QStringLiteral(
    "You selected the option to play an audio file, but did not click the button to choose an "
    "MP3 or audio file to play. If you check the box for this reminder to occur, then you must "
    "select the audio file also!");
inline const QString kNoMessage = QStringLiteral(
    "You selected the option to display or say a text message reminder, but did not click the "
    "button to enter the text message. If you check the box for this reminder to occur, then "
    "you must click the button and enter your message also!");
inline const QString kNoOpenFile = QStringLiteral(
    "You selected the option to open a file or document reminder, but did not click the button "
    "to select the video, document, etc. If you check the box for this reminder to occur, then "
    "you must click the button and select a file also!");
inline const QString kNameRefused =
    QStringLiteral("Please do not enter a \".\", \":\", or \"/\" in the name");
inline const QString kPathLineBreak = QStringLiteral(
    "The name of this file holds a line break, which a reminder cannot keep. Rename the file, "
    "or choose another one.");
inline const QString kMessageLineBreak = QStringLiteral(
    "The message holds a line break, which a reminder cannot keep. Type the message on one "
    "line.");
// The audio dialog's choices: all four kinds first, then each alone.
inline const QStringList kAudioFilters = {
    QStringLiteral("All (*.mp3 *.mid *.wav *.wma)"), QStringLiteral("MP3 (*.mp3)"),
    QStringLiteral("WAV (*.wav)"), QStringLiteral("MIDI (*.mid)"), QStringLiteral("WMA (*.wma)")};
