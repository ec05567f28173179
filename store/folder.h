#pragma once
// The reminder folder and the window geometry store.

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The warning shown when the reminder folder cannot be created.
extern const char* const kFolderCreateWarning;
// The geometry file's name.
extern const char* const kGeometryFileName;

class ISpecialFolders;

// Sets ReminderFolder to <roaming data>/Velmaro and creates it (readable by the user
// only) when no directory is there. Returns false when it could not be created; the
// caller then shows kFolderCreateWarning and goes on.
bool InitReminderFolder(const ISpecialFolders& folders);
// The full path of the reminder folder, without a trailing separator; empty before
// InitReminderFolder.
const QString& ReminderFolder();

// Names of every entry of `folder` matching "*.ini" (any letter case, files and folders
// alike), in the order the file system returns them, as DecodeFileName gives them: each
// names its own file, also when it is not UTF-8. Nothing when the folder could not be
// read, which is no empty folder: it says nothing of which files are gone.
std::optional<QStringList> ReminderFolderEntries(const QString& folder);

// Removes the reminder file at `path`; a dangling link counts as one. True when nothing
// is left there; false when a folder stands in its place or the file cannot be removed.
bool DeleteReminderFile(const QString& path);

// One entry of the editor's list: the name it shows and the file it was listed from,
// which every later operation on the entry uses. Two files can show the same name.
struct ListedReminder {
    QString name;
    QString path;
};
// The reminders the editor lists: each entry's shown name with its first ".ini" removed,
// skipping those whose upper-case form contains "VELMARO". File-system order, no sorting.
QList<ListedReminder> ListReminders();

// Geometry store. Each program points it at its own file once at start.
QString EditorGeometryFile(); // ReminderFolder + "/Velmaro6.ini"
// Reads and writes that one file.
void SetGeometryFile(const QString& path);
// The scheduler's file: written in the folders' write folder, and read from there once
// it is there, else from the read folder.
void UseResidentGeometry(const ISpecialFolders& folders);
int ReadFormWidth(const QString& section);
int ReadFormHeight(const QString& section);
// Stores W then H. Never throws: a window that cannot store its size still closes.
bool WriteFormSize(const QString& section, int width, int height);
// The size a window of this section opens at: its stored W, when that is not 0, in place of
// the design width, and its stored H, when not 0, in place of the design height. The window
// then still grows to what its content needs.
QSize RestoredFormSize(const QString& section, const QSize& design);
