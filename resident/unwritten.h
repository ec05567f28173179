#pragma once
// Reminders whose file could not take the stamp or advance of a firing (read-only, disk
// full). The scheduler goes on from what the write would have left and keeps that in a
// state file of its own, so that neither a later tick nor its next start fires such a
// reminder again the same day, nor tells the write error twice.

#include "reminder.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

class ISpecialFolders;

struct Unwritten {
    TResidentSchedule onDisk;  // the file as it read when its write failed
    TResidentSchedule pending; // what the write would have left
    QDate errorShown;          // the write error is told once per file and day
    bool operator==(const Unwritten&) const = default;
};

// Keyed by the bytes the file system knows a reminder file by (NativeFilePath): names
// need not be UTF-8, and two files may share a display name.
class UnwrittenTable {
public:
    // Reads the state file; an empty path keeps the table in memory only. A missing or
    // unreadable file reads as empty, a mangled one as the entries that still make sense.
    explicit UnwrittenTable(QString stateFile);
    // <state home>/Velmaro/unwritten.ini, or empty when that is the reminder folder, which
    // the tick scans.
    static QString DefaultStateFile(const ISpecialFolders& folders);

    bool IsEmpty() const { return entries_.isEmpty(); }
    std::optional<Unwritten> Find(const QByteArray& file) const;
    // Every change goes to the state file at once, before a box of the tick can open and
    // the session end under it.
    void Put(const QByteArray& file, const Unwritten& entry);
    void Remove(const QByteArray& file);
    // Forgets every file that is not among these.
    void KeepOnly(const QSet<QByteArray>& files);
    // Tries again to write a change the state file could not take.
    void SaveIfBehind();

private:
    void Save();

    QString stateFile_;
    QHash<QByteArray, Unwritten> entries_;
    bool behind_ = false;
};
