#pragma once
// What the action page and the name dialog decide, kept apart from their widgets.

#include <QString>

#include <optional>

struct TReminder;

extern const char* const kNoBoxCheckedText;
extern const char* const kNoAudioFileText;
extern const char* const kNoMessageText;
extern const char* const kNoOpenFileText;
extern const char* const kNameRefusedText;
// A chosen path or a typed message that the reminder file could not keep.
extern const char* const kPathLineBreakText;
extern const char* const kMessageLineBreakText;

// True when nothing but blanks and control characters is left once both ends are trimmed.
bool IsBlankText(const QString& text);

// The four checks of "Done", in their order: the message of the first that fails, or
// nothing when the page may close.
std::optional<QString> DoneRefusal(const TReminder& r);

// A name holding ".", "/" or ":" would not name a file inside the reminder folder.
bool NameRefused(const QString& name);

// A line break or NUL would forge keys in a reminder file, so the store refuses them.
bool HoldsLineBreak(const QString& text);
// Pasted text for a one-line field: each CR, LF or CRLF becomes one blank, NUL goes.
QString OneLine(const QString& text);
