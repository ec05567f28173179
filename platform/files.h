#pragma once
// The file operations of the reminder store: the only way the store reaches the file
// system. Paths are as the programs hold them (filenames.h): every function here reaches
// exactly the file a listed or typed name stands for, never another one whose name shows
// alike.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The whole content of the regular file at `path`. Nothing when no regular file is there
// (absent, a folder, a FIFO, a device: these are never opened in a way that could wait),
// when it cannot be read, or when it holds more than maxBytes.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes);

// Given the file's current bytes (nothing when there is no file yet), the bytes it is to
// hold; nothing to leave it as it is and fail.
using FileUpdate = std::function<std::optional<QByteArray>(const std::optional<QByteArray>& current)>;

// Replaces the file at `path` with what `update` makes of its current content. What every
// desktop's implementation must guarantee:
// - No lost update: one lock, taken by every writer of this function in every program,
//   is held from the read of the current bytes to the replacement, so two writers changing
//   different keys of one file never lose each other's keys.
// - Atomic: readers, and a writer killed at any point, only ever leave the old content or
//   the new one, never a part of either. The new content is flushed to the disk before it
//   replaces the old, which it does under the same name in one step.
// - Refusal leaves the file as it was and returns false: the folder is missing; what is
//   there is no regular file (a folder, a FIFO, a device); the file is read-only (Linux:
//   the owner's write bit is clear, also for root; Windows: the read-only attribute); its
//   current content cannot be read whole or holds more than maxBytes; `update` refuses;
//   any step of the replacement fails.
// - A link is followed: its target is replaced and the link stays.
// - The replaced file keeps its permissions; a new file is readable by its owner only.
// - Bytes equal to the current ones are not written again (true, file untouched).
// - Temporary files lie in the file's folder, under names no "*.ini" listing matches, and
//   one that a killed writer left is removed by a later writer once it is stale (Linux: ten
//   minutes old, of this user, and not locked by a writer still at work).
// Never blocks on anything but that lock.
bool UpdateFileLocked(const QString& path, qint64 maxBytes, const FileUpdate& update);

// The same lock and replacement for a file its program rewrites whole: the current
// content is not read. Same refusals, but for those about reading it.
bool ReplaceFileLocked(const QString& path, const QByteArray& bytes);

// The entries of `folder` except "." and "..", files and folders alike, in the order the
// file system gives them, each as a name that reaches exactly that entry (filenames.h).
// Nothing when the folder cannot be read, whole: a missing or unreadable folder is no empty
// one.
std::optional<QStringList> ListFolder(const QString& folder);

// Makes the folder and any missing parents, readable by the owner only whatever the umask
// (Linux: mode 0700, as the XDG rules ask of the folders a program creates); folders that
// are already there keep their permissions. True when the folder exists afterwards.
bool MakePrivateFolders(const QString& path);

// Removes the file at `path`; a link counts as a file, a dangling one too. True when
// nothing is left there; false when a folder (or a link to one) stands there, or the file
// cannot be removed.
bool RemoveFileOnly(const QString& path);
