#pragma once
// The two text encodings reminder files and their names come in: UTF-8, and Windows-1252
// for what the old Windows program left behind.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// True when every byte sequence is valid UTF-8.
bool IsUtf8(QByteArrayView bytes);
// UTF-8 with every byte order mark kept as U+FEFF, so that a piece of a file decodes to
// the same text as the whole file does.
QString DecodeUtf8(QByteArrayView bytes);
QString DecodeCp1252(QByteArrayView bytes);
// Nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> EncodeCp1252(QStringView text);

// The bytes the file system knows `path` by. The folder part is UTF-8; the file name is
// UTF-8 unless only its Windows-1252 spelling exists on disk, as for a file unpacked from
// an archive made on Windows. Every open, stat, rename and unlink of a reminder file
// goes through here, so such a file is read, rewritten and deleted in place.
QByteArray NativeFilePath(const QString& path);
// The inverse for a name read from a folder: UTF-8 when it is valid, else Windows-1252.
QString DecodeFileName(QByteArrayView name);
